// A stand-in for the worker processes of the job loop (ninja's fake command
// runner): each job handed out is run at once in the test's own process by
// the test's function, which says how it ends and after how many waits of
// the loop; until then it counts as running.
#pragma once

#include <cerrno>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "process/worker_pool.h"

class FakeRunner : public JobRunner {
public:
    struct Outcome {
        FinishedJob job;          // how it ends (its entry and copy are the task's)
        int afterWaits = 1;       // waits until it ends; -1: only when cancelled or stopped
        double solvingFor = 0.0;  // seconds it has been solving when handed out (racers go to the longest)
    };
    using Run = std::function<Outcome(const Task& task, const std::string& request)>;

    // A reported result that `understood` refuses costs its worker, as the
    // pool would have it (none: every result is understood).
    explicit FakeRunner(Run run, ResultCheck understood = nullptr) : run_(std::move(run)), understood_(understood) {}

    // Workers that can still be started (then starting fails with EAGAIN, said once).
    size_t startsLeft = 1000;
    // The signal that arrives during this wait (counted from 1), if any.
    int interruptAtWait = 0, interruptSignal = 2;
    std::vector<Task> handed;     // every task, in the order handed out
    std::vector<Task> cancelled;  // copies cancelled, in order
    int waits = 0;

    bool staff(size_t jobs, size_t waiting, std::string* err) override {
        while (workers_ < jobs && idle() < waiting) {
            if (startsLeft == 0) {
                if (failureSaid_) return true;
                failureSaid_ = true;
                if (err != nullptr) *err = systemErrorText(EAGAIN);
                return false;
            }
            --startsLeft;
            ++workers_;
        }
        return true;
    }
    size_t size() const override { return workers_; }
    size_t idle() const override { return workers_ - running_.size(); }
    size_t running() const override { return running_.size(); }
    bool handOutTask(const Task& task, const std::string& request) override {
        if (idle() == 0) return false;
        handed.push_back(task);
        Job job{task, run_(task, request), std::chrono::steady_clock::now()};
        job.outcome.job.index = task.index;
        job.outcome.job.copy = task.copy;
        job.start -= std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double>(job.outcome.solvingFor));
        job.outcome.job.solveStart = job.start;
        FinishedJob& ends = job.outcome.job;
        if (ends.how == FinishedJob::Reported && understood_ != nullptr && !understood_(ends.result)) {
            ends.how = FinishedJob::Unreadable;
        }
        running_.push_back(job);
        return true;
    }
    std::vector<RunningJob> runningJobs() const override {
        std::vector<RunningJob> jobs;
        for (const Job& job : running_) jobs.push_back({job.task.index, job.task.copy, job.start});
        return jobs;
    }
    void cancel(size_t index, unsigned keep) override {
        for (size_t i = running_.size(); i-- > 0;) {
            if (running_[i].task.index != index || running_[i].task.copy == keep) continue;
            cancelled.push_back(running_[i].task);
            running_.erase(running_.begin() + static_cast<long>(i));
            --workers_;  // killed
        }
    }
    std::optional<std::vector<FinishedJob>> wait(int) override {
        ++waits;
        if (waits == interruptAtWait) signal_ = interruptSignal;
        std::vector<FinishedJob> finished;
        for (size_t i = 0; i < running_.size();) {
            Outcome& outcome = running_[i].outcome;
            if (outcome.afterWaits < 0 || --outcome.afterWaits > 0) {
                ++i;
                continue;
            }
            finished.push_back(outcome.job);
            if (outcome.job.how != FinishedJob::Reported) --workers_;  // it died, or was stopped, with its job
            running_.erase(running_.begin() + static_cast<long>(i));
        }
        return finished;
    }
    std::vector<FinishedJob> stopChecks() override { return {}; }
    void stop() override {
        running_.clear();
        workers_ = 0;
    }
    int interruptedBy() const override { return signal_; }

private:
    struct Job {
        Task task;
        Outcome outcome;
        std::chrono::steady_clock::time_point start;
    };
    Run run_;
    ResultCheck understood_;
    size_t workers_ = 0;
    bool failureSaid_ = false;
    std::vector<Job> running_;
    int signal_ = 0;
};
