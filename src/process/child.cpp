// Child processes, started by fork.
#include "process/child.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>


namespace {

// A pipe whose two ends are owned; 0 or errno.
int makePipe(FileDescriptor& readEnd, FileDescriptor& writeEnd) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return errno;
    readEnd = FileDescriptor(fds[0]);
    writeEnd = FileDescriptor(fds[1]);
    return 0;
}

void becomeWorker(pid_t parent) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(1);  // the program ended before the call above
    ::setpgid(0, 0);
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGTERM, SIG_IGN);
}

}  // namespace

int startChild(ChildKind kind, const std::vector<int>& parentDescriptors,
               const std::function<void(int in, int out)>& body, Child& child) {
    FileDescriptor childIn, toChild, fromChild, childOut;
    if (const int error = makePipe(childIn, toChild)) return error;
    if (const int error = makePipe(fromChild, childOut)) return error;
    // Nothing buffered may be written twice, by the program and by the child.
    std::cout << std::flush;
    std::cerr << std::flush;
    std::fflush(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) return errno;
    if (pid == 0) {
        if (kind == ChildKind::Worker) becomeWorker(parent);
        for (int fd : parentDescriptors) ::close(fd);
        ::close(toChild.fd);
        ::close(fromChild.fd);
        // An exception must never unwind into the program's own frames,
        // which the child shares: it ends the child as a failure.
        try {
            body(childIn.fd, childOut.fd);
        } catch (...) {
            ::_exit(70);
        }
        ::_exit(0);
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

std::optional<std::string> computeInChild(const char* name, const std::function<std::string()>& compute) {
    const auto body = [&](int, int out) {
        ::prctl(PR_SET_NAME, name);
        const FileDescriptor devNull(::open("/dev/null", O_WRONLY | O_CLOEXEC));
        if (devNull.fd >= 0) {
            ::dup2(devNull.fd, STDOUT_FILENO);
            ::dup2(devNull.fd, STDERR_FILENO);
        }
        writeWhole(out, compute());
    };
    Child child;
    if (startChild(ChildKind::Helper, {}, body, child) != 0) return std::nullopt;
    child.toChild = FileDescriptor();  // it reads nothing
    std::string bytes;
    readAvailable(child.fromChild.fd, bytes);  // a blocking pipe: read to its end
    reap(child.pid);
    return bytes;
}
