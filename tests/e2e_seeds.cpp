// --sementes: every model under every seed in one pool, each seed into its
// own complete folder that resumes, merges and compares as a batch does.
#include <gtest/gtest.h>

#include <csignal>

#include "test_support.h"

using namespace testing_support;

namespace {

// The "MODELO …" header lines of a console, in order.
std::vector<std::string> blockHeaders(const std::string& out) {
    std::vector<std::string> headers;
    for (const std::string& line : lines(out)) {
        if (line.rfind("MODELO ", 0) == 0) headers.push_back(line);
    }
    return headers;
}

}  // namespace

TEST(SeedRun, EveryModelUnderEverySeedKilledResumedAndComparedAsOneRun) {
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    // Four quick models, and one that runs into its limit: smaller than the
    // others, so handed out last.
    for (const char* name : {"bell5.lp", "enigma.lp", "lseu.lp", "stein27_inf.lp"}) {
        fs::copy_file(testModels() / "lp" / name, m / name);
    }
    fs::copy_file(testModels() / "timelimit" / "markshare5.lp", m / "markshare5.lp");
    const fs::path out = dir / "out";
    const std::vector<std::string> seeds = {"0", "1", "2"};
    TempDir io;
    const pid_t killed =
        startProgram("", io, withArgs({"-j", "2", "-t", "60", "--sementes", "0-2", "opt", m.string(), out.string()}));
    for (const std::string& seed : seeds) {
        ASSERT_TRUE(waitForRows(out / ("semente-" + seed) / "sol_stat_completo.csv", 4, 60.0)) << seed;
    }
    kill(killed, SIGKILL);
    finishProgram(killed, io);
    std::map<std::string, std::vector<std::string>> before;
    for (const std::string& seed : seeds) {
        before[seed] = rowsWithoutTimes(readFile(out / ("semente-" + seed) / "sol_stat_completo.csv"));
        ASSERT_EQ(before[seed].size(), 4u) << seed;
    }

    const RunResult resumed = runProgram(
        "", withArgs({"-j", "2", "-t", "1", "--sementes", "0-2", "--retomar", "opt", m.string(), out.string()}));
    EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
    EXPECT_EQ(occurrences(resumed.out, "linha mantida do relat"), 12u) << resumed.out;
    // Folder order, then seed order.
    std::vector<std::string> expected;
    for (int model = 0; model < 5; ++model) {
        for (const std::string& seed : seeds)
            expected.push_back("MODELO " + std::to_string(model) + " (semente " + seed + ") ");
    }
    EXPECT_EQ(blockHeaders(resumed.out), expected);
    for (const std::string& seed : seeds) {
        const fs::path folder = out / ("semente-" + seed);
        const std::vector<std::string> rows = rowsWithoutTimes(readFile(folder / "sol_stat_completo.csv"));
        ASSERT_EQ(rows.size(), 5u) << seed;
        for (const std::string& row : before[seed])
            EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end()) << row;
        for (const auto& row : reportRows(readFile(folder / "sol_stat_completo.csv"))) {
            EXPECT_EQ(row.at(14), seed) << row[0];  // SEMENTE
            if (row[0] == "markshare5.lp") {
                EXPECT_EQ(row[2], "PROCESSO INTERROMPIDO - LIMITE DE TEMPO");
            }
        }
        const std::string record = readFile(folder / "parametros.set");
        EXPECT_NE(record.find("\n# --semente: " + seed + "\n"), std::string::npos) << record;
        EXPECT_EQ(record.find("randomization/randomseedshift = " + seed + "\n") != std::string::npos, seed != "0");
        EXPECT_TRUE(fs::exists(folder / "enigma.sol"));
        EXPECT_EQ(tempFilesIn(folder), std::vector<std::string>{});
    }
    EXPECT_FALSE(fs::exists(out / "sol_stat_completo.csv"));

    // comparar reads the folder as one run of five models, with its seeds' spread.
    const RunResult compared = runProgram("", withArgs({"comparar", out.string()}));
    EXPECT_EQ(compared.exitCode, 0) << compared.err;
    EXPECT_NE(compared.out.find("Resumo dos 5 modelos"), std::string::npos) << compared.out;
    EXPECT_NE(compared.out.find("(sementes 0, 1, 2)"), std::string::npos) << compared.out;
}

TEST(SeedRun, PartsMergeIntoEachSeedsFolderAndBadSeedsAreRefused) {
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    for (const char* name : {"enigma.lp", "flugpl.lp", "stein27_inf.lp"})
        fs::copy_file(testModels() / "lp" / name, m / name);
    const fs::path whole = dir / "whole", parts = dir / "parts";
    ASSERT_EQ(runProgram("", withArgs({"--sementes", "3,1", "opt", m.string(), whole.string()})).exitCode, 0);
    for (const char* part : {"1/2", "2/2"}) {
        const RunResult r =
            runProgram("", withArgs({"--shard", part, "--sementes", "3,1", "opt", m.string(), parts.string()}));
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    const RunResult merged = runProgram("", withArgs({"merge", parts.string()}));
    EXPECT_EQ(merged.exitCode, 0) << merged.err;
    for (const char* seed : {"semente-1", "semente-3"}) {
        EXPECT_EQ(rowsWithoutTimes(readFile(parts / seed / "sol_stat_completo.csv")),
                  rowsWithoutTimes(readFile(whole / seed / "sol_stat_completo.csv")))
            << seed;
        EXPECT_EQ(rowsWithoutTimes(readFile(parts / seed / "sol_stat_completo.csv")).size(), 3u) << seed;
    }

    // One more seed into the same folder: said beside the others, labelled
    // in its blocks though alone; merge then leaves it (no parts) and joins
    // the others' parts again. A plain batch there is refused.
    const RunResult more = runProgram("", withArgs({"--sementes", "7", "opt", m.string(), parts.string()}));
    EXPECT_EQ(more.exitCode, 0) << more.err;
    EXPECT_NE(more.err.find("fora desta lista (semente-1, semente-3)"), std::string::npos) << more.err;
    EXPECT_NE(more.out.find("MODELO 0 (semente 7) \n"), std::string::npos) << more.out;
    const RunResult again = runProgram("", withArgs({"merge", parts.string()}));
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(occurrences(again.out, "2 partes unidas"), 2u) << again.out;
    const RunResult plain = runProgram("", withArgs({"opt", m.string(), parts.string()}));
    EXPECT_EQ(plain.exitCode, 2);
    EXPECT_NE(plain.err.find("guarda as pastas semente-K"), std::string::npos) << plain.err;
    EXPECT_FALSE(fs::exists(parts / "sol_stat.csv"));

    // Refused before anything is written: seeds mixed with one seed or with
    // racing, lists that are no lists, and a folder that is one batch's.
    ASSERT_EQ(runProgram("", withArgs({"opt", m.string(), (dir / "one").string()})).exitCode, 0);
    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"--sementes", "0-2", "--semente", "1"}, "A opção --sementes não vale com --semente.\n"},
        {{"--corrida", "--sementes", "0-2"}, "A opção --sementes não vale com --corrida.\n"},
        {{"--sementes", "2-1"}, "Sementes inválidas: 2-1 ("},
        {{"--sementes", "0,1,0"}, "Sementes inválidas: 0,1,0 ("},
        {{"--sementes", "0,"}, "Sementes inválidas: 0, ("},
        {{"--sementes", "0-1000"}, "Sementes inválidas: 0-1000 ("}};
    for (auto [args, message] : refused) {
        args.insert(args.end(), {"opt", m.string(), (dir / "new").string()});
        const RunResult r = runProgram("", withArgs(args));
        EXPECT_EQ(r.exitCode, 2) << args[1];
        EXPECT_EQ(r.err.rfind(message, 0), 0u) << r.err;
    }
    EXPECT_FALSE(fs::exists(dir / "new"));
    const RunResult intoBatch =
        runProgram("", withArgs({"--sementes", "0,1", "opt", m.string(), (dir / "one").string()}));
    EXPECT_EQ(intoBatch.exitCode, 2);
    EXPECT_NE(intoBatch.err.find("já tem o relatório de um lote"), std::string::npos) << intoBatch.err;
    EXPECT_FALSE(fs::exists(dir / "one" / "semente-0"));
}
