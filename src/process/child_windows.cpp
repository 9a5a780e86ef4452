// Child processes on Windows: the program started anew by CreateProcess, its
// channels handed over as inherited handles whose values the child finds in
// its environment, every child held by a job object that ends it with the
// program, and what a worker does to itself.
#include "process/child.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>

#include <fcntl.h>
#include <io.h>
#include <malloc.h>
#include <windows.h>
#include <psapi.h>

#include "platform/windows_errors.h"

namespace {

// The variable that tells a worker the handles of its task and result channels.
constexpr const char* kChannelsVariable = "LOTEOTIMIZADOR_CANAIS";
// Tells Intel's Fortran run-time to leave the console's control events alone.
constexpr const char* kFortranBreakVariable = "FOR_DISABLE_CONSOLE_CTRL_HANDLER";
constexpr int kTasks = 3, kResults = 4;  // where the worker puts them, as on POSIX systems

// The children started and not yet reaped.
std::map<pid_t, HANDLE>& children() {
    static std::map<pid_t, HANDLE> table;
    return table;
}

// A handle closed when it goes out of scope.
struct OwnedHandle {
    HANDLE handle = nullptr;
    explicit OwnedHandle(HANDLE h) : handle(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() {
        if (handle != nullptr) CloseHandle(handle);
    }
};

HANDLE handleOf(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

// A copy of `handle` that a child started now inherits.
HANDLE inheritable(HANDLE handle) {
    HANDLE copy = nullptr;
    return DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS)
               ? copy
               : nullptr;
}

// The job object that holds every child: closed with the program, however it
// ends, it ends them too.
HANDLE childrenJob() {
    static const HANDLE job = [] {
        HANDLE made = CreateJobObjectA(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (made != nullptr) SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        return made;
    }();
    return job;
}

// The program's own file.
std::string ownProgram() {
    char file[32768];
    const DWORD size = GetModuleFileNameA(nullptr, file, sizeof file);
    return size == 0 || size >= sizeof file ? std::string() : std::string(file, size);
}

// `words` as one command line that the C runtime splits back into them.
std::string commandLine(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty()) line += ' ';
        line += '"';
        size_t slashes = 0;
        for (char c : word) {
            if (c == '\\') {
                ++slashes;
            } else {
                line.append(c == '"' ? slashes + 1 : 0, '\\');
                slashes = 0;
            }
            line += c;
        }
        line.append(slashes, '\\');
        line += '"';
    }
    return line;
}

// A C runtime descriptor that owns `handle` from now on; false, the handle
// still owned, when the runtime has no descriptor left.
bool descriptorOf(OwnedHandle& handle, int flags, FileDescriptor& fd) {
    fd = FileDescriptor(::_open_osfhandle(reinterpret_cast<intptr_t>(handle.handle), flags | _O_BINARY));
    if (fd.fd < 0) return false;
    handle.handle = nullptr;
    return true;
}

// A pipe whose two ends are owned, as C runtime descriptors; the child's end
// is handed over separately.
bool makePipe(FileDescriptor& readEnd, FileDescriptor& writeEnd, std::string* err) {
    HANDLE readHandle = nullptr, writeHandle = nullptr;
    if (!CreatePipe(&readHandle, &writeHandle, nullptr, 0)) return windowsFailure(err, GetLastError());
    OwnedHandle reading(readHandle), writing(writeHandle);
    return (descriptorOf(reading, _O_RDONLY, readEnd) && descriptorOf(writing, _O_WRONLY, writeEnd)) ||
           systemFailure(err, EMFILE);
}

}  // namespace

bool startProgramAnew(const std::vector<std::string>& arguments, int output, int errors, Child& child,
                      std::string* err) {
    FileDescriptor childIn, toChild, fromChild, childOut;
    if (!makePipe(childIn, toChild, err) || !makePipe(fromChild, childOut, err)) return false;
    // The child's handles, inheritable only until it has started: no other
    // child ever holds them, so a child's death ends its pipes.
    OwnedHandle empty(
        CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    OwnedHandle input(empty.handle == nullptr ? nullptr : inheritable(empty.handle));
    OwnedHandle out(inheritable(handleOf(output))), error(inheritable(handleOf(errors)));
    OwnedHandle tasks(inheritable(handleOf(childIn.fd))), results(inheritable(handleOf(childOut.fd)));
    if (!input.handle || !out.handle || !error.handle || !tasks.handle || !results.handle) {
        return windowsFailure(err, GetLastError());
    }
    std::vector<std::string> words{ownProgram()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::string line = commandLine(words);
    const std::string channels = std::to_string(reinterpret_cast<uintptr_t>(tasks.handle)) + " " +
                                 std::to_string(reinterpret_cast<uintptr_t>(results.handle));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.handle;
    startup.hStdOutput = out.handle;
    startup.hStdError = error.handle;
    PROCESS_INFORMATION started{};
    std::cout << std::flush;
    std::cerr << std::flush;
    std::fflush(nullptr);
    SetEnvironmentVariableA(kChannelsVariable, channels.c_str());
    // Without the console and in a process group of its own, no Ctrl-C or
    // Ctrl-Break reaches it: they are the program's to handle. Intel's
    // Fortran run-time, which SCIP's DLL loads, would end it on them.
    SetEnvironmentVariableA(kFortranBreakVariable, "1");
    const BOOL made = CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE,
                                     CREATE_SUSPENDED | CREATE_NEW_PROCESS_GROUP | DETACHED_PROCESS, nullptr, nullptr,
                                     &startup, &started);
    const DWORD failure = GetLastError();
    SetEnvironmentVariableA(kChannelsVariable, nullptr);
    SetEnvironmentVariableA(kFortranBreakVariable, nullptr);
    if (!made) return windowsFailure(err, failure);
    if (childrenJob() != nullptr) AssignProcessToJobObject(childrenJob(), started.hProcess);
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    child.pid = static_cast<pid_t>(started.dwProcessId);
    children()[child.pid] = started.hProcess;
    child.toChild = std::move(toChild);
    child.fromChild = std::move(fromChild);
    return true;
}

int reap(pid_t pid) {
    const auto found = children().find(pid);
    if (found == children().end()) return 0;
    DWORD status = 0;
    const bool ended = WaitForSingleObject(found->second, INFINITE) == WAIT_OBJECT_0;
    GetExitCodeProcess(found->second, &status);
    // What it left in the temporary folder goes while its number is still its own.
    if (ended) removeMemoryFilesOf(static_cast<int>(pid));
    CloseHandle(found->second);
    children().erase(found);
    return static_cast<int>(status);
}

void killAndReap(pid_t pid) {
    killProcess(pid);
    reap(pid);
}

// Ended as a POSIX shell reports a process killed by SIGKILL.
void killProcess(pid_t pid) {
    const auto found = children().find(pid);
    if (found != children().end()) TerminateProcess(found->second, 137);
}

// Windows has no signals: a child always exits, with the status it gave
// (or that its crash gave it: an exception code, 0xC0000005 and the like).
ProcessEnd processEnd(int waitStatus) {
    ProcessEnd end;
    end.exitStatus = waitStatus;
    return end;
}

// Pipes hold no readiness to wait on together: they are looked at in turn,
// every few milliseconds, until one holds bytes or has ended.
std::optional<std::vector<bool>> waitForInput(const std::vector<int>& fds, int milliseconds) {
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(std::max(0, milliseconds));
    std::vector<bool> readable(fds.size(), false);
    while (true) {
        bool any = false;
        for (size_t i = 0; i < fds.size(); ++i) {
            DWORD waiting = 0;
            readable[i] = !PeekNamedPipe(handleOf(fds[i]), nullptr, 0, nullptr, &waiting, nullptr) || waiting > 0;
            any = any || readable[i];
        }
        const ULONGLONG now = GetTickCount64();
        if (any || now >= until) return readable;
        Sleep(static_cast<DWORD>(std::min<ULONGLONG>(until - now, 5)));
    }
}

void readWithoutBlocking(int) {}  // readAvailable never blocks on a pipe here

int availableCpus() {
    DWORD_PTR process = 0, system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) return 1;
    int count = 0;
    for (; process != 0; process &= process - 1) ++count;
    return std::max(1, count);
}

// A temporary file that goes when the last handle to it closes.
bool makeCaptureFile(const char* name, FileDescriptor& file, std::string* err) {
    static unsigned made = 0;
    char folder[MAX_PATH + 1] = "";
    if (GetTempPathA(sizeof folder, folder) == 0) return windowsFailure(err, GetLastError());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = std::string(folder) + name + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                                 std::to_string(++made) + ".tmp";
        HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) continue;
        if (handle == INVALID_HANDLE_VALUE) return windowsFailure(err, GetLastError());
        OwnedHandle owned(handle);
        return descriptorOf(owned, _O_RDWR, file) || systemFailure(err, EMFILE);
    }
    return windowsFailure(err, ERROR_FILE_EXISTS);
}

// SCIP's library has a C runtime of its own, which ends its lines with "\r\n".
std::string captureText(int fd) {
    std::string text;
    if (::_lseeki64(fd, 0, SEEK_SET) != 0) return text;
    char buffer[65536];
    int n = 0;
    while ((n = ::_read(fd, buffer, sizeof buffer)) > 0) {
        for (int i = 0; i < n; ++i) {
            if (buffer[i] == '\n' && !text.empty() && text.back() == '\r') text.pop_back();
            text += buffer[i];
        }
    }
    return text;
}

// A capture that cannot be emptied only repeats earlier text.
void emptyCapture(int fd) {
    if (::_chsize_s(fd, 0) == 0) ::_lseeki64(fd, 0, SEEK_SET);
}

void becomeWorker() {
    // A crash ends the worker at once, without a window that waits for a click.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    ::_setmode(1, _O_BINARY);
    ::_setmode(2, _O_BINARY);
    const char* channels = std::getenv(kChannelsVariable);
    if (channels == nullptr) return;
    char* rest = nullptr;
    const uintptr_t tasks = std::strtoull(channels, &rest, 10), results = std::strtoull(rest, nullptr, 10);
    const int tasksFd = ::_open_osfhandle(static_cast<intptr_t>(tasks), _O_RDONLY | _O_BINARY);
    const int resultsFd = ::_open_osfhandle(static_cast<intptr_t>(results), _O_WRONLY | _O_BINARY);
    if (tasksFd >= 0 && tasksFd != kTasks) ::_dup2(tasksFd, kTasks), ::_close(tasksFd);
    if (resultsFd >= 0 && resultsFd != kResults) ::_dup2(resultsFd, kResults), ::_close(resultsFd);
    // What this worker starts does not take them for its own.
    SetEnvironmentVariableA(kChannelsVariable, nullptr);
    ::_putenv_s(kChannelsVariable, "");
}

long long residentBytesAfterTrim() {
    ::_heapmin();
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<long long>(counters.WorkingSetSize);
}

void exitNow(int status) {
    std::fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    std::_Exit(status);
}
