// The job loop.
#include "engine/jobs.h"

#include <algorithm>
#include <deque>

namespace {

// Hands racers to the idle workers once no entry waits for a first copy.
void startRacers(const JobKind& kind, const std::deque<size_t>& queue, JobRunner& pool, Races& races) {
    if (!kind.race || !queue.empty() || pool.idle() == 0) return;
    for (const Racer& racer : chooseRacers(pool.runningJobs(), races, pool.idle(), kind.timeLimit, RaceClock::now())) {
        if (!pool.handOutTask(racer.task, kind.request(racer.task.index))) return;
        noteRacer(races, racer);
    }
}

// Hands the entries at the front of `queue` to the idle workers, as first
// copies under the kind's time limit.
void handOut(const JobKind& kind, std::deque<size_t>& queue, JobRunner& pool) {
    while (!queue.empty() && pool.idle() > 0 &&
           pool.handOutTask(Task{queue.front(), 0, kind.timeLimit}, kind.request(queue.front()))) {
        queue.pop_front();
    }
}

// Entries being run: a raced entry's copies count once.
size_t runningEntries(const JobRunner& pool) {
    std::vector<size_t> entries;
    for (const RunningJob& job : pool.runningJobs()) entries.push_back(job.index);
    std::sort(entries.begin(), entries.end());
    return static_cast<size_t>(std::unique(entries.begin(), entries.end()) - entries.begin());
}

}  // namespace

size_t workerCount(size_t waiting, int asked) {
    return std::min(waiting, static_cast<size_t>(asked > 0 ? asked : availableCpus()));
}

int runJobs(const JobKind& kind, const std::vector<size_t>& order, Blocks& blocks) {
    WorkerPool pool(kind.name, kind.understood, kind.timeLimit);
    return runJobs(kind, order, blocks, pool);
}

int runJobs(const JobKind& kind, const std::vector<size_t>& order, Blocks& blocks, JobRunner& pool) {
    std::deque<size_t> queue(order.begin(), order.end());
    Races races;
    // A worker that cannot be started is said once, not at every try; one
    // that died, or left to give back its memory, is replaced. A racing run
    // keeps every worker while jobs run.
    const auto staff = [&] {
        const size_t waiting = queue.size() + (kind.race && pool.running() > 0 ? kind.workers : 0);
        if (std::string reason; !pool.staff(kind.workers, waiting, &reason)) blocks.workerNotStarted(reason);
    };
    // A worker that ends while the run is being stopped leaves its job
    // unfinished, and so does a race that its first answer has not ended.
    const auto take = [&](const FinishedJob& job) {
        if (job.how != FinishedJob::Reported && !job.checkCut && pool.interruptedBy() != 0) return;
        if (!kind.race) return kind.finish(job, JobEnd{});
        const std::optional<RaceResult> ended = copyEnded(races, job, kind.answered(job), kind.better);
        if (!ended) return;
        if (ended->stopOthers) pool.cancel(job.index, job.copy);
        kind.finish(ended->job, ended->end);
    };
    staff();
    blocks.printReady();
    while (blocks.done() < blocks.size() && pool.interruptedBy() == 0) {
        staff();
        if (pool.size() == 0) break;  // no worker can be started: the rest cannot be run
        handOut(kind, queue, pool);
        startRacers(kind, queue, pool, races);
        const std::optional<std::vector<FinishedJob>> finished = pool.wait(200);
        if (!finished) break;
        for (const FinishedJob& job : *finished) take(job);
        if (kind.afterWait) kind.afterWait();
        blocks.printReady();
        blocks.showProgress(runningEntries(pool));
    }
    const int interruptedBy = pool.interruptedBy();
    // Results already sent when the run was stopped are kept, those given
    // before a check that is now cut short too, and a raced entry whose
    // first copy had ended.
    if (interruptedBy != 0) {
        for (const FinishedJob& job : pool.wait(0).value_or(std::vector<FinishedJob>{})) take(job);
        for (const FinishedJob& job : pool.stopChecks()) take(job);
        for (const RaceResult& ended : endedAtStop(races, kind.better)) kind.finish(ended.job, ended.end);
    }
    pool.stop();
    if (kind.afterStop) kind.afterStop();
    blocks.printFinished();
    blocks.clearProgress();
    return interruptedBy;
}
