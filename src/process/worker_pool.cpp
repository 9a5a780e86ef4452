// The worker processes of a batch, seen from the program that runs it.
#include "process/worker_pool.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sstream>

#include "text/messages.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Since SCIP started to solve the worker's job, or since it was handed out.
double jobSeconds(const WorkerHandle& worker) {
    return secondsSince(worker.solving ? worker.solveStart : worker.taskStart);
}

}  // namespace

std::string whatHappened(const FinishedJob& finished, const std::string& modelPath) {
    char line[1024] = "";
    const char* path = modelPath.c_str();
    if (finished.how == FinishedJob::Unreadable) {
        std::snprintf(line, sizeof line, msg::workerUnreadable, path);
    } else if (finished.how == FinishedJob::Overran) {
        std::ostringstream grace;
        grace << finished.grace;
        std::snprintf(line, sizeof line, finished.whileReading ? msg::workerOverrunReading : msg::workerOverrun, path,
                      grace.str().c_str());
    } else if (finished.how == FinishedJob::Died) {
        const ProcessEnd end = processEnd(finished.waitStatus);
        if (end.signal != 0) {
            std::snprintf(line, sizeof line, msg::workerKilledBySignal, path, end.signal, end.signalName.c_str());
        } else {
            std::snprintf(line, sizeof line, msg::workerExited, path, end.exitStatus);
        }
    }
    return line;
}

WorkerPool::WorkerPool(std::string kind, ResultCheck understood, double timeLimit)
    : kind_(std::move(kind)), understood_(understood), timeLimit_(timeLimit) {}

WorkerPool::~WorkerPool() { stop(); }

bool WorkerPool::staff(size_t jobs, size_t waiting, std::string* err) {
    for (size_t idleCount = idle(); workers_.size() < jobs && idleCount < waiting; ++idleCount) {
        WorkerHandle worker;
        if (startWorkerProcess(kind_, worker, startFailureSaid_ ? nullptr : err)) {
            // The pool waits on every worker at once: a read never blocks.
            readWithoutBlocking(worker.results.fd);
            workers_.push_back(std::move(worker));
            continue;
        }
        if (startFailureSaid_) return true;
        startFailureSaid_ = true;
        return false;
    }
    return true;
}

size_t WorkerPool::size() const { return workers_.size(); }

size_t WorkerPool::idle() const {
    size_t count = 0;
    for (const WorkerHandle& worker : workers_) count += worker.entry < 0 && !worker.leaving ? 1 : 0;
    return count;
}

size_t WorkerPool::running() const {
    size_t count = 0;
    for (const WorkerHandle& worker : workers_) count += worker.entry >= 0 ? 1 : 0;
    return count;
}

// Hands `task` to `worker` if it is idle; a dead worker is seen when its results end.
bool WorkerPool::give(WorkerHandle& worker, const Task& task, const std::string& request) {
    if (worker.entry >= 0 || worker.leaving || !sendTask(worker, task, request)) return false;
    worker.entry = static_cast<long>(task.index);
    worker.copy = task.copy;
    worker.timeLimit = task.timeLimit;
    worker.solving = false;
    worker.checking = false;
    worker.provisional.clear();
    worker.taskStart = Clock::now();
    return true;
}

bool WorkerPool::handOutTask(const Task& task, const std::string& request) {
    for (WorkerHandle& worker : workers_) {
        if (give(worker, task, request)) return true;
    }
    return false;
}

std::vector<RunningJob> WorkerPool::runningJobs() const {
    std::vector<RunningJob> jobs;
    for (const WorkerHandle& worker : workers_) {
        if (worker.entry < 0) continue;
        RunningJob job{static_cast<size_t>(worker.entry), worker.copy, std::nullopt};
        if (worker.solving) job.solveStart = worker.solveStart;
        jobs.push_back(job);
    }
    return jobs;
}

// Workers that died, were killed or left go from the pool; they are replaced later.
void WorkerPool::dropGone() {
    workers_.erase(std::remove_if(workers_.begin(), workers_.end(), [](const WorkerHandle& w) { return w.pid <= 0; }),
                   workers_.end());
}

void WorkerPool::cancel(size_t index, unsigned keep) {
    for (WorkerHandle& worker : workers_) {
        if (worker.pid <= 0 || worker.entry != static_cast<long>(index) || worker.copy == keep) continue;
        killAndReap(worker.pid);
        worker.entry = -1;
        closeWorker(worker);
    }
    dropGone();
}

// The job of a worker that ended without reporting it (or was killed):
// what the worker had printed, and how it ended.
FinishedJob WorkerPool::unreported(WorkerHandle& worker, FinishedJob::How how, double seconds) {
    FinishedJob finished;
    finished.how = how;
    finished.index = static_cast<size_t>(worker.entry);
    finished.copy = worker.copy;
    finished.seconds = seconds;
    if (worker.solving) finished.solveStart = worker.solveStart;
    finished.out = capturedOutput(worker);
    finished.err = capturedErrors(worker);
    // A job that died or overran in its check gave its result before it.
    finished.checkCut = how != FinishedJob::Unreadable && worker.checking && !worker.provisional.empty();
    if (finished.checkCut) finished.result = std::move(worker.provisional);
    worker.entry = -1;
    closeWorker(worker);
    return finished;
}

void WorkerPool::readMessages(WorkerHandle& worker, std::vector<FinishedJob>& finished) {
    for (WorkerMessage& message : receiveMessages(worker, understood_)) {
        if (message.type == WorkerMessage::SolveStarted && !message.unreadable && worker.solving) {
            // Said again: the check of its solution starts, with an allowance of its own.
            worker.checking = true;
            worker.checkStart = Clock::now();
            worker.provisional = std::move(message.result);
        } else if (message.type == WorkerMessage::SolveStarted && !message.unreadable) {
            worker.solving = true;
            worker.solveStart = Clock::now();
        } else if (worker.entry >= 0 && (message.unreadable || message.index != static_cast<size_t>(worker.entry))) {
            // A worker that says something else than what it was asked is not trusted further.
            killAndReap(worker.pid);
            finished.push_back(unreported(worker, FinishedJob::Unreadable, jobSeconds(worker)));
            return;
        } else if (worker.entry >= 0) {
            worker.leaving = message.type == WorkerMessage::DoneLeaving;
            FinishedJob job;
            job.index = static_cast<size_t>(worker.entry);
            job.copy = worker.copy;
            if (worker.solving) job.solveStart = worker.solveStart;
            job.result = std::move(message.result);
            job.out = capturedOutput(worker);
            job.err = capturedErrors(worker);
            finished.push_back(std::move(job));
            worker.entry = -1;
            worker.solving = false;
            worker.checking = false;
        }
    }
}

// A worker whose result pipe has ended died, or (idle) left on its own.
void WorkerPool::reapIfEnded(WorkerHandle& worker, std::vector<FinishedJob>& finished) {
    if (worker.pid <= 0 || !worker.ended) return;
    const int waitStatus = reap(worker.pid);
    if (worker.entry < 0) {
        closeWorker(worker);
        return;
    }
    finished.push_back(unreported(worker, FinishedJob::Died, jobSeconds(worker)));
    finished.back().waitStatus = waitStatus;
}

// A job still running well past its time limit (stuck where SCIP does not
// look at the clock, or in reading its model) is killed.
void WorkerPool::stopOverrunning(std::vector<FinishedJob>& finished) {
    for (WorkerHandle& worker : workers_) {
        if (worker.pid <= 0 || worker.entry < 0 || worker.timeLimit <= 0.0) continue;
        const double grace = std::max(10.0, 0.1 * worker.timeLimit);
        const bool reading = !worker.solving;
        const double seconds = jobSeconds(worker);
        // A solution being checked gets the batch's time limit and grace
        // again, from the check's start (a racing copy's own limit may be short).
        const double allowed =
            worker.checking ? std::max(worker.timeLimit, timeLimit_) + grace : worker.timeLimit + grace;
        if ((worker.checking ? secondsSince(worker.checkStart) : seconds) <= allowed) continue;
        killAndReap(worker.pid);
        finished.push_back(unreported(worker, FinishedJob::Overran, seconds));
        finished.back().grace = grace;
        finished.back().whileReading = reading;
    }
}

std::optional<std::vector<FinishedJob>> WorkerPool::wait(int milliseconds) {
    std::vector<int> fds;
    for (const WorkerHandle& worker : workers_) fds.push_back(worker.results.fd);
    const std::optional<std::vector<bool>> ready = waitForInput(fds, milliseconds);
    if (!ready) return std::nullopt;
    std::vector<FinishedJob> finished;
    for (size_t i = 0; i < fds.size(); ++i) {
        if (!(*ready)[i]) continue;
        readMessages(workers_[i], finished);
        reapIfEnded(workers_[i], finished);
    }
    stopOverrunning(finished);
    dropGone();
    return finished;
}

std::vector<FinishedJob> WorkerPool::stopChecks() {
    std::vector<FinishedJob> cut;
    for (WorkerHandle& worker : workers_) {
        if (worker.pid <= 0 || worker.entry < 0 || !worker.checking || worker.provisional.empty()) continue;
        killAndReap(worker.pid);
        cut.push_back(unreported(worker, FinishedJob::Stopped, jobSeconds(worker)));
    }
    dropGone();
    return cut;
}

void WorkerPool::stop() {
    for (WorkerHandle& worker : workers_) {
        if (worker.pid > 0) killProcess(worker.pid);
    }
    for (WorkerHandle& worker : workers_) {
        if (worker.pid > 0) reap(worker.pid);
        closeWorker(worker);
    }
    workers_.clear();
}

int WorkerPool::interruptedBy() const { return interrupts_.signal(); }
