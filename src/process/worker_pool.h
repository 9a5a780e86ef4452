// The worker processes of a batch: started, handed jobs, reaped, watched
// for jobs that run far past their time limit, and stopped, also on SIGINT
// and SIGTERM. Knows nothing of reports or console blocks: what a worker
// finished is handed back as data.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "process/child.h"
#include "process/interrupts.h"
#include "process/worker.h"

// A job whose worker is done with it.
struct FinishedJob {
    // Overran: still running (or still in its first part, before SCIP
    // started to solve) long past the time limit. Unreadable: the worker's
    // message about it made no sense. Either way the worker is stopped.
    // Stopped: killed in its solution check because the run was being stopped.
    enum How { Reported, Died, Overran, Unreadable, Stopped };
    How how = Reported;
    size_t index = 0;
    unsigned copy = 0;          // which copy of the entry's job
    std::string result;         // Reported, checkCut: the worker's result, as bytes that the pool's check understood
    bool checkCut = false;      // Died, Overran: in its second long part, after it gave `result`
    int waitStatus = 0;         // Died: how the worker ended, as waitpid tells it
    double seconds = 0.0;       // Died, Overran, Unreadable: since SCIP started (or since the job was handed out)
    double grace = 0.0;         // Overran: the seconds allowed past the time limit
    bool whileReading = false;  // Overran: SCIP had not started to solve it
    std::string out, err;       // what the worker printed for this job
    // When SCIP started to solve it; nothing when it had not.
    std::optional<std::chrono::steady_clock::time_point> solveStart;
};

// A job being run, as the pool sees it.
struct RunningJob {
    size_t index = 0;
    unsigned copy = 0;
    // When SCIP started to solve it; nothing while it is still being read.
    std::optional<std::chrono::steady_clock::time_point> solveStart;
};

// The line that says why a worker did not report its job.
std::string whatHappened(const FinishedJob& finished, const std::string& modelPath);

// What runs the jobs of the job loop: worker processes (WorkerPool below),
// or in tests a stand-in that runs them in the process.
class JobRunner {
public:
    virtual ~JobRunner() = default;
    // Starts workers until `jobs` are alive or the idle ones are enough for
    // the `waiting` jobs (a worker that died or left is replaced so). False,
    // with the system's reason in `err`, for the first start that failed;
    // a start that fails after that one is not said again, and gives true.
    virtual bool staff(size_t jobs, size_t waiting, std::string* err) = 0;
    virtual size_t size() const = 0;     // workers alive
    virtual size_t idle() const = 0;     // workers waiting for a job
    virtual size_t running() const = 0;  // jobs being run
    // Hands `task`, told by `request`, to an idle worker; false when none took it.
    virtual bool handOutTask(const Task& task, const std::string& request) = 0;
    virtual std::vector<RunningJob> runningJobs() const = 0;
    // Kills the workers running a copy of entry `index` (other than
    // `keep`'s); their jobs end unreported and unfinished.
    virtual void cancel(size_t index, unsigned keep) = 0;
    // Waits up to `milliseconds` for workers, and returns the jobs they
    // finished, died on, or overran, in the order seen. Nothing when the
    // workers cannot be waited for.
    virtual std::optional<std::vector<FinishedJob>> wait(int milliseconds) = 0;
    // Kills the workers checking a solution and returns their jobs (Stopped),
    // each with the result it gave before its check.
    virtual std::vector<FinishedJob> stopChecks() = 0;
    // Kills and reaps every worker.
    virtual void stop() = 0;
    // SIGINT or SIGTERM once one has arrived, else 0.
    virtual int interruptedBy() const = 0;
};

class WorkerPool : public JobRunner {
public:
    // Workers are the program started anew for the kind of job `kind`; a
    // result that `understood` refuses costs the worker. A job running far
    // past `timeLimit` (0: none) is stopped. While the pool lives, SIGINT
    // and SIGTERM only note themselves.
    WorkerPool(std::string kind, ResultCheck understood, double timeLimit);
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;
    ~WorkerPool() override;

    bool staff(size_t jobs, size_t waiting, std::string* err) override;
    size_t size() const override;
    size_t idle() const override;
    size_t running() const override;
    bool handOutTask(const Task& task, const std::string& request) override;
    std::vector<RunningJob> runningJobs() const override;
    void cancel(size_t index, unsigned keep) override;
    std::optional<std::vector<FinishedJob>> wait(int milliseconds) override;
    std::vector<FinishedJob> stopChecks() override;
    void stop() override;
    int interruptedBy() const override;

private:
    void readMessages(WorkerHandle& worker, std::vector<FinishedJob>& finished);
    void reapIfEnded(WorkerHandle& worker, std::vector<FinishedJob>& finished);
    void stopOverrunning(std::vector<FinishedJob>& finished);
    FinishedJob unreported(WorkerHandle& worker, FinishedJob::How how, double seconds);
    bool give(WorkerHandle& worker, const Task& task, const std::string& request);
    void dropGone();

    std::string kind_;
    ResultCheck understood_;
    double timeLimit_;
    std::vector<WorkerHandle> workers_;
    bool startFailureSaid_ = false;
    InterruptGuard interrupts_;
};
