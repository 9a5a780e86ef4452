// Worker processes: started as children of the program, they run the
// batch's job (the solve of a model, or its translation) on each entry
// handed to them and send back its result.
#include "process/worker.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <optional>
#include <type_traits>

#include "process/child.h"
#include "process/codec.h"
#include "process/wire.h"
#include "platform/system.h"

namespace {

// A worker whose resident memory grows this much over its start is replaced.
constexpr long long kMemoryGrowthLimit = 64LL * 1024 * 1024;

// Where the worker finds its tasks and sends its messages.
constexpr int kTasks = 3, kResults = 4;

// A task as it crosses the pipe, in a frame of its own (the entry is the frame's).
struct TaskMessage {
    unsigned copy = 0;
    double timeLimit = 0.0;
    std::string request;
};
template <typename S, typename F, std::enable_if_t<std::is_same_v<std::remove_const_t<S>, TaskMessage>, int> = 0>
void visitFields(S& s, F&& f) {
    f(s.copy);
    f(s.timeLimit);
    f(s.request);
}
constexpr char kTaskFrame = 'T';

bool send(int fd, WorkerMessage::Type type, uint32_t index, std::string result) {
    return writeWhole(fd, frameBytes(Frame{static_cast<char>(type), index, std::move(result)}), nullptr);
}

// The next task: Whole, Ended once the program has closed its end, Broken
// when it sent what is not a task.
FrameRead nextTask(Task& task, std::string& request) {
    Frame frame;
    const FrameRead read = readFrame(kTasks, frame);
    if (read != FrameRead::Whole) return read;
    std::optional<TaskMessage> message = decodeValue<TaskMessage>(frame.payload);
    if (frame.type != kTaskFrame || !message) return FrameRead::Broken;
    task = Task{frame.index, message->copy, message->timeLimit};
    request = std::move(message->request);
    return FrameRead::Whole;
}

// Runs `job` on each task until the program closes its end; the worker's
// exit status.
int runTasks(const JobFunction& job) {
    // Measured after the first job, so that a library it loads (SCIP's)
    // does not count as growth.
    long long startSize = -1;
    Task task;
    std::string request;
    FrameRead read;
    while ((read = nextTask(task, request)) == FrameRead::Whole) {
        const uint32_t index = static_cast<uint32_t>(task.index);
        emptyCapture(1);
        emptyCapture(2);
        std::cout.clear();
        std::cerr.clear();
        std::string result = job(request, task, [&](const std::string& provisional) {
            send(kResults, WorkerMessage::SolveStarted, index, provisional);
        });
        std::cout.flush();
        std::cerr.flush();
        std::fflush(nullptr);
        const long long size = residentBytesAfterTrim();
        if (startSize < 0) startSize = size;
        const bool leaving = size > startSize + kMemoryGrowthLimit;
        if (!send(kResults, leaving ? WorkerMessage::DoneLeaving : WorkerMessage::Done, index, std::move(result)) ||
            leaving) {
            return 0;
        }
    }
    return read == FrameRead::Ended ? 0 : kBrokenTaskStatus;
}

bool workersAllowed = false;

// A message, and whether it makes sense: a model's end always carries its
// result, the start of a long part nothing or the result so far.
WorkerMessage message(const Frame& frame, ResultCheck understood) {
    WorkerMessage message;
    message.type = static_cast<WorkerMessage::Type>(frame.type);
    message.index = frame.index;
    message.result = frame.payload;
    message.unreadable =
        frame.type == WorkerMessage::SolveStarted ? !frame.payload.empty() && !understood(frame.payload)
        : frame.type == WorkerMessage::Done || frame.type == WorkerMessage::DoneLeaving ? !understood(frame.payload)
                                                                                        : true;
    return message;
}

}  // namespace

void allowWorkers() { workersAllowed = true; }

bool startWorkerProcess(const std::string& kind, WorkerHandle& worker, std::string* err) {
    if (!workersAllowed) return systemFailure(err, ENOEXEC);
    FileDescriptor out, errors;
    if (!makeCaptureFile("loteotimizador-out", out, err) || !makeCaptureFile("loteotimizador-err", errors, err)) {
        return false;
    }
    Child child;
    std::vector<std::string> arguments{kWorkerOption, kind};
    if (outputOnTerminal()) arguments.push_back(kLinesOption);
    if (!startProgramAnew(arguments, out.fd, errors.fd, child, err)) return false;
    worker.pid = child.pid;
    worker.tasks = std::move(child.toChild);
    worker.results = std::move(child.fromChild);
    worker.out = std::move(out);
    worker.err = std::move(errors);
    return true;
}

void runWorker(const JobFunction& job, bool lineBuffered) {
    becomeWorker();
    if (lineBuffered) std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    int status = kJobThrewStatus;
    // A job that throws ends its worker as a failure, which costs its entry only.
    try {
        status = runTasks(job);
    } catch (...) {
        exitNow(kJobThrewStatus);
    }
    std::cout.flush();
    std::fflush(nullptr);
    // The libraries it loaded are left as they are: nothing of theirs runs at exit.
    exitNow(status);
}

bool sendTask(const WorkerHandle& worker, const Task& task, const std::string& request) {
    const std::string payload = encodeValue(TaskMessage{task.copy, task.timeLimit, request});
    return writeWhole(worker.tasks.fd, frameBytes(Frame{kTaskFrame, static_cast<uint32_t>(task.index), payload}),
                      nullptr);
}

std::vector<WorkerMessage> receiveMessages(WorkerHandle& worker, ResultCheck understood) {
    if (!readAvailable(worker.results.fd, worker.inbox)) worker.ended = true;
    std::vector<WorkerMessage> messages;
    // A message is used once it has arrived whole.
    for (const Frame& frame : takeFrames(worker.inbox)) messages.push_back(message(frame, understood));
    return messages;
}

std::string capturedOutput(const WorkerHandle& worker) { return captureText(worker.out.fd); }
std::string capturedErrors(const WorkerHandle& worker) { return captureText(worker.err.fd); }

void closeWorker(WorkerHandle& worker) {
    for (FileDescriptor* fd : {&worker.tasks, &worker.results, &worker.out, &worker.err}) *fd = FileDescriptor();
    worker.pid = 0;
}

std::optional<std::string> computeInChild(const std::string& kind, const std::string& request) {
    WorkerHandle worker;
    if (!startWorkerProcess(kind, worker, nullptr)) return std::nullopt;
    // Its messages read to their end (the pipe blocks).
    const bool sent = sendTask(worker, Task{}, request);
    worker.tasks = FileDescriptor();  // one task: it ends after it
    std::string bytes;
    while (readAvailable(worker.results.fd, bytes)) waitForInput({worker.results.fd}, 100);
    reap(worker.pid);
    closeWorker(worker);
    for (const Frame& frame : takeFrames(bytes)) {
        if (sent && (frame.type == WorkerMessage::Done || frame.type == WorkerMessage::DoneLeaving)) {
            return frame.payload;
        }
    }
    return std::nullopt;
}
