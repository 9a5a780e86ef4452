// Worker processes: started by fork, they load SCIP, solve the models handed
// to them and send back each one's row.
#include "worker.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>

#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// A worker whose resident memory grows this much over its start is replaced.
constexpr long kMemoryGrowthLimit = 64L * 1024 * 1024;

bool writeAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool readAll(int fd, void* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, static_cast<char*>(data) + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

void appendNumber(std::string& message, uint32_t value) { message.append(reinterpret_cast<const char*>(&value), 4); }

uint32_t numberAt(const std::string& text, size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, text.data() + at, 4);
    return value;
}

// type, entry index, number of rows, then each row's length and bytes.
bool sendMessage(int fd, WorkerMessage::Type type, uint32_t index, const std::vector<std::string>& rows) {
    std::string message(1, static_cast<char>(type));
    appendNumber(message, index);
    appendNumber(message, static_cast<uint32_t>(rows.size()));
    for (const std::string& row : rows) {
        appendNumber(message, static_cast<uint32_t>(row.size()));
        message += row;
    }
    return writeAll(fd, message);
}

long residentBytes() {
    long pages = 0, resident = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr) return 0;
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
    return resident * ::sysconf(_SC_PAGESIZE);
}

void rewind(int fd) {
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) < 0) {
        // A capture that cannot be emptied only repeats earlier text.
    }
}

[[noreturn]] void workerMain(const std::vector<std::string>& modelPaths, const std::string& outputFolder,
                             const BatchSettings& settings, int tasks, int results, int out, int err) {
    const int null = ::open("/dev/null", O_RDONLY);
    if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::close(null);
    }
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    std::string ignored;
    loadScipLibrary(ignored);  // the start size below includes the library
    const long startSize = residentBytes();
    std::vector<std::string> rows;
    uint32_t index = 0;
    while (readAll(tasks, &index, sizeof index) && index < modelPaths.size()) {
        rewind(out);
        rewind(err);
        rows.clear();
        std::cout.clear();
        std::cerr.clear();
        solveModel(modelPaths[index], outputFolder, settings, rows,
                   [&] { sendMessage(results, WorkerMessage::SolveStarted, index, {}); });
        std::cout.flush();
        std::cerr.flush();
        std::fflush(nullptr);
        ::malloc_trim(0);
        const bool leaving = residentBytes() > startSize + kMemoryGrowthLimit;
        if (!sendMessage(results, leaving ? WorkerMessage::DoneLeaving : WorkerMessage::Done, index, rows) || leaving) {
            break;
        }
    }
    ::_exit(0);
}

}  // namespace

std::optional<WorkerHandle> startWorkerProcess(const std::vector<std::string>& modelPaths,
                                               const std::string& outputFolder, const BatchSettings& settings,
                                               const std::vector<int>& inherited) {
    int tasks[2], results[2];
    if (::pipe2(tasks, O_CLOEXEC) != 0) return std::nullopt;
    if (::pipe2(results, O_CLOEXEC) != 0) {
        ::close(tasks[0]);
        ::close(tasks[1]);
        return std::nullopt;
    }
    const int out = ::memfd_create("loteotimizador-out", MFD_CLOEXEC);
    const int err = ::memfd_create("loteotimizador-err", MFD_CLOEXEC);
    WorkerHandle worker;
    worker.tasks = tasks[1];
    worker.results = results[0];
    worker.out = out;
    worker.err = err;
    if (out < 0 || err < 0) {
        const int error = errno;
        ::close(tasks[0]);
        ::close(results[1]);
        closeWorker(worker);
        errno = error;
        return std::nullopt;
    }
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Never outlive the program, never take its Ctrl-C.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(1);
        ::setpgid(0, 0);
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        for (int fd : inherited) ::close(fd);
        ::close(tasks[1]);
        ::close(results[0]);
        workerMain(modelPaths, outputFolder, settings, tasks[0], results[1], out, err);
    }
    const int error = errno;
    ::close(tasks[0]);
    ::close(results[1]);
    if (pid < 0) {
        closeWorker(worker);
        errno = error;
        return std::nullopt;
    }
    worker.pid = pid;
    ::fcntl(worker.results, F_SETFL, ::fcntl(worker.results, F_GETFL) | O_NONBLOCK);
    return worker;
}

bool sendTask(const WorkerHandle& worker, size_t index) {
    const uint32_t value = static_cast<uint32_t>(index);
    return writeAll(worker.tasks, std::string(reinterpret_cast<const char*>(&value), sizeof value));
}

std::vector<WorkerMessage> receiveMessages(WorkerHandle& worker) {
    char buffer[65536];
    while (true) {
        const ssize_t n = ::read(worker.results, buffer, sizeof buffer);
        if (n > 0) {
            worker.inbox.append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) worker.ended = true;
        break;
    }
    std::vector<WorkerMessage> messages;
    while (true) {
        // A message is used once it has arrived whole.
        const std::string& inbox = worker.inbox;
        size_t at = 1 + 4 + 4;
        if (inbox.size() < at) break;
        const uint32_t count = numberAt(inbox, 5);
        WorkerMessage message;
        message.type = static_cast<WorkerMessage::Type>(inbox[0]);
        bool whole = true;
        for (uint32_t i = 0; i < count && whole; ++i) {
            if (inbox.size() < at + 4) {
                whole = false;
                break;
            }
            const uint32_t length = numberAt(inbox, at);
            at += 4;
            if (inbox.size() < at + length) {
                whole = false;
                break;
            }
            message.rows.push_back(inbox.substr(at, length));
            at += length;
        }
        if (!whole) break;
        messages.push_back(message);
        worker.inbox.erase(0, at);
    }
    return messages;
}

void closeWorker(WorkerHandle& worker) {
    for (int* fd : {&worker.tasks, &worker.results, &worker.out, &worker.err}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
    worker.pid = 0;
}
