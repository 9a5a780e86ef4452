// Worker processes: started by fork, they run the batch's function (the solve
// of a model, or its translation) on each entry handed to them and send back
// its result.
#include "process/worker.h"

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

#include "process/result_codec.h"

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

// The text of a capture file of a worker, from its start.
std::string captured(int fd) {
    std::string text;
    char buffer[65536];
    off_t offset = 0;
    while (true) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
        offset += n;
    }
    return text;
}

void appendNumber(std::string& message, uint32_t value) { message.append(reinterpret_cast<const char*>(&value), 4); }

uint32_t numberAt(const std::string& text, size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, text.data() + at, 4);
    return value;
}

// type, entry index, length of the encoded result (0: none), its bytes.
bool sendMessage(int fd, WorkerMessage::Type type, uint32_t index, const std::optional<ModelResult>& result) {
    const std::string payload = result ? encodeResult(*result) : std::string();
    std::string message(1, static_cast<char>(type));
    appendNumber(message, index);
    appendNumber(message, static_cast<uint32_t>(payload.size()));
    return writeAll(fd, message + payload);
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
                             const BatchSettings& settings, SolveFunction solve, int tasks, int results, int out,
                             int err) {
    const int null = ::open("/dev/null", O_RDONLY);
    if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::close(null);
    }
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    // Measured after the first model, so that a library it loads (SCIP's)
    // does not count as growth.
    long startSize = -1;
    uint32_t index = 0;
    while (readAll(tasks, &index, sizeof index) && index < modelPaths.size()) {
        rewind(out);
        rewind(err);
        std::cout.clear();
        std::cerr.clear();
        const std::optional<ModelResult> result =
            solve(modelPaths[index], outputFolder, settings,
                  [&] { sendMessage(results, WorkerMessage::SolveStarted, index, std::nullopt); });
        std::cout.flush();
        std::cerr.flush();
        std::fflush(nullptr);
        ::malloc_trim(0);
        if (startSize < 0) startSize = residentBytes();
        const bool leaving = residentBytes() > startSize + kMemoryGrowthLimit;
        if (!sendMessage(results, leaving ? WorkerMessage::DoneLeaving : WorkerMessage::Done, index, result) ||
            leaving) {
            break;
        }
    }
    ::_exit(0);
}

}  // namespace

std::optional<WorkerHandle> startWorkerProcess(const std::vector<std::string>& modelPaths,
                                               const std::string& outputFolder, const BatchSettings& settings,
                                               SolveFunction solve, const std::vector<int>& inherited) {
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
        // Never outlive the program, never take its Ctrl-C. A stop signal
        // sent to every process (as Slurm does at a time limit or scancel)
        // leaves the worker alone: the program stops it, and its model is
        // then unfinished rather than failed.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(1);
        ::setpgid(0, 0);
        std::signal(SIGINT, SIG_IGN);
        std::signal(SIGTERM, SIG_IGN);
        for (int fd : inherited) ::close(fd);
        ::close(tasks[1]);
        ::close(results[0]);
        workerMain(modelPaths, outputFolder, settings, solve, tasks[0], results[1], out, err);
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
    // A message is used once it has arrived whole.
    constexpr size_t kHead = 1 + 4 + 4;
    while (worker.inbox.size() >= kHead) {
        const uint32_t length = numberAt(worker.inbox, 5);
        if (worker.inbox.size() < kHead + length) break;
        WorkerMessage message;
        message.type = static_cast<WorkerMessage::Type>(worker.inbox[0]);
        message.index = numberAt(worker.inbox, 1);
        if (length > 0) message.result = decodeResult(worker.inbox.substr(kHead, length));
        // A model's end always carries its result; anything else is not understood.
        const char type = worker.inbox[0];
        message.unreadable = type == WorkerMessage::SolveStarted ? length > 0
                             : type == WorkerMessage::Done || type == WorkerMessage::DoneLeaving ? !message.result
                                                                                                : true;
        messages.push_back(message);
        worker.inbox.erase(0, kHead + length);
    }
    return messages;
}

std::string capturedOutput(const WorkerHandle& worker) { return captured(worker.out); }
std::string capturedErrors(const WorkerHandle& worker) { return captured(worker.err); }

void closeWorker(WorkerHandle& worker) {
    for (int* fd : {&worker.tasks, &worker.results, &worker.out, &worker.err}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
    worker.pid = 0;
}
