// The parent's side of a batch: worker processes started, models handed out,
// results gathered, blocks printed in model order, the report rewritten.
#include "pool.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

#include <poll.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Messages.h"
#include "files.h"
#include "interrupts.h"
#include "progress.h"
#include "report.h"
#include "worker.h"

namespace {

using Clock = std::chrono::steady_clock;

// One entry of the batch: done once its block can be printed.
struct Entry {
    bool done = false;
    bool shown = true;              // false: not part of this run (another shard's)
    std::vector<std::string> rows;  // one per report; none for an entry without a row
    std::string out, err;
};

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

class Batch {
public:
    Batch(const BatchPlan& plan, const std::string& folder, const BatchSettings& settings)
        : plan_(plan), paths_(plan.modelPaths), folder_(folder), settings_(settings), entries_(paths_.size()) {}

    BatchResult run();

private:
    void markDone(size_t index, std::vector<std::string> rows, std::string out, std::string err);
    void writeReports(std::ostream& errors);
    bool startWorker();
    void dispatch();
    void readResults(WorkerHandle& worker);
    void workerEnded(WorkerHandle& worker);
    void checkOverruns();
    void finishUnreported(WorkerHandle& worker, double seconds, Outcome outcome, const std::string& line);
    void printBlock(size_t index);
    void printReady();
    void showProgress();
    void stopWorkers();

    const BatchPlan& plan_;
    const std::vector<std::string>& paths_;
    const std::string& folder_;
    BatchSettings settings_;
    std::vector<Entry> entries_;
    std::deque<size_t> queue_;
    std::vector<WorkerHandle> workers_;
    size_t nextToPrint_ = 0;
    size_t doneCount_ = 0;
    bool anyError_ = false;
    ProgressLine progress_;
};

void Batch::markDone(size_t index, std::vector<std::string> rows, std::string out, std::string err) {
    Entry& entry = entries_[index];
    entry.done = true;
    entry.rows = std::move(rows);
    entry.out = std::move(out);
    entry.err = std::move(err);
    ++doneCount_;
    if (!entry.rows.empty() && (entry.rows[0].find(msg::statusReadErrorRow) != std::string::npos ||
                                entry.rows[0].find(msg::statusSolveErrorRow) != std::string::npos)) {
        anyError_ = true;
    }
    if (entry.err.find(msg::solutionNotWritten) != std::string::npos ||
        entry.err.find(msg::solutionNotRemoved) != std::string::npos) {
        anyError_ = true;
    }
    // A failure to write a report is said with this entry's block.
    std::ostringstream errors;
    writeReports(errors);
    entry.err += errors.str();
}

// Every report holds the finished rows in folder order.
void Batch::writeReports(std::ostream& errors) {
    for (size_t report = 0; report < plan_.reportNames.size(); ++report) {
        std::vector<std::string> rows;
        for (const Entry& e : entries_) {
            if (e.done && e.rows.size() > report) rows.push_back(e.rows[report]);
        }
        if (!writeReport(folder_, rows, errors, plan_.reportNames[report], plan_.reportHeaders[report])) {
            anyError_ = true;
        }
    }
}

bool Batch::startWorker() {
    std::vector<int> inherited;
    for (const WorkerHandle& w : workers_) {
        for (int fd : {w.tasks, w.results, w.out, w.err}) inherited.push_back(fd);
    }
    std::cout << std::flush;
    std::cerr << std::flush;
    std::fflush(nullptr);
    std::optional<WorkerHandle> worker = startWorkerProcess(paths_, folder_, settings_, inherited);
    if (!worker) {
        progress_.clear();
        std::cerr << msg::workerNotStarted << std::strerror(errno) << "\n" << std::flush;
        return false;
    }
    workers_.push_back(*worker);
    return true;
}

void Batch::dispatch() {
    for (WorkerHandle& worker : workers_) {
        if (queue_.empty()) return;
        if (worker.model >= 0 || worker.leaving) continue;
        const size_t index = queue_.front();
        if (!sendTask(worker, index)) continue;  // a dead worker: seen when its results end
        queue_.pop_front();
        worker.model = static_cast<long>(index);
        worker.solving = false;
        worker.taskStart = Clock::now();
    }
}

void Batch::readResults(WorkerHandle& worker) {
    for (const WorkerMessage& message : receiveMessages(worker)) {
        if (message.type == WorkerMessage::SolveStarted) {
            worker.solving = true;
            worker.solveStart = Clock::now();
        } else if (worker.model >= 0) {
            worker.leaving = message.type == WorkerMessage::DoneLeaving;
            markDone(static_cast<size_t>(worker.model), message.rows, captured(worker.out), captured(worker.err));
            worker.model = -1;
            worker.solving = false;
        }
    }
}

// A worker's result pipe has ended: it died or (idle) left on its own.
void Batch::workerEnded(WorkerHandle& worker) {
    int status = 0;
    ::waitpid(worker.pid, &status, 0);
    if (worker.model < 0) {
        closeWorker(worker);
        return;
    }
    const std::string& path = paths_[static_cast<size_t>(worker.model)];
    char line[1024];
    if (WIFSIGNALED(status)) {
        std::snprintf(line, sizeof line, msg::workerKilledBySignal, path.c_str(), WTERMSIG(status),
                      strsignal(WTERMSIG(status)));
    } else {
        std::snprintf(line, sizeof line, msg::workerExited, path.c_str(), WEXITSTATUS(status));
    }
    const Clock::time_point since = worker.solving ? worker.solveStart : worker.taskStart;
    finishUnreported(worker, std::chrono::duration<double>(Clock::now() - since).count(), Outcome::SolveError, line);
}

// A model still running well past its time limit (stuck where SCIP does not
// look at the clock) is killed, and reported as stopped by the limit.
void Batch::checkOverruns() {
    if (settings_.timeLimit <= 0.0) return;
    const double grace = std::max(10.0, 0.1 * settings_.timeLimit);
    for (WorkerHandle& worker : workers_) {
        if (worker.model < 0 || !worker.solving) continue;
        const double seconds = std::chrono::duration<double>(Clock::now() - worker.solveStart).count();
        if (seconds <= settings_.timeLimit + grace) continue;
        ::kill(worker.pid, SIGKILL);
        ::waitpid(worker.pid, nullptr, 0);
        std::ostringstream graceText;
        graceText << grace;
        char line[1024];
        std::snprintf(line, sizeof line, msg::workerOverrun, paths_[static_cast<size_t>(worker.model)].c_str(),
                      graceText.str().c_str());
        finishUnreported(worker, seconds, Outcome::TimeLimit, line);
    }
}

// The entry of a worker that ended without reporting it: what the worker had
// printed, the outcome lines, `line` on standard error, no values, no
// solution file (an old one would contradict the report).
void Batch::finishUnreported(WorkerHandle& worker, double seconds, Outcome outcome, const std::string& line) {
    const size_t index = static_cast<size_t>(worker.model);
    const std::string name = baseName(paths_[index]);
    const std::string out = captured(worker.out) + outcomeLines(name, seconds, outcome);
    std::ostringstream err;
    err << captured(worker.err) << line;
    const std::string solution = joinPath(folder_, solutionFileName(name));
    if (const int error = removeIfPresent(solution)) printIoError(msg::solutionNotRemoved, solution, error, err);
    worker.model = -1;
    closeWorker(worker);
    markDone(index, {buildResultRow(name, seconds, outcome, std::nullopt), incompleteRow(name, seconds, outcome)}, out,
             err.str());
}

void Batch::printBlock(size_t index) {
    const Entry& entry = entries_[index];
    std::cout << msg::dashLine << msg::modelHeader << index << msg::modelHeaderEnd << entry.out << std::flush;
    std::cerr << entry.err << std::flush;
}

// Blocks go out in entry order: a finished entry waits for every earlier one.
void Batch::printReady() {
    for (; nextToPrint_ < entries_.size() && entries_[nextToPrint_].done; ++nextToPrint_) {
        if (!entries_[nextToPrint_].shown) continue;
        progress_.clear();
        printBlock(nextToPrint_);
    }
}

void Batch::showProgress() {
    size_t running = 0;
    for (const WorkerHandle& worker : workers_) running += worker.model >= 0 ? 1 : 0;
    progress_.show(doneCount_, entries_.size(), running);
}

void Batch::stopWorkers() {
    for (WorkerHandle& worker : workers_) {
        if (worker.pid > 0) ::kill(worker.pid, SIGKILL);
    }
    for (WorkerHandle& worker : workers_) {
        if (worker.pid > 0) ::waitpid(worker.pid, nullptr, 0);
        closeWorker(worker);
    }
    workers_.clear();
}

BatchResult Batch::run() {
    const InterruptGuard interrupts;
    size_t shownCount = 0;
    for (size_t i = 0; i < paths_.size(); ++i) {
        if (!plan_.solve.empty() && !plan_.solve[i]) {
            entries_[i].done = true;
            entries_[i].shown = false;
            ++doneCount_;
            continue;
        }
        ++shownCount;
        const auto kept = plan_.keptRows.find(baseName(paths_[i]));
        if (kept != plan_.keptRows.end() && endsWith(paths_[i], "lp")) {
            markDone(i, kept->second, std::string(msg::nameLabel) + kept->first + "\n" + msg::rowKept, "");
        } else if (endsWith(paths_[i], "lp")) {
            queue_.push_back(i);
        } else {
            markDone(i, {}, "", "");
        }
    }
    // A shard without entries still leaves its (empty) reports.
    if (shownCount == 0 && !plan_.solve.empty()) {
        std::ostringstream errors;
        writeReports(errors);
        std::cerr << errors.str() << std::flush;
    }
    const size_t jobs = std::min(queue_.size(), static_cast<size_t>(std::max(1, settings_.jobs)));
    for (size_t i = 0; i < jobs; ++i) startWorker();
    printReady();

    while (doneCount_ < entries_.size() && interrupts.signal() == 0) {
        // A worker that died, or left to give back its memory, is replaced.
        workers_.erase(std::remove_if(workers_.begin(), workers_.end(), [](const WorkerHandle& w) { return w.pid <= 0; }),
                       workers_.end());
        size_t idle = 0;
        for (const WorkerHandle& worker : workers_) idle += worker.model < 0 && !worker.leaving ? 1 : 0;
        while (workers_.size() < jobs && idle < queue_.size() && startWorker()) ++idle;
        if (workers_.empty()) break;  // no worker can be started: the rest cannot be solved
        dispatch();
        std::vector<pollfd> fds;
        for (const WorkerHandle& worker : workers_) fds.push_back({worker.results, POLLIN, 0});
        const int ready = ::poll(fds.data(), fds.size(), 200);
        if (ready < 0 && errno != EINTR) break;
        for (size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents == 0) continue;
            readResults(workers_[i]);
            if (workers_[i].ended) workerEnded(workers_[i]);
        }
        checkOverruns();
        printReady();
        showProgress();
    }
    const int interruptedBy = interrupts.signal();
    stopWorkers();
    removeStaleTempFiles(folder_);
    printReady();
    if (interruptedBy != 0) {
        // Entries finished after one that did not are shown too: their rows are in the report.
        for (; nextToPrint_ < entries_.size(); ++nextToPrint_) {
            if (entries_[nextToPrint_].done && entries_[nextToPrint_].shown) printBlock(nextToPrint_);
        }
    }
    progress_.clear();
    BatchResult result;
    result.entries = shownCount;
    result.finished = doneCount_ - (entries_.size() - shownCount);
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& entry = entries_[i];
        if (!entry.shown || !entry.done || entry.rows.empty()) continue;
        result.rowPositions.push_back(i);
        // CONFERE ends the complete row.
        if (!settings_.knownResults || entry.rows.size() < 2) continue;
        const std::string& row = entry.rows[1];
        const std::string check = row.substr(row.rfind(';') + 1);
        if (check == msg::checkOk) ++result.agree;
        if (check == msg::checkWrong) ++result.wrong;
        if (check == msg::checkNoReference) ++result.unreferenced;
    }
    if (settings_.knownResults) std::printf(msg::checkSummary, result.agree, result.wrong, result.unreferenced);
    result.anyError = anyError_ || doneCount_ < entries_.size();
    if (interruptedBy != 0) {
        result.interruptedBy = interruptedBy;
        std::fprintf(stderr, msg::batchInterrupted, result.finished, result.entries);
    }
    std::cout << std::flush;
    std::fflush(nullptr);
    return result;
}

}  // namespace

BatchResult runBatch(const BatchPlan& plan, const std::string& outputFolder, const BatchSettings& settings) {
    BatchSettings resolved = settings;
    if (resolved.jobs <= 0) resolved.jobs = availableCpus();
    if (resolved.memoryLimitMb <= 0.0) resolved.memoryLimitMb = memoryPerWorkerMb(resolved.jobs);
    Batch batch(plan, outputFolder, resolved);
    return batch.run();
}

int availableCpus() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) != 0) return 1;
    return std::max(1, CPU_COUNT(&set));
}

double memoryPerWorkerMb(int jobs) {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    double kilobytes = 0.0;
    std::string unit;
    while (meminfo >> key >> kilobytes >> unit) {
        if (key == "MemAvailable:") return kilobytes / 1024.0 / std::max(1, jobs);
    }
    return 0.0;
}
