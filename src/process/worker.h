// One worker process: solves the models that the parent hands it, one after
// another, and sends back each one's result; what the solve prints goes to
// two capture files that the parent reads.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

#include "batch/batch.h"

// The parent's view of one worker.
struct WorkerHandle {
    pid_t pid = 0;
    int tasks = -1;    // parent -> worker: model indexes
    int results = -1;  // worker -> parent: messages
    int out = -1;      // capture of the worker's standard output, per model
    int err = -1;      // capture of the worker's standard error, per model
    long model = -1;   // the entry it is solving, or -1 when idle
    bool solving = false;  // SCIP has started to solve it
    bool leaving = false;  // it ends after its last result: no more tasks
    bool ended = false;    // its result pipe has ended
    std::chrono::steady_clock::time_point taskStart, solveStart;
    std::string inbox;  // bytes of a message not yet whole
};

struct WorkerMessage {
    // DoneLeaving: done, and the worker ends to give back its memory.
    enum Type : char { SolveStarted = 'S', Done = 'D', DoneLeaving = 'E' };
    Type type = Done;
    size_t index = 0;                   // the entry it is about
    std::optional<ModelResult> result;  // Done: the model's result
    bool unreadable = false;            // a message that is not understood (a Done without a whole result)
};

// Forks a worker that runs `solve` on the entries of `modelPaths` it is
// handed. `inherited` are descriptors of other workers that the new one must
// not keep open. Nothing (errno set) when it cannot be started.
std::optional<WorkerHandle> startWorkerProcess(const std::vector<std::string>& modelPaths,
                                               const std::string& outputFolder, const BatchSettings& settings,
                                               SolveFunction solve, const std::vector<int>& inherited);
// Hands entry `index` to an idle worker. False when the worker is gone.
bool sendTask(const WorkerHandle& worker, size_t index);
// The whole messages that have arrived; sets `ended` once the pipe ends.
std::vector<WorkerMessage> receiveMessages(WorkerHandle& worker);
// What the worker has printed since it was handed its current model.
std::string capturedOutput(const WorkerHandle& worker);
std::string capturedErrors(const WorkerHandle& worker);
// Closes the parent's ends of a worker's pipes and captures.
void closeWorker(WorkerHandle& worker);
