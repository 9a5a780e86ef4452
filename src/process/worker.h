// One worker process: runs the jobs that the program hands it, one after
// another, and sends back each one's result; what a job prints goes to two
// capture files that the program reads.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

#include "platform/files.h"

// What a worker is handed: an entry, which copy of its job (0: the first;
// a racing batch runs more copies of an entry at once, each under another
// seed) and the time limit of this copy (0: none).
struct Task {
    size_t index = 0;
    unsigned copy = 0;
    double timeLimit = 0.0;
};

// In a worker: the job of `task`, told by the program as `request` bytes,
// its result as bytes. `solveStarting` says that the job's long part begins
// (SCIP starts to solve): from then on the time limit counts. Said a second
// time, with the job's result so far, a second long part begins (the check
// of the solution), which the watchdog allows the time limit again; a
// worker that dies or is stopped in it has given that result.
using JobFunction = std::function<std::string(const std::string& request, const Task& task,
                                              const std::function<void(const std::string&)>& solveStarting)>;
// In the program: the request bytes of entry `index`'s job.
using RequestFunction = std::function<std::string(size_t index)>;
// In the program: whether a worker's bytes are a whole result.
using ResultCheck = bool (*)(const std::string& bytes);

// The program's view of one worker.
struct WorkerHandle {
    pid_t pid = 0;
    FileDescriptor tasks;     // program -> worker: tasks and their requests
    FileDescriptor results;   // worker -> program: messages
    FileDescriptor out;       // capture of the worker's standard output, per job
    FileDescriptor err;       // capture of the worker's standard error, per job
    long entry = -1;          // the entry it is running, or -1 when idle
    unsigned copy = 0;        // which copy of the entry's job
    double timeLimit = 0.0;   // that copy's time limit (0: none)
    bool solving = false;     // its long part has started
    bool checking = false;    // its second long part (opt: the check of the solution) has started
    std::string provisional;  // checking: the result it gave before that part
    bool leaving = false;     // it ends after its last result: no more tasks
    bool ended = false;       // its result pipe has ended
    std::chrono::steady_clock::time_point taskStart, solveStart, checkStart;
    std::string inbox;  // bytes of a message not yet whole
};

struct WorkerMessage {
    // DoneLeaving: done, and the worker ends to give back its memory.
    enum Type : char { SolveStarted = 'S', Done = 'D', DoneLeaving = 'E' };
    Type type = Done;
    size_t index = 0;         // the entry it is about
    std::string result;       // Done: the job's result; SolveStarted: its result so far, if any
    bool unreadable = false;  // not understood: an unknown type, or a Done without a whole result
};

// A worker is the program started anew with kWorkerOption and the name of
// its kind of job, then kLinesOption when the program's standard output is a
// terminal (the worker then writes its output line by line, as the program
// would). It reads its tasks from descriptor 3 and writes its messages to
// descriptor 4, its standard output and error captured.
inline constexpr const char* kWorkerOption = "--trabalhador";
inline constexpr const char* kLinesOption = "--linhas";
// A worker ends with this status when the program sent what is not a task,
// and with 70 when its job threw.
inline constexpr int kBrokenTaskStatus = 65, kJobThrewStatus = 70;

// Lets this program start workers. Only the program's entry point, which
// knows the worker mode, calls it: another program that links this code (a
// test) would start copies of itself; it gets ENOEXEC instead.
void allowWorkers();
// Starts the program anew as a worker of the kind of job `kind` (its result
// pipe blocks). False, with the system's reason in `err`, when it cannot.
bool startWorkerProcess(const std::string& kind, WorkerHandle& worker, std::string* err);
// In the program started as a worker: runs `job` on each task it is handed
// until the program closes its end, or it leaves to give back memory; then
// ends the process (0, or the statuses above).
[[noreturn]] void runWorker(const JobFunction& job, bool lineBuffered);
// Runs one job of the kind `kind`, told by `request`, in a worker of its
// own, and returns its result; what the worker prints is dropped (what a
// library prints of its own stays out of the console). Nothing when no
// worker could be started or it ended without a result.
std::optional<std::string> computeInChild(const std::string& kind, const std::string& request);
// Hands `task`, told by `request`, to an idle worker. False when the worker is gone.
bool sendTask(const WorkerHandle& worker, const Task& task, const std::string& request);
// The whole messages that have arrived; sets `ended` once the pipe ends.
std::vector<WorkerMessage> receiveMessages(WorkerHandle& worker, ResultCheck understood);
// What the worker has printed since it was handed its current job.
std::string capturedOutput(const WorkerHandle& worker);
std::string capturedErrors(const WorkerHandle& worker);
// Closes the program's ends of a worker's pipes and captures.
void closeWorker(WorkerHandle& worker);
