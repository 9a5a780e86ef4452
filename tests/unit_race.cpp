// Racing: which running models get the idle workers, how a race ends, and
// which copy's files a model keeps.
#include <gtest/gtest.h>

#include "engine/copy_files.h"
#include "engine/race.h"
#include "process/codec.h"
#include "reports/report_rows.h"

#include "TestSupport.h"

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

bool answered(const FinishedJob& job) {
    return job.how == FinishedJob::Reported && endsWithAnswer(*decodeValue<ModelResult>(job.result));
}
bool better(const FinishedJob& a, const FinishedJob& b) {
    if ((a.how == FinishedJob::Reported) != (b.how == FinishedJob::Reported)) return a.how == FinishedJob::Reported;
    return a.how == FinishedJob::Reported &&
           betterResult(*decodeValue<ModelResult>(a.result), *decodeValue<ModelResult>(b.result));
}

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

    // What ends a race: an answer, or a limit on the answer; not a budget.
    EXPECT_TRUE(answered(copy(0, 0, kGapLimit, 1.0)));
    EXPECT_FALSE(answered(copy(0, 0, kNodeLimit, 1.0)));
    EXPECT_FALSE(answered(died(0, 0)));
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
    ASSERT_TRUE(makeCopyFolder(race, 1));
    ASSERT_TRUE(makeCopyFolder(race, 2));
    for (unsigned c : {0u, 1u, 2u}) {
        writeFile(fs::path(copyFolder(race, c)) / "m.sol", "copy " + std::to_string(c));
        writeFile(fs::path(copyFolder(race, c)) / "m.log", "log " + std::to_string(c));
    }
    ModelResult result;
    result.name = "m.lp";
    result.solutionFile = SolutionFile::Written;
    std::ostringstream errors;
    keepCopyFiles(out.string(), race, 2, 3, true, result, errors);
    EXPECT_EQ(readFile(out / "m.sol"), "copy 2");
    EXPECT_EQ(readFile(out / "m.log"), "log 2");
    EXPECT_EQ(errors.str(), "");
    for (unsigned c : {0u, 1u, 2u}) EXPECT_TRUE(fs::is_empty(copyFolder(race, c)));

    // A chosen copy without a solution takes away an older solution file.
    writeFile(fs::path(copyFolder(race, 1)) / "m.sol", "loser");
    result.solutionFile = SolutionFile::Removed;
    keepCopyFiles(out.string(), race, 0, 2, false, result, errors);
    EXPECT_FALSE(fs::exists(out / "m.sol"));
    EXPECT_FALSE(fs::exists(fs::path(copyFolder(race, 1)) / "m.sol"));
    EXPECT_EQ(result.solutionFile, SolutionFile::Removed);
    removeRaceFolder(race);
    EXPECT_FALSE(fs::exists(race));
}
