// The job loop on a stand-in runner: hand-out order, each block in entry
// order, workers that die or cannot be started, and stops.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "engine/jobs.h"

#include "fake_runner.h"

namespace {

// A kind whose request is the entry's number and whose finish notes how
// each entry ended and shows what its job printed.
struct Recorded {
    std::vector<std::pair<size_t, FinishedJob::How>> finished;
};
JobKind recordingKind(Blocks& blocks, Recorded& recorded, size_t workers) {
    JobKind kind;
    kind.name = "test";
    kind.request = [](size_t index) { return std::to_string(index); };
    kind.understood = [](const std::string& bytes) { return !bytes.empty(); };
    kind.finish = [&blocks, &recorded](const FinishedJob& job, const JobEnd&) {
        recorded.finished.emplace_back(job.index, job.how);
        blocks.finish(job.index, job.out, job.err);
    };
    kind.workers = workers;
    return kind;
}

// Entry i prints "job i" and ends after the waits given for it (-1: never);
// `dies` die instead of reporting.
FakeRunner::Run script(std::vector<int> waits, std::vector<size_t> dies = {}) {
    return [waits, dies](const Task& task, const std::string& request) {
        EXPECT_EQ(request, std::to_string(task.index));
        FakeRunner::Outcome outcome;
        outcome.afterWaits = waits.at(task.index);
        outcome.job.out = "job " + request + "\n";
        outcome.job.result = "ok";
        for (size_t d : dies) {
            if (d == task.index) outcome.job.how = FinishedJob::Died;
        }
        return outcome;
    };
}

std::vector<size_t> indexes(const std::vector<Task>& tasks) {
    std::vector<size_t> result;
    for (const Task& task : tasks) result.push_back(task.index);
    return result;
}

}  // namespace

TEST(JobLoop, HandsOutInOrderShowsBlocksInEntryOrderAndADeadWorkerCostsItsEntryOnly) {
    Blocks blocks(4, "\n", false);
    Recorded recorded;
    const JobKind kind = recordingKind(blocks, recorded, 2);
    // Entry 2 runs longest (three waits); 3's worker dies.
    FakeRunner runner(script({1, 1, 3, 1}, {3}));
    testing::internal::CaptureStdout();
    EXPECT_EQ(runJobs(kind, {2, 0, 3, 1}, blocks, runner), 0);
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(indexes(runner.handed), (std::vector<size_t>{2, 0, 3, 1}));
    using F = std::vector<std::pair<size_t, FinishedJob::How>>;
    EXPECT_EQ(recorded.finished, (F{{0, FinishedJob::Reported},
                                    {3, FinishedJob::Died},
                                    {2, FinishedJob::Reported},
                                    {1, FinishedJob::Reported}}));
    const std::string dashes(60, '-');
    std::string expected;
    for (int i = 0; i < 4; ++i)
        expected += dashes + "\nMODELO " + std::to_string(i) + "\njob " + std::to_string(i) + "\n";
    EXPECT_EQ(console, expected);
    // Two workers, and one started again for the one that died.
    EXPECT_EQ(runner.startsLeft, 1000u - 3u);
    EXPECT_EQ(runner.size(), 0u);  // stopped at the end
}

TEST(JobLoop, AStopKeepsWhatWasReportedLeavesTheRestUnfinishedAndShowsFinishedBlocks) {
    Blocks blocks(4, "\n", false);
    Recorded recorded;
    const JobKind kind = recordingKind(blocks, recorded, 3);
    // SIGTERM arrives during the second wait, as entry 2 reports and 1's
    // worker ends (the stop ended it); 0 is still running.
    FakeRunner runner(script({-1, 2, 2, 1}, {1}));
    runner.interruptAtWait = 2;
    runner.interruptSignal = SIGTERM;
    testing::internal::CaptureStdout();
    EXPECT_EQ(runJobs(kind, {0, 1, 2, 3}, blocks, runner), SIGTERM);
    const std::string console = testing::internal::GetCapturedStdout();
    using F = std::vector<std::pair<size_t, FinishedJob::How>>;
    EXPECT_EQ(recorded.finished, (F{{2, FinishedJob::Reported}}));
    EXPECT_EQ(indexes(runner.handed), (std::vector<size_t>{0, 1, 2}));  // 3 never started: no worker was idle
    EXPECT_EQ(blocks.done(), 1u);
    // The finished block is shown though earlier entries never finished.
    EXPECT_EQ(console, std::string(60, '-') + "\nMODELO 2\njob 2\n");
}

TEST(JobLoop, NoWorkerStartedIsSaidOnceAndRunsNothing) {
    Blocks blocks(2, "\n", false);
    Recorded recorded;
    const JobKind kind = recordingKind(blocks, recorded, 2);
    FakeRunner runner(script({1, 1}));
    runner.startsLeft = 0;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    EXPECT_EQ(runJobs(kind, {0, 1}, blocks, runner), 0);
    testing::internal::GetCapturedStdout();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(runner.handed.empty());
    EXPECT_TRUE(recorded.finished.empty());
    EXPECT_EQ(errors, std::string("N\xC3\xA3o foi poss\xC3\xADvel iniciar um processo de resolu\xC3\xA7\xC3\xA3o: ") +
                          std::strerror(11) + "\n");
}
