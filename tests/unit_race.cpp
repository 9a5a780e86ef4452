// Racing: which running models get the idle workers, how a race ends, and
// which copy's files a model keeps.
#include <gtest/gtest.h>

#include "batch/model_names.h"
#include "engine/batch_runner.h"
#include "engine/copy_files.h"
#include "engine/race.h"
#include "engine/solve_job.h"
#include "process/codec.h"
#include "reports/report_rows.h"
#include "scip/scip_status.h"
#include "scip/solution_file.h"

#include "test_support.h"
#include "fake_runner.h"

using namespace testing_support;

namespace {

const RaceClock::time_point kNow = RaceClock::now();

RaceClock::time_point secondsAgo(double seconds) {
    return kNow - std::chrono::duration_cast<RaceClock::duration>(std::chrono::duration<double>(seconds));
}

RunningJob solving(size_t index, unsigned copy, double seconds) { return {index, copy, secondsAgo(seconds)}; }
RunningJob reading(size_t index) { return {index, 0, std::nullopt}; }

// A copy that ended: reported with a SCIP 10 status and a primal bound, or unreported.
FinishedJob copy(size_t index, unsigned number, int status, std::optional<double> primal, double startedAgo = 5.0) {
    ModelResult result;
    result.name = "m.lp";
    result.fromScip = true;
    result.scipMajorVersion = 10;
    result.scipStatus = status;
    result.statusText = completeStatusText(10, status);
    result.primalBound = primal;
    result.hasSolution = primal.has_value();
    FinishedJob job;
    job.index = index;
    job.copy = number;
    job.result = encodeValue(result);
    job.solveStart = secondsAgo(startedAgo);
    return job;
}
FinishedJob died(size_t index, unsigned number) {
    FinishedJob job;
    job.how = FinishedJob::Died;
    job.index = index;
    job.copy = number;
    return job;
}

constexpr int kOptimal = 1, kTimeLimit = 23, kGapLimit = 25, kNodeLimit = 20;

// The program's own racing rules.
const auto answered = copyAnswered;
const auto better = betterCopy;

std::vector<std::pair<size_t, unsigned>> chosen(const std::vector<Racer>& racers) {
    std::vector<std::pair<size_t, unsigned>> tasks;
    for (const Racer& racer : racers) tasks.emplace_back(racer.task.index, racer.task.copy);
    return tasks;
}

}  // namespace

TEST(RaceChoice, IdleWorkersSpreadOverSolvingModelsLongestFirstWithTheTimeLeft) {
    // Entry 7 is still being read; 3 has solved longest, then 5, then 2.
    const std::vector<RunningJob> running = {solving(2, 0, 1.0), solving(5, 0, 4.0), solving(3, 0, 9.0), reading(7)};
    const Races none;
    const std::vector<Racer> racers = chooseRacers(running, none, 4, 30.0, kNow);
    using P = std::vector<std::pair<size_t, unsigned>>;
    EXPECT_EQ(chosen(racers), (P{{3, 1}, {5, 1}, {2, 1}, {3, 2}}));
    EXPECT_NEAR(racers[0].task.timeLimit, 21.0, 0.01);
    EXPECT_NEAR(racers[2].task.timeLimit, 29.0, 0.01);
    EXPECT_EQ(racers[0].firstSolveStart, secondsAgo(9.0));
    // Without a limit, racers have none.
    EXPECT_EQ(chooseRacers(running, none, 1, 0.0, kNow).at(0).task.timeLimit, 0.0);

    // A model already raced has its copies counted and numbered on; one with
    // less than a second left, or whose first copy has ended, gets none.
    Races races;
    noteRacer(races, Racer{Task{3, 1, 21.0}, secondsAgo(9.0)});
    const std::vector<RunningJob> later = {solving(3, 0, 9.0), solving(3, 1, 2.0), solving(4, 0, 29.5),
                                           solving(6, 1, 3.0)};
    EXPECT_EQ(chosen(chooseRacers(later, races, 2, 30.0, kNow)), (P{{3, 2}, {3, 3}}));
    EXPECT_TRUE(chooseRacers(later, races, 0, 30.0, kNow).empty());
    // With no idle worker a racer is not handed out (and so not counted as running).
    WorkerPool idle(kSolveJob, nullptr, 0.0);
    EXPECT_FALSE(idle.handOutTask(Task{0, 1, 0.0}, ""));
}

TEST(RaceEnd, FirstAnswerWinsOtherwiseBestBoundLowestCopyOnATie) {
    const auto start = [](Races& races, size_t index, unsigned copies) {
        for (unsigned c = 1; c < copies; ++c) noteRacer(races, Racer{Task{index, c, 0.0}, secondsAgo(10.0)});
    };
    Races races;
    // A model never raced ends with its only copy.
    std::optional<RaceResult> end = copyEnded(races, copy(9, 0, kTimeLimit, 3.0), false, better);
    ASSERT_TRUE(end);
    EXPECT_EQ(end->end.copies, 1u);
    EXPECT_EQ(end->end.startedLater, 0.0);

    // The racer's answer wins at once, counts from the first copy's start and stops the others.
    start(races, 1, 3);
    end = copyEnded(races, copy(1, 2, kOptimal, 4.0, 6.0), true, better);
    ASSERT_TRUE(end);
    EXPECT_EQ(end->job.copy, 2u);
    EXPECT_TRUE(end->stopOthers);
    EXPECT_EQ(end->end.copies, 3u);
    EXPECT_NEAR(end->end.startedLater, 4.0, 1e-6);
    // A copy that ended in the same breath is dropped.
    EXPECT_FALSE(copyEnded(races, copy(1, 0, kOptimal, 4.0), true, better));

    // Every copy stopped by a limit: the best primal bound (minimising), the
    // first copy on a tie; a copy that died loses to any that reported.
    start(races, 2, 4);
    EXPECT_FALSE(copyEnded(races, copy(2, 3, kTimeLimit, 7.0), false, better));
    EXPECT_FALSE(copyEnded(races, died(2, 2), false, better));
    EXPECT_FALSE(copyEnded(races, copy(2, 1, kNodeLimit, 7.0), false, better));
    end = copyEnded(races, copy(2, 0, kTimeLimit, std::nullopt), false, better);
    ASSERT_TRUE(end);
    EXPECT_EQ(end->job.copy, 1u);
    EXPECT_FALSE(end->stopOthers);

    // A copy that ended without an answer closes its race to new racers.
    start(races, 3, 2);
    EXPECT_FALSE(copyEnded(races, died(3, 1), false, better));
    EXPECT_TRUE(chooseRacers({solving(3, 0, 5.0)}, races, 1, 0.0, kNow).empty());
    // A stop keeps the row of a model whose first copy had ended, not of one whose racer failed.
    start(races, 4, 2);
    EXPECT_FALSE(copyEnded(races, copy(4, 0, kTimeLimit, 8.0), false, better));
    const std::vector<RaceResult> stopped = endedAtStop(races, better);
    ASSERT_EQ(stopped.size(), 1u);
    EXPECT_EQ(stopped[0].job.index, 4u);
    EXPECT_EQ(stopped[0].job.copy, 0u);

    // What ends a race: an answer, or a limit on the answer; not a budget, nor an unknown status.
    EXPECT_TRUE(answered(copy(0, 0, kGapLimit, 1.0)));
    EXPECT_FALSE(answered(copy(0, 0, kNodeLimit, 1.0)));
    EXPECT_FALSE(answered(copy(0, 0, 0, 1.0)));
    EXPECT_FALSE(answered(died(0, 0)));
    // A copy whose solution was found infeasible answers nothing and loses
    // to any other that reported; of two that died, neither is better.
    FinishedJob infeasible = copy(0, 0, kOptimal, 1.0);
    ModelResult checked = *decodeValue<ModelResult>(infeasible.result);
    checked.verified = Verification::No;
    infeasible.result = encodeValue(checked);
    EXPECT_FALSE(answered(infeasible));
    EXPECT_TRUE(better(copy(0, 1, kTimeLimit, std::nullopt), infeasible));
    EXPECT_FALSE(better(infeasible, copy(0, 1, kTimeLimit, std::nullopt)));
    EXPECT_TRUE(better(infeasible, died(0, 1)));
    EXPECT_FALSE(better(died(0, 1), died(0, 2)));
    EXPECT_FALSE(better(died(0, 2), died(0, 1)));
    ModelResult maximising, worse;
    maximising.fromScip = worse.fromScip = true;
    maximising.minimize = worse.minimize = false;
    maximising.hasSolution = worse.hasSolution = true;
    maximising.primalBound = 10.0;
    worse.primalBound = 8.0;
    EXPECT_TRUE(betterResult(maximising, worse));
    EXPECT_FALSE(betterResult(worse, maximising));
}

TEST(RaceFiles, TheChosenCopysFilesBecomeTheModelsAndEveryCopysGo) {
    TempDir dir;
    const fs::path out = dir / "out";
    fs::create_directory(out);
    const std::string race = makeRaceFolder(out.string());
    ASSERT_FALSE(race.empty());
    for (unsigned c : {0u, 1u, 2u}) {
        ASSERT_TRUE(makeCopyFolder(race, 7, c));
        writeFile(fs::path(copyFolder(race, 7, c)) / "m.sol", "copy " + std::to_string(c));
        writeFile(fs::path(copyFolder(race, 7, c)) / "m.log", "log " + std::to_string(c));
    }
    ModelResult result;
    result.name = "m.lp";
    result.solutionFile = SolutionFile::Written;
    std::ostringstream errors;
    keepCopyFiles(out.string(), race, 7, 2, 3, true, result, errors);
    EXPECT_EQ(readFile(out / "m.sol"), "copy 2");
    EXPECT_EQ(readFile(out / "m.log"), "log 2");
    EXPECT_EQ(errors.str(), "");
    EXPECT_TRUE(fs::is_empty(race));

    // A chosen copy without a solution takes away an older solution file.
    ASSERT_TRUE(makeCopyFolder(race, 7, 1));
    writeFile(fs::path(copyFolder(race, 7, 1)) / "m.sol", "loser");
    result.solutionFile = SolutionFile::Removed;
    keepCopyFiles(out.string(), race, 7, 0, 2, false, result, errors);
    EXPECT_FALSE(fs::exists(out / "m.sol"));
    EXPECT_TRUE(fs::is_empty(race));
    EXPECT_EQ(result.solutionFile, SolutionFile::Removed);
    removeRaceFolder(race);
    EXPECT_FALSE(fs::exists(race));
}

namespace {

// Stands in for SCIP in a racing batch: a.lp is optimal, b.lp stops at its
// time limit, a racer with a better bound than the first copy.
std::optional<ModelResult> standInSolve(std::string modelPath, const std::string& folder, const BatchSettings& settings,
                                        const std::function<void(const std::string&)>& solveStarting) {
    ModelResult result;
    result.name = baseName(modelPath);
    result.fromScip = true;
    result.scipMajorVersion = 10;
    result.stamp = fileStamp(modelPath);
    result.seed = settings.seed;
    solveStarting("");
    const bool racer = settings.racerSeed.has_value();
    result.scipStatus = result.name == "a.lp" ? 1 : 23;  // optimal; time limit
    result.statusText = completeStatusText(10, result.scipStatus);
    result.outcome = result.name == "a.lp" ? Outcome::Optimal : Outcome::TimeLimit;
    result.seconds = 0.25;
    result.firstSolutionSeconds = 0.05;
    result.bestSolutionSeconds = 0.2;
    result.hasSolution = true;
    result.primalBound = racer ? 5.0 : 9.0;
    result.dualBound = 1.0;
    result.solutionFile = writeSolutionFile(folder, result.name, racer ? "racer\n" : "first\n", nullptr);
    return result;
}

// Runs opt's real job on the stand-in, in the test's process, each copy
// ending when a race needs it to: a.lp's first copy never ends by itself
// (its racer answers), b.lp's first copy ends after its racer, and c.lp's
// worker dies with exit code 70.
FakeRunner::Outcome raceOutcome(const Task& task, const std::string& request) {
    FakeRunner::Outcome outcome;
    outcome.solvingFor = 5.0;
    const std::string name = baseName(decodeValue<SolveRequest>(request)->modelPath);
    if (name == "c.lp") {
        outcome.job.how = FinishedJob::Died;
        outcome.job.waitStatus = 70 << 8;
        return outcome;
    }
    outcome.job.result = solveJob(request, task, standInSolve, [](const std::string&) {});
    const ModelResult result = *decodeValue<ModelResult>(outcome.job.result);
    outcome.job.out = outcomeLines(result.name, result.seconds, result.outcome);  // what the worker printed
    if (task.copy == 0) outcome.afterWaits = name == "a.lp" ? -1 : 3;
    return outcome;
}

}  // namespace

TEST(RaceBatch, ARacersAnswerOrBetterBoundWinsWithItsSeedFilesAndTime) {
    TempDir dir;
    fs::create_directory(dir / "m");
    fs::create_directory(dir / "out");
    BatchPlan plan;
    for (const char* name : {"a.lp", "b.lp", "c.lp"}) {
        writeFile(dir / "m" / name, "stand-in");
        plan.modelPaths.push_back((dir / "m" / name).string());
    }
    BatchTarget target;
    target.folder = (dir / "out").string();
    target.settings.jobs = 4;
    target.settings.race = true;
    target.settings.seed = 4;
    plan.targets.push_back(target);
    FakeRunner runner(raceOutcome);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const BatchResult batch = runBatch(plan, &runner);
    const std::string errors = testing::internal::GetCapturedStderr();
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(batch.anyError);  // c.lp
    EXPECT_EQ(batch.workers, 4u);
    const auto rows = reportRows(readFile(dir / "out" / "sol_stat_completo.csv"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2][2], "ERRO NA RESOLUCAO DO MODELO");
    EXPECT_NE(errors.find("/c.lp terminou com o c\xC3\xB3"
                          "digo 70.\n"),
              std::string::npos)
        << errors;
    std::istringstream blocks(console);
    std::vector<double> shown;
    for (std::string line; std::getline(blocks, line);) {
        if (line.rfind("TEMPO: ", 0) == 0) shown.push_back(std::stod(line.substr(7)));
    }
    ASSERT_EQ(shown.size(), 3u) << console;
    for (size_t i = 0; i < 2; ++i) {
        // The racer's seed: the batch's plus its copy.
        EXPECT_EQ(rows[i].at(14), "5") << rows[i][0];
        // Its time counts from the first copy's start, on the block as in the row.
        EXPECT_GT(reportNumber(rows[i][1]), 0.25) << rows[i][0];
        EXPECT_NEAR(shown[i], reportNumber(rows[i][1]), 1e-5) << rows[i][0];
        // So do its solutions' times (found 0,05 and 0,2 s into its copy's 0,25 s).
        EXPECT_NEAR(reportNumber(rows[i].at(19)), reportNumber(rows[i][1]) - 0.2, 2e-6) << rows[i][0];
        EXPECT_NEAR(reportNumber(rows[i].at(20)), reportNumber(rows[i][1]) - 0.05, 2e-6) << rows[i][0];
        EXPECT_EQ(rows[i][3], "5,000000") << rows[i][0];
    }
    EXPECT_EQ(rows[0][2], "SOL OTIMA");
    EXPECT_EQ(rows[1][2], "PROCESSO INTERROMPIDO - LIMITE DE TEMPO");
    EXPECT_EQ(readFile(dir / "out" / "a.sol"), "racer\n");
    EXPECT_EQ(readFile(dir / "out" / "b.sol"), "racer\n");
    EXPECT_EQ(tempFilesIn(dir / "out"), std::vector<std::string>{});
    // Once c.lp's worker died, the idle workers raced a.lp and b.lp once
    // each; a.lp's answer stopped its first copy.
    std::vector<std::pair<size_t, unsigned>> handed;
    for (const Task& task : runner.handed) handed.emplace_back(task.index, task.copy);
    EXPECT_EQ(handed, (std::vector<std::pair<size_t, unsigned>>{{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}}));
    ASSERT_EQ(runner.cancelled.size(), 1u);
    EXPECT_EQ(runner.cancelled[0].index, 0u);
    EXPECT_EQ(runner.cancelled[0].copy, 0u);
}
