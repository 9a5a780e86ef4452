// One worker process: runs the jobs that the program hands it, one after
// another, and sends back each one's result; what a job prints goes to two
// capture files that the program reads.
#pragma once

#include <chrono>
#include <functional>
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

// In a worker: the job of `task`, its result as bytes. `solveStarting`
// says that the job's long part begins (SCIP starts to solve): from then on
// the time limit counts. Said a second time, a second long part begins (the
// check of the solution), which the watchdog allows the time limit again.
using JobFunction = std::function<std::string(const Task& task, const std::function<void()>& solveStarting)>;
// In the program: whether a worker's bytes are a whole result.
using ResultCheck = bool (*)(const std::string& bytes);

// The program's view of one worker.
struct WorkerHandle {
    pid_t pid = 0;
    FileDescriptor tasks;    // program -> worker: entry indexes
    FileDescriptor results;  // worker -> program: messages
    FileDescriptor out;      // capture of the worker's standard output, per job
    FileDescriptor err;      // capture of the worker's standard error, per job
    long entry = -1;         // the entry it is running, or -1 when idle
    unsigned copy = 0;       // which copy of the entry's job
    double timeLimit = 0.0;  // that copy's time limit (0: none)
    bool solving = false;    // its long part has started
    bool checking = false;   // its second long part (opt: the check of the solution) has started
    bool leaving = false;    // it ends after its last result: no more tasks
    bool ended = false;      // its result pipe has ended
    std::chrono::steady_clock::time_point taskStart, solveStart, checkStart;
    std::string inbox;  // bytes of a message not yet whole
};

struct WorkerMessage {
    // DoneLeaving: done, and the worker ends to give back its memory.
    enum Type : char { SolveStarted = 'S', Done = 'D', DoneLeaving = 'E' };
    Type type = Done;
    size_t index = 0;    // the entry it is about
    std::string result;  // Done: the job's result
    bool unreadable = false;  // not understood: an unknown type, or a Done without a whole result
};

// Forks a worker that runs `job` on the entries (below `entries`) it is
// handed. `inherited` are descriptors of other workers that the new one must
// not keep open. Returns 0 or the errno of what failed.
int startWorkerProcess(size_t entries, const JobFunction& job, const std::vector<int>& inherited,
                       WorkerHandle& worker);
// Hands `task` to an idle worker. False when the worker is gone.
bool sendTask(const WorkerHandle& worker, const Task& task);
// The whole messages that have arrived; sets `ended` once the pipe ends.
std::vector<WorkerMessage> receiveMessages(WorkerHandle& worker, ResultCheck understood);
// What the worker has printed since it was handed its current job.
std::string capturedOutput(const WorkerHandle& worker);
std::string capturedErrors(const WorkerHandle& worker);
// Closes the program's ends of a worker's pipes and captures.
void closeWorker(WorkerHandle& worker);
