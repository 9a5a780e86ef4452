// The operating system's services that are not files: the locale, signals
// that end the program, the terminal, the machine's name and its clock, and
// shared libraries loaded at run time. Plain functions; their POSIX side is
// in system_posix.cpp.
#pragma once

#include <string>

// Portuguese conventions for the C runtime (the first Portuguese locale the
// system has), but numbers in the C convention: SCIP and GLPK read and write
// model files with a decimal point, and the program formats its own numbers.
void setProgramLocale();

// A reader that goes away does not end the program: its writes fail instead.
void ignoreBrokenPipes();
// Whether `signal` is the one that asks the program to end (SIGTERM), as
// against the terminal's interrupt (Ctrl-C).
bool isTerminateSignal(int signal);
// Ends the program as killed by `signal` (standard output flushed first);
// with the exit status 128 + signal should the signal not end it.
[[noreturn]] void endBySignal(int signal);

// Whether standard output, or standard error, is a terminal.
bool outputOnTerminal();
bool errorsOnTerminal();

// The machine's name as the system gives it (on Windows, COMPUTERNAME when
// the system cannot say); "" when it cannot be had.
std::string machineName();
// This process's id.
int processId();
// The value of the environment variable `name` ("" when it is not set).
std::string environmentValue(const char* name);
// Sets the environment variable `name`, for this process and those it starts.
void setEnvironmentValue(const char* name, const std::string& value);
// `path` as seen from the working folder, made absolute ("" and a bare
// name, which the loader looks for on its own paths, stay as they are).
std::string absolutePath(const std::string& path);
// Ends this process at once, as a crash would (SIGKILL).
[[noreturn]] void endAtOnce();
// The local time now in strftime's `format`; "" when it cannot be had.
std::string localTimeNow(const char* format);

// The character set of the program's texts, as a page names it: "utf-8" on
// POSIX systems; on Windows "windows-1252", the code page its texts are
// written in.
const char* textCharset();

// A shared library loaded into the process: nothing, with the system's
// reason in `err`, when it cannot be loaded. A library it needs that the
// loader does not find is taken from the folder `name` lies in, when it is
// there (a wheel's libraries lie beside SCIP without a run path to them).
void* loadSharedLibrary(const std::string& name, std::string* err);
// Lets go of a library loaded above (its functions are gone with it).
void unloadSharedLibrary(void* library);
// The address of `symbol` in a loaded library; nullptr when it has none.
void* librarySymbol(void* library, const char* symbol);
// The file of the loaded library that holds `address` (links resolved);
// "" when none does.
std::string libraryFileOf(const void* address);
