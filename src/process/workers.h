// The worker processes of a batch: started, handed models, reaped, watched
// for models that run far past their time limit, and stopped, also on
// SIGINT and SIGTERM. Knows nothing of reports or console blocks: what a
// worker finished is handed back as data.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "process/interrupts.h"
#include "process/worker.h"

// A model whose worker is done with it.
struct FinishedModel {
    // Overran: still running (or still being read, before SCIP started to
    // solve it) long past the time limit. Unreadable: the worker's message
    // about it made no sense. Either way the worker is stopped.
    enum How { Reported, Died, Overran, Unreadable };
    How how = Reported;
    size_t index = 0;
    std::optional<ModelResult> result;  // Reported: the worker's result
    int waitStatus = 0;   // Died: how the worker ended, as waitpid tells it
    double seconds = 0.0; // Died, Overran, Unreadable: since SCIP started (or since the model was handed out)
    double grace = 0.0;   // Overran: the seconds allowed past the time limit
    bool whileReading = false;  // Overran: SCIP had not started to solve it
    std::string out, err; // what the worker printed for this model
};

// The line that says why a worker did not report its model.
std::string whatHappened(const FinishedModel& finished, const std::string& modelPath);

class WorkerPool {
public:
    // Workers run `solve` on entries of `modelPaths`. While the pool lives,
    // SIGINT and SIGTERM only note themselves.
    WorkerPool(const std::vector<std::string>& modelPaths, const std::string& outputFolder,
               const BatchSettings& settings, SolveFunction solve);
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;
    ~WorkerPool();

    // Starts workers until `jobs` are alive or the idle ones are enough for
    // the `waiting` models (a worker that died or left is replaced so). The
    // errno of the first start that failed in this pool, once; else 0.
    int staff(size_t jobs, size_t waiting);
    size_t size() const;     // workers alive
    size_t idle() const;     // workers waiting for a model
    size_t running() const;  // models being solved
    // Hands models from the front of `queue` to the idle workers.
    void handOut(std::deque<size_t>& queue);
    // Waits up to `milliseconds` for workers, and returns the models they
    // finished, died on, or overran, in the order seen. Nothing when the
    // workers cannot be waited for.
    std::optional<std::vector<FinishedModel>> wait(int milliseconds);
    // Kills and reaps every worker.
    void stop();
    // SIGINT or SIGTERM once one has arrived, else 0.
    int interruptedBy() const;

private:
    // Starts one more worker. False (errno set) when it cannot.
    bool startWorker();
    FinishedModel unreported(WorkerHandle& worker, FinishedModel::How how, double seconds);

    const std::vector<std::string>& modelPaths_;
    const std::string& outputFolder_;
    const BatchSettings& settings_;
    SolveFunction solve_;
    std::vector<WorkerHandle> workers_;
    bool startFailureSaid_ = false;
    InterruptGuard interrupts_;
};

// CPUs that this process may run on (at least 1).
int availableCpus();

