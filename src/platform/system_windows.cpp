// The operating system's services that are not files, on Windows.
#include "platform/system.h"

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>

#include <windows.h>

#include "platform/files.h"
#include "platform/windows_errors.h"
#include "text/messages.h"

std::string windowsErrorText(unsigned long error) {
    char* text = nullptr;
    const DWORD size =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string line = size > 0 && text != nullptr ? std::string(text, size) : "erro " + std::to_string(error);
    if (text != nullptr) LocalFree(text);
    // The system ends its texts with a line break (and sometimes a point).
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty() && line.back() == '.') line.pop_back();
    return line;
}

bool windowsFailure(std::string* err, unsigned long error) {
    if (err != nullptr) *err = windowsErrorText(error);
    return false;
}

namespace {

// The console's code pages and the error stream's mode before the program
// set its own; 0: not set.
UINT savedOutputPage = 0, savedInputPage = 0;
DWORD savedErrorMode = 0;
bool errorModeSaved = false;

void restoreConsole() {
    if (savedOutputPage != 0) SetConsoleOutputCP(savedOutputPage);
    if (savedInputPage != 0) SetConsoleCP(savedInputPage);
    if (errorModeSaved) SetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), savedErrorMode);
}

// Ctrl-C or Ctrl-Break where no batch notes it (the shell's prompt,
// comparar): the console as it was, then the system's own ending.
BOOL WINAPI restoreOnControl(DWORD) {
    restoreConsole();
    return FALSE;
}

bool onConsole(DWORD stream) {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(stream), &mode) != 0;
}

// Lets the console take the progress line's escape sequences; false where it cannot.
bool takesEscapes(DWORD stream) {
    const HANDLE handle = GetStdHandle(stream);
    DWORD mode = 0;
    if (!GetConsoleMode(handle, &mode)) return false;
    if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) return true;
    if (!errorModeSaved && stream == STD_ERROR_HANDLE) {
        savedErrorMode = mode;
        errorModeSaved = true;
    }
    return SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace

// A console shows the program's texts, and gives what is typed, in
// Windows-1252, the code page they are written in (a Portuguese console's
// own is 850); its code pages come back when the program ends.
void setProgramLocale() {
    const char* const names[] = {"portuguese", "Portuguese_Brazil.1252", "pt-BR", "pt_BR"};
    for (const char* name : names) {
        if (std::setlocale(LC_ALL, name) != nullptr) break;
    }
    std::setlocale(LC_NUMERIC, "C");
    if (onConsole(STD_OUTPUT_HANDLE) || onConsole(STD_INPUT_HANDLE) || onConsole(STD_ERROR_HANDLE)) {
        savedOutputPage = GetConsoleOutputCP();
        savedInputPage = GetConsoleCP();
        SetConsoleOutputCP(1252);
        SetConsoleCP(1252);
        std::atexit(restoreConsole);
        SetConsoleCtrlHandler(restoreOnControl, TRUE);
    }
}

// Writes to a reader that went away fail with an error; nothing ends the program.
void ignoreBrokenPipes() {}

// A batch stopped by Ctrl-C or by a request to end exits with 128 + the
// signal's number, as a POSIX shell reports a program ended by it.
void endBySignal(int signal) {
    std::cout << std::flush;
    std::fflush(nullptr);
    restoreConsole();
    std::_Exit(128 + signal);
}

// A console, not a file or the NUL device (which the runtime also calls a terminal).
bool outputOnTerminal() { return onConsole(STD_OUTPUT_HANDLE); }
// Errors on a console that takes the progress line's escape sequences.
bool errorsOnTerminal() { return takesEscapes(STD_ERROR_HANDLE); }

int processId() { return static_cast<int>(GetCurrentProcessId()); }

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

void setEnvironmentValue(const char* name, const std::string& value) {
    ::_putenv_s(name, value.c_str());
    SetEnvironmentVariableA(name, value.c_str());
}

std::string absolutePath(const std::string& path) {
    if (path.find_first_of(kPathSeparators) == std::string::npos) return path;
    char full[32768];
    const DWORD size = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return size == 0 || size >= sizeof full ? path : std::string(full, size);
}

// As a crash would: the exit status a POSIX shell gives a process killed by SIGKILL.
void endAtOnce() {
    TerminateProcess(GetCurrentProcess(), 137);
    std::_Exit(137);
}

// The name Windows shows for the machine; the environment's COMPUTERNAME
// when the system cannot say.
std::string machineName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD size = sizeof name;
    if (GetComputerNameA(name, &size) && name[0] != '\0') return name;
    const char* variable = std::getenv("COMPUTERNAME");
    return variable != nullptr ? variable : "";
}

// A full path is loaded with the DLLs beside it found first: a wheel's DLLs
// lie beside SCIP's.
void* loadSharedLibrary(const std::string& name, std::string* err) {
    const bool inFolder = name.find_first_of(kPathSeparators) != std::string::npos;
    const std::string path = inFolder ? absolutePath(name) : name;
    HMODULE library = LoadLibraryExA(path.c_str(), nullptr, inFolder ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
    const DWORD error = GetLastError();
    if (library == nullptr && err != nullptr) {
        *err = name + ": " + windowsErrorText(error);
        // The library is there, a DLL it needs is not (most often Microsoft's C++ run-time).
        if (error == ERROR_MOD_NOT_FOUND && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            *err += msg::scipDllNeedsRuntime;
        }
    }
    return reinterpret_cast<void*>(library);
}

void unloadSharedLibrary(void* library) {
    if (library != nullptr) FreeLibrary(reinterpret_cast<HMODULE>(library));
}

void* librarySymbol(void* library, const char* symbol) {
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(library), symbol));
}

std::string libraryFileOf(const void* address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<const char*>(address), &module)) {
        return "";
    }
    char file[32768];
    const DWORD size = GetModuleFileNameA(module, file, sizeof file);
    return size == 0 || size >= sizeof file ? std::string() : std::string(file, size);
}

bool isTerminateSignal(int signal) { return signal == SIGTERM; }

std::string localTimeNow(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[64] = "";
    if (::localtime_s(&local, &now) == 0) std::strftime(text, sizeof text, format, &local);
    return text;
}

const char* textCharset() { return "windows-1252"; }
