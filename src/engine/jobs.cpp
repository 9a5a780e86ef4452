// The job loop.
#include "engine/jobs.h"

#include <algorithm>
#include <deque>

size_t workerCount(size_t waiting, int asked) {
    return std::min(waiting, static_cast<size_t>(asked > 0 ? asked : availableCpus()));
}

int runJobs(const JobKind& kind, const std::vector<size_t>& order, Blocks& blocks) {
    std::deque<size_t> queue(order.begin(), order.end());
    WorkerPool pool(blocks.size(), kind.run, kind.understood, kind.timeLimit);
    // A worker that cannot be started is said once, not at every try; one
    // that died, or left to give back its memory, is replaced.
    const auto staff = [&] {
        if (const int error = pool.staff(kind.workers, queue.size())) blocks.workerNotStarted(error);
    };
    // A worker that ends while the run is being stopped leaves its job unfinished.
    const auto take = [&](const FinishedJob& job) {
        if (job.how == FinishedJob::Reported || pool.interruptedBy() == 0) kind.finish(job);
    };
    staff();
    blocks.printReady();
    while (blocks.done() < blocks.size() && pool.interruptedBy() == 0) {
        staff();
        if (pool.size() == 0) break;  // no worker can be started: the rest cannot be run
        pool.handOut(queue);
        const std::optional<std::vector<FinishedJob>> finished = pool.wait(200);
        if (!finished) break;
        for (const FinishedJob& job : *finished) take(job);
        if (kind.afterWait) kind.afterWait();
        blocks.printReady();
        blocks.showProgress(pool.running());
    }
    const int interruptedBy = pool.interruptedBy();
    // Results already sent when the run was stopped are kept.
    if (interruptedBy != 0) {
        for (const FinishedJob& job : pool.wait(0).value_or(std::vector<FinishedJob>{})) take(job);
    }
    pool.stop();
    if (kind.afterStop) kind.afterStop();
    blocks.printFinished();
    blocks.clearProgress();
    return interruptedBy;
}
