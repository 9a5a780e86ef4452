// --corrida: a raced batch gives the answers an unraced one gives, keeps
// only the chosen copy's files, and stops, dies and resumes as one model.
#include <gtest/gtest.h>

#include <csignal>

#include "test_support.h"

using namespace testing_support;

namespace {

// A folder of models solved whatever the machine's speed, and one stopped by
// a time limit of its own (2 s), which it needs far more than.
fs::path raceModels(const TempDir& dir) {
    const fs::path m = dir / "m";
    fs::create_directory(m);
    for (const char* name : {"bell5.lp", "enigma.lp", "flugpl.lp", "lseu.lp", "stein27_inf.lp"}) {
        fs::copy_file(testModels() / "lp" / name, m / name);
    }
    fs::copy_file(testModels() / "timelimit" / "markshare5.lp", m / "markshare5.lp");
    writeFile(m / "markshare5.set", "limits/time = 2\n");
    return m;
}

// The batch's private folder of copies, if there is one.
std::optional<fs::path> raceFolderIn(const fs::path& out) {
    for (const auto& entry : fs::directory_iterator(out)) {
        if (entry.is_directory() && entry.path().filename().string().rfind(".loteotimizador", 0) == 0)
            return entry.path();
    }
    return std::nullopt;
}

// Waits (up to 30 s) until a racer of some model has started.
bool racerStarted(const fs::path& out) {
    for (int i = 0; i < 1500; ++i) {
        const std::optional<fs::path> race = fs::exists(out) ? raceFolderIn(out) : std::nullopt;
        std::error_code error;
        // Copies' folders are named "<entry>-<copy>": a racer's ends in "-1" or later.
        for (fs::directory_iterator it(race.value_or(out), error), end; race && !error && it != end;
             it.increment(error)) {
            const std::string name = it->path().filename().string();
            if (name.size() > 2 && name.compare(name.size() - 2, 2, "-0") != 0) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// The console's "TEMPO: …" value of each block, by model name.
std::map<std::string, double> blockTimes(const std::string& out) {
    std::map<std::string, double> times;
    std::istringstream lines(out);
    std::string line, name;
    while (std::getline(lines, line)) {
        if (line.rfind("NOME: ", 0) == 0) name = line.substr(6);
        if (line.rfind("TEMPO: ", 0) == 0) times[name] = std::stod(line.substr(7));
    }
    return times;
}

}  // namespace

TEST(Race, RacedBatchGivesOneWorkersAnswersAndKeepsOnlyTheChosenCopysFiles) {
    TempDir dir;
    const fs::path m = raceModels(dir);
    const RunResult alone =
        runProgram("", withArgs({"-j", "1", "opt", m.string(), (dir / "alone").string()}));
    ASSERT_EQ(alone.exitCode, 0) << alone.err;
    const fs::path out = dir / "raced";
    const RunResult raced =
        runProgram("", withArgs({"-j", "2", "--corrida", "--logs", "opt", m.string(), out.string()}));
    ASSERT_EQ(raced.exitCode, 0) << raced.err;
    EXPECT_EQ(raced.err, "");

    const auto expected = reportRows(readFile(dir / "alone" / "sol_stat_completo.csv"));
    const auto rows = reportRows(readFile(out / "sol_stat_completo.csv"));
    ASSERT_EQ(rows.size(), expected.size());
    const std::map<std::string, double> shown = blockTimes(raced.out);
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string name = rows[i][0];
        const std::string stem = name.substr(0, name.size() - 3);
        EXPECT_EQ(rows[i][2], expected[i][2]) << name;  // STATUS
        // Z, but for the model stopped by its limit, whose best bound may differ.
        if (name != "markshare5.lp") {
            EXPECT_EQ(rows[i][3], expected[i][3]) << name;
        }
        // The block shows the time its row holds, also when a racer's counts from the first copy's start.
        EXPECT_NEAR(shown.at(name), reportNumber(rows[i][1]), 1e-5 + 1e-5 * shown.at(name)) << name;
        // SEMENTE: empty for the first copy, else the racer's seed.
        EXPECT_TRUE(rows[i].at(14).empty() || rows[i][14] == "1" || rows[i][14] == "2") << name;
        EXPECT_EQ(fs::exists(out / (stem + ".sol")), name != "stein27_inf.lp") << name;
        EXPECT_TRUE(fs::exists(out / (stem + ".log"))) << name;
    }
    EXPECT_EQ(raceFolderIn(out), std::nullopt);
    EXPECT_EQ(tempFilesIn(out), std::vector<std::string>{});
    EXPECT_NE(readFile(out / "parametros.set").find("\n# --corrida: "), std::string::npos);
    EXPECT_EQ(readFile(dir / "alone" / "parametros.set").find("--corrida"), std::string::npos);
}

TEST(Race, StopSignalKillAndResumeTreatARacedModelAsOne) {
    TempDir dir;
    const fs::path m = raceModels(dir);
    // SIGTERM while a model is raced: no row for it, no worker left, no copy's file.
    const fs::path lone = dir / "lone";
    fs::create_directory(lone);
    fs::copy_file(m / "markshare5.lp", lone / "markshare5.lp");
    TempDir io;
    const pid_t batch = startProgram(
        "", io, withArgs({"-j", "2", "-t", "60", "--corrida", "opt", lone.string(), (dir / "term").string()}));
    ASSERT_TRUE(racerStarted(dir / "term"));
    const std::vector<pid_t> workers = childrenOf(batch);
    EXPECT_EQ(workers.size(), 2u);
    kill(batch, SIGTERM);
    const RunResult t = finishProgram(batch, io);
    EXPECT_EQ(t.signal, SIGTERM);
    EXPECT_EQ(reportRows(readFile(dir / "term" / "sol_stat_completo.csv")).size(), 0u);
    EXPECT_FALSE(fs::exists(dir / "term" / "markshare5.sol"));
    EXPECT_EQ(raceFolderIn(dir / "term"), std::nullopt);
    for (pid_t worker : workers) EXPECT_FALSE(processAlive(worker)) << worker;

    // Killed outright while racing the last model: --retomar keeps every
    // finished row, solves the raced model again and clears what the killed
    // batch left.
    const fs::path out = dir / "out";
    TempDir io2;
    const pid_t killed =
        startProgram("", io2, withArgs({"-j", "2", "-t", "60", "--corrida", "opt", m.string(), out.string()}));
    ASSERT_TRUE(racerStarted(out));
    ASSERT_TRUE(waitForRows(out / "sol_stat_completo.csv", 5));
    kill(killed, SIGKILL);
    finishProgram(killed, io2);
    const std::vector<std::string> finished = rowsWithoutTimes(readFile(out / "sol_stat_completo.csv"));
    ASSERT_EQ(finished.size(), 5u);
    const RunResult resumed =
        runProgram("", withArgs({"-j", "2", "-t", "1", "--corrida", "--retomar", "opt", m.string(), out.string()}));
    EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
    EXPECT_EQ(occurrences(resumed.out, "linha mantida do relat"), 5u) << resumed.out;
    const std::vector<std::string> rows = rowsWithoutTimes(readFile(out / "sol_stat_completo.csv"));
    ASSERT_EQ(rows.size(), 6u);
    for (const std::string& row : finished) EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end()) << row;
    EXPECT_EQ(raceFolderIn(out), std::nullopt);
}
