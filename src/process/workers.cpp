// The worker processes of a batch, seen from the program that runs it.
#include "process/workers.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>

#include <poll.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include "text/Messages.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Waits for a worker to end (also through signals that interrupt the wait);
// how it ended, as waitpid tells it.
int reap(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

void killAndReap(pid_t pid) {
    ::kill(pid, SIGKILL);
    reap(pid);
}

}  // namespace

std::string whatHappened(const FinishedModel& finished, const std::string& modelPath) {
    char line[1024] = "";
    const char* path = modelPath.c_str();
    if (finished.how == FinishedModel::Unreadable) {
        std::snprintf(line, sizeof line, msg::workerUnreadable, path);
    } else if (finished.how == FinishedModel::Overran) {
        std::ostringstream grace;
        grace << finished.grace;
        std::snprintf(line, sizeof line, finished.whileReading ? msg::workerOverrunReading : msg::workerOverrun, path,
                      grace.str().c_str());
    } else if (finished.how == FinishedModel::Died && WIFSIGNALED(finished.waitStatus)) {
        const int signal = WTERMSIG(finished.waitStatus);
        std::snprintf(line, sizeof line, msg::workerKilledBySignal, path, signal, strsignal(signal));
    } else if (finished.how == FinishedModel::Died) {
        std::snprintf(line, sizeof line, msg::workerExited, path, WEXITSTATUS(finished.waitStatus));
    }
    return line;
}

WorkerPool::WorkerPool(const std::vector<std::string>& modelPaths, const std::string& outputFolder,
                       const BatchSettings& settings, SolveFunction solve)
    : modelPaths_(modelPaths), outputFolder_(outputFolder), settings_(settings), solve_(solve) {}

WorkerPool::~WorkerPool() { stop(); }

bool WorkerPool::startWorker() {
    std::vector<int> inherited;
    for (const WorkerHandle& w : workers_) {
        for (int fd : {w.tasks, w.results, w.out, w.err}) inherited.push_back(fd);
    }
    // Nothing buffered may be written twice, by the parent and by the child.
    std::cout << std::flush;
    std::cerr << std::flush;
    std::fflush(nullptr);
    std::optional<WorkerHandle> worker = startWorkerProcess(modelPaths_, outputFolder_, settings_, solve_, inherited);
    if (!worker) return false;
    workers_.push_back(*worker);
    return true;
}

int WorkerPool::staff(size_t jobs, size_t waiting) {
    for (size_t idleCount = idle(); workers_.size() < jobs && idleCount < waiting; ++idleCount) {
        if (startWorker()) continue;
        const int error = errno;
        if (startFailureSaid_) return 0;
        startFailureSaid_ = true;
        return error;
    }
    return 0;
}

size_t WorkerPool::size() const { return workers_.size(); }

size_t WorkerPool::idle() const {
    size_t count = 0;
    for (const WorkerHandle& worker : workers_) count += worker.model < 0 && !worker.leaving ? 1 : 0;
    return count;
}

size_t WorkerPool::running() const {
    size_t count = 0;
    for (const WorkerHandle& worker : workers_) count += worker.model >= 0 ? 1 : 0;
    return count;
}

void WorkerPool::handOut(std::deque<size_t>& queue) {
    for (WorkerHandle& worker : workers_) {
        if (queue.empty()) return;
        if (worker.model >= 0 || worker.leaving) continue;
        const size_t index = queue.front();
        if (!sendTask(worker, index)) continue;  // a dead worker: seen when its results end
        queue.pop_front();
        worker.model = static_cast<long>(index);
        worker.solving = false;
        worker.taskStart = Clock::now();
    }
}

// The model of a worker that ended without reporting it (or was killed for
// overrunning): what the worker had printed, and how it ended.
FinishedModel WorkerPool::unreported(WorkerHandle& worker, FinishedModel::How how, double seconds) {
    FinishedModel finished;
    finished.how = how;
    finished.index = static_cast<size_t>(worker.model);
    finished.seconds = seconds;
    finished.out = capturedOutput(worker);
    finished.err = capturedErrors(worker);
    worker.model = -1;
    closeWorker(worker);
    return finished;
}

std::optional<std::vector<FinishedModel>> WorkerPool::wait(int milliseconds) {
    std::vector<FinishedModel> finished;
    std::vector<pollfd> fds;
    for (const WorkerHandle& worker : workers_) fds.push_back({worker.results, POLLIN, 0});
    const int ready = ::poll(fds.data(), fds.size(), milliseconds);
    if (ready < 0 && errno != EINTR) return std::nullopt;
    for (size_t i = 0; ready > 0 && i < fds.size(); ++i) {
        if (fds[i].revents == 0) continue;
        WorkerHandle& worker = workers_[i];
        for (WorkerMessage& message : receiveMessages(worker)) {
            if (message.type == WorkerMessage::SolveStarted && !message.unreadable) {
                worker.solving = true;
                worker.solveStart = Clock::now();
            } else if (worker.model >= 0 && (message.unreadable || message.index != static_cast<size_t>(worker.model))) {
                // A worker that says something else than what it was asked is not trusted further.
                killAndReap(worker.pid);
                const double seconds = secondsSince(worker.solving ? worker.solveStart : worker.taskStart);
                finished.push_back(unreported(worker, FinishedModel::Unreadable, seconds));
                break;
            } else if (worker.model >= 0) {
                worker.leaving = message.type == WorkerMessage::DoneLeaving;
                FinishedModel model;
                model.index = static_cast<size_t>(worker.model);
                model.result = std::move(message.result);
                model.out = capturedOutput(worker);
                model.err = capturedErrors(worker);
                finished.push_back(std::move(model));
                worker.model = -1;
                worker.solving = false;
            }
        }
        // Its result pipe has ended: it died, or (idle) left on its own.
        if (worker.pid <= 0 || !worker.ended) continue;
        const int waitStatus = reap(worker.pid);
        if (worker.model < 0) {
            closeWorker(worker);
            continue;
        }
        const double seconds = secondsSince(worker.solving ? worker.solveStart : worker.taskStart);
        finished.push_back(unreported(worker, FinishedModel::Died, seconds));
        finished.back().waitStatus = waitStatus;
    }
    // A model still running well past its time limit (stuck where SCIP does
    // not look at the clock, or in reading it) is killed.
    if (settings_.timeLimit > 0.0) {
        const double grace = std::max(10.0, 0.1 * settings_.timeLimit);
        for (WorkerHandle& worker : workers_) {
            if (worker.pid <= 0 || worker.model < 0) continue;
            const bool reading = !worker.solving;
            const double seconds = secondsSince(reading ? worker.taskStart : worker.solveStart);
            if (seconds <= settings_.timeLimit + grace) continue;
            killAndReap(worker.pid);
            finished.push_back(unreported(worker, FinishedModel::Overran, seconds));
            finished.back().grace = grace;
            finished.back().whileReading = reading;
        }
    }
    // A worker that died, or left to give back its memory, is replaced later.
    workers_.erase(std::remove_if(workers_.begin(), workers_.end(), [](const WorkerHandle& w) { return w.pid <= 0; }),
                   workers_.end());
    return finished;
}

void WorkerPool::stop() {
    for (WorkerHandle& worker : workers_) {
        if (worker.pid > 0) ::kill(worker.pid, SIGKILL);
    }
    for (WorkerHandle& worker : workers_) {
        if (worker.pid > 0) reap(worker.pid);
        closeWorker(worker);
    }
    workers_.clear();
}

int WorkerPool::interruptedBy() const { return interrupts_.signal(); }

int availableCpus() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) != 0) return 1;
    return std::max(1, CPU_COUNT(&set));
}
