// Child processes, started by fork and exec.
#include "process/child.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <iostream>

#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The program's own file, whatever its name or folder.
constexpr const char* kSelf = "/proc/self/exe";
// Descriptors the child is given: input, output, error, tasks, results.
constexpr int kChildDescriptors = 5;

// A pipe whose two ends are owned; 0 or errno.
int makePipe(FileDescriptor& readEnd, FileDescriptor& writeEnd) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return errno;
    readEnd = FileDescriptor(fds[0]);
    writeEnd = FileDescriptor(fds[1]);
    return 0;
}

// Every descriptor from `first` on closes when the child executes.
void closeOnExecFrom(int first) {
    if (::syscall(SYS_close_range, first, ~0U, CLOSE_RANGE_CLOEXEC) == 0) return;
    const long last = std::min(::sysconf(_SC_OPEN_MAX), 65536L);
    for (int fd = first; fd < last; ++fd) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

// In the forked child: its signals and descriptors set, then the program
// executed. Returns only when that failed, with its errno.
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
        moved[i] = ::fcntl(given[i], F_DUPFD_CLOEXEC, 10);
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

int startProgramAnew(const std::vector<std::string>& arguments, int out, int err, Child& child) {
    FileDescriptor childIn, toChild, fromChild, childOut, failureIn, failureOut;
    if (const int error = makePipe(childIn, toChild)) return error;
    if (const int error = makePipe(fromChild, childOut)) return error;
    // The child writes the errno of a start that failed here; a started
    // program closes it unwritten.
    if (const int error = makePipe(failureIn, failureOut)) return error;
    const FileDescriptor empty(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    if (empty.fd < 0) return errno;
    std::vector<std::string> words{"loteotimizador"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    // Nothing buffered may be written twice, by the program and by the child.
    std::cout << std::flush;
    std::cerr << std::flush;
    std::fflush(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) return errno;
    if (pid == 0) {
        int given[kChildDescriptors] = {empty.fd, out, err, childIn.fd, childOut.fd};
        const int error = becomeChild(parent, given, argv.data());
        writeWhole(failureOut.fd, std::string(reinterpret_cast<const char*>(&error), sizeof error));
        ::_exit(127);
    }
    failureOut = FileDescriptor();
    int error = 0;
    if (readWhole(failureIn.fd, &error, sizeof error)) {
        reap(pid);
        return error;
    }
    child.pid = pid;
    child.toChild = std::move(toChild);
    child.fromChild = std::move(fromChild);
    return 0;
}

int reap(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

void killAndReap(pid_t pid) {
    ::kill(pid, SIGKILL);
    reap(pid);
}
