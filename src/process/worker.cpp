// Worker processes: started as children of the program, they run the
// batch's job (the solve of a model, or its translation) on each entry
// handed to them and send back its result.
#include "process/worker.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <iostream>

#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include "process/child.h"
#include "process/wire.h"

namespace {

// A worker whose resident memory grows this much over its start is replaced.
constexpr long kMemoryGrowthLimit = 64L * 1024 * 1024;

// The text of a capture file of a worker, from its start.
std::string captured(int fd) {
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

// A task as it crosses the pipe (both ends are one program on one machine).
struct TaskBytes {
    uint32_t index;
    uint32_t copy;
    double timeLimit;
};

bool send(int fd, WorkerMessage::Type type, uint32_t index, std::string result) {
    return writeWhole(fd, frameBytes(Frame{static_cast<char>(type), index, std::move(result)})) == 0;
}

[[noreturn]] void workerMain(size_t entries, const JobFunction& job, int tasks, int results, int out, int err) {
    {
        const FileDescriptor null(::open("/dev/null", O_RDONLY | O_CLOEXEC));
        if (null.fd >= 0) ::dup2(null.fd, STDIN_FILENO);
    }
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    // Measured after the first job, so that a library it loads (SCIP's)
    // does not count as growth.
    long startSize = -1;
    TaskBytes bytes{};
    while (readWhole(tasks, &bytes, sizeof bytes) && bytes.index < entries) {
        const uint32_t index = bytes.index;
        rewind(out);
        rewind(err);
        std::cout.clear();
        std::cerr.clear();
        const Task task{index, bytes.copy, bytes.timeLimit};
        std::string result = job(task, [&] { send(results, WorkerMessage::SolveStarted, index, ""); });
        std::cout.flush();
        std::cerr.flush();
        std::fflush(nullptr);
        ::malloc_trim(0);
        if (startSize < 0) startSize = residentBytes();
        const bool leaving = residentBytes() > startSize + kMemoryGrowthLimit;
        if (!send(results, leaving ? WorkerMessage::DoneLeaving : WorkerMessage::Done, index, std::move(result)) ||
            leaving) {
            break;
        }
    }
    ::_exit(0);
}

// A message, and whether it makes sense: a model's end always carries its
// result, the start of its solve nothing.
WorkerMessage message(const Frame& frame, ResultCheck understood) {
    WorkerMessage message;
    message.type = static_cast<WorkerMessage::Type>(frame.type);
    message.index = frame.index;
    message.result = frame.payload;
    message.unreadable = frame.type == WorkerMessage::SolveStarted ? !frame.payload.empty()
                         : frame.type == WorkerMessage::Done || frame.type == WorkerMessage::DoneLeaving
                             ? !understood(frame.payload)
                             : true;
    return message;
}

}  // namespace

int startWorkerProcess(size_t entries, const JobFunction& job, const std::vector<int>& inherited,
                       WorkerHandle& worker) {
    FileDescriptor out(::memfd_create("loteotimizador-out", MFD_CLOEXEC));
    if (out.fd < 0) return errno;
    FileDescriptor err(::memfd_create("loteotimizador-err", MFD_CLOEXEC));
    if (err.fd < 0) return errno;
    const auto body = [&](int tasks, int results) { workerMain(entries, job, tasks, results, out.fd, err.fd); };
    Child child;
    if (const int error = startChild(ChildKind::Worker, inherited, body, child)) return error;
    worker.pid = child.pid;
    worker.tasks = std::move(child.toChild);
    worker.results = std::move(child.fromChild);
    worker.out = std::move(out);
    worker.err = std::move(err);
    ::fcntl(worker.results.fd, F_SETFL, ::fcntl(worker.results.fd, F_GETFL) | O_NONBLOCK);
    return 0;
}

bool sendTask(const WorkerHandle& worker, const Task& task) {
    const TaskBytes value{static_cast<uint32_t>(task.index), task.copy, task.timeLimit};
    return writeWhole(worker.tasks.fd, std::string(reinterpret_cast<const char*>(&value), sizeof value)) == 0;
}

std::vector<WorkerMessage> receiveMessages(WorkerHandle& worker, ResultCheck understood) {
    if (!readAvailable(worker.results.fd, worker.inbox)) worker.ended = true;
    std::vector<WorkerMessage> messages;
    // A message is used once it has arrived whole.
    for (const Frame& frame : takeFrames(worker.inbox)) messages.push_back(message(frame, understood));
    return messages;
}

std::string capturedOutput(const WorkerHandle& worker) { return captured(worker.out.fd); }
std::string capturedErrors(const WorkerHandle& worker) { return captured(worker.err.fd); }

void closeWorker(WorkerHandle& worker) {
    for (FileDescriptor* fd : {&worker.tasks, &worker.results, &worker.out, &worker.err}) *fd = FileDescriptor();
    worker.pid = 0;
}
