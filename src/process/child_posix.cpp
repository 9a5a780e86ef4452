// Child processes, started by fork and exec.
#include "process/child.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>

#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The program's own file, whatever its name or folder.
constexpr const char* kSelf = "/proc/self/exe";
// Descriptors the child is given: input, output, error, tasks, results.
constexpr int kChildDescriptors = 5;
// Where the child keeps descriptors while it moves them into place.
constexpr int kAboveGiven = 10;
// close_range's flag (Linux 5.11); older kernels refuse the call, and every
// descriptor is then marked one by one.
constexpr unsigned kCloseRangeCloexec = 1U << 2;

// A pipe whose two ends are owned; 0 or errno.
int makePipe(FileDescriptor& readEnd, FileDescriptor& writeEnd) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return errno;
    readEnd = FileDescriptor(fds[0]);
    writeEnd = FileDescriptor(fds[1]);
    return 0;
}

// Every descriptor from `first` on closes when the child executes (without
// close_range, those below the process's limit, at most 65536).
void closeOnExecFrom(int first) {
#ifdef SYS_close_range
    if (::syscall(SYS_close_range, first, ~0U, kCloseRangeCloexec) == 0) return;
#endif
    const long last = std::min(::sysconf(_SC_OPEN_MAX), 65536L);
    for (int fd = first; fd < last; ++fd) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

// In the forked child: its signals and descriptors set, then the program
// executed. Returns only when that failed, with its errno. Only
// async-signal-safe calls: the program may have more than one thread.
int becomeChild(pid_t parent, int (&given)[kChildDescriptors], char* const* argv) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(1);  // the program ended before the call above
    ::setpgid(0, 0);
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGTERM, SIG_IGN);
    // Each moved above the places it goes to first, so that none is
    // overwritten before it is moved.
    int moved[kChildDescriptors];
    for (int i = 0; i < kChildDescriptors; ++i) {
        moved[i] = ::fcntl(given[i], F_DUPFD_CLOEXEC, kAboveGiven);
        if (moved[i] < 0) return errno;
    }
    for (int i = 0; i < kChildDescriptors; ++i) {
        if (::dup2(moved[i], i) < 0) return errno;
    }
    closeOnExecFrom(kChildDescriptors);
    ::execv(kSelf, argv);
    return errno;
}

}  // namespace

bool startProgramAnew(const std::vector<std::string>& arguments, int output, int errors, Child& child,
                      std::string* err) {
    FileDescriptor childIn, toChild, fromChild, childOut, failureIn, failureOut;
    if (const int error = makePipe(childIn, toChild)) return systemFailure(err, error);
    if (const int error = makePipe(fromChild, childOut)) return systemFailure(err, error);
    // The child writes the errno of a start that failed here; a started
    // program closes it unwritten.
    if (const int error = makePipe(failureIn, failureOut)) return systemFailure(err, error);
    const FileDescriptor empty(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    if (empty.fd < 0) return systemFailure(err, errno);
    std::vector<std::string> words{"loteotimizador"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    // What the program has printed goes out before a child starts, so that a
    // reader of both its streams sees them in the order they were printed.
    std::cout << std::flush;
    std::cerr << std::flush;
    std::fflush(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) return systemFailure(err, errno);
    if (pid == 0) {
        // The failure pipe is moved above the places the child's descriptors
        // go to, so that none of them overwrites it.
        const int failure = ::fcntl(failureOut.fd, F_DUPFD_CLOEXEC, kAboveGiven);
        int given[kChildDescriptors] = {empty.fd, output, errors, childIn.fd, childOut.fd};
        const int error = failure < 0 ? errno : becomeChild(parent, given, argv.data());
        if (failure >= 0 && ::write(failure, &error, sizeof error) < 0) {
            // The program then sees the child end at once, as a dead worker.
        }
        ::_exit(127);
    }
    failureOut = FileDescriptor();
    int error = 0;
    if (readWhole(failureIn.fd, &error, sizeof error)) {
        reap(pid);
        return systemFailure(err, error);
    }
    child.pid = pid;
    child.toChild = std::move(toChild);
    child.fromChild = std::move(fromChild);
    return true;
}

int reap(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    return status;
}

void killAndReap(pid_t pid) {
    killProcess(pid);
    reap(pid);
}

void killProcess(pid_t pid) { ::kill(pid, SIGKILL); }

ProcessEnd processEnd(int waitStatus) {
    ProcessEnd end;
    if (WIFSIGNALED(waitStatus)) {
        end.signal = WTERMSIG(waitStatus);
        end.signalName = strsignal(end.signal);
    } else {
        end.exitStatus = WEXITSTATUS(waitStatus);
    }
    return end;
}

std::optional<std::vector<bool>> waitForInput(const std::vector<int>& fds, int milliseconds) {
    std::vector<pollfd> polled;
    for (int fd : fds) polled.push_back({fd, POLLIN, 0});
    const int ready = ::poll(polled.data(), polled.size(), milliseconds);
    if (ready < 0 && errno != EINTR) return std::nullopt;
    std::vector<bool> readable(fds.size(), false);
    for (size_t i = 0; ready > 0 && i < polled.size(); ++i) readable[i] = polled[i].revents != 0;
    return readable;
}

void readWithoutBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

int availableCpus() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) != 0) return 1;
    return std::max(1, CPU_COUNT(&set));
}

bool makeCaptureFile(const char* name, FileDescriptor& file, std::string* err) {
    file = FileDescriptor(::memfd_create(name, MFD_CLOEXEC));
    return file.fd >= 0 || systemFailure(err, errno);
}

std::string captureText(int fd) {
    std::string text;
    char buffer[65536];
    off_t offset = 0;
    while (true) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
        offset += n;
    }
    return text;
}

void emptyCapture(int fd) {
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) < 0) {
        // A capture that cannot be emptied only repeats earlier text.
    }
}

// Named as the program, not as the file it was started from; its channels
// are in place since its start.
void becomeWorker() { ::prctl(PR_SET_NAME, "loteotimizador"); }

long long residentBytesAfterTrim() {
    ::malloc_trim(0);
    long pages = 0, resident = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr) return 0;
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
    return static_cast<long long>(resident) * ::sysconf(_SC_PAGESIZE);
}

void exitNow(int status) { ::_exit(status); }
