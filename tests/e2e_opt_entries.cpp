// `opt` end to end on odd entries: models that cannot be read, entries that
// are not models, invalid folders, initial solutions, and the report as it grows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <regex>

#include "test_support.h"

using namespace testing_support;

TEST(Opt, FailedReadIsReportedNotSolved) {
    TempDir dir;
    fs::create_directory(dir / "m");
    writeFile(dir / "m" / "ajuda.xlp", "Maximize\n obj: x\nEnd\n");
    writeFile(dir / "m" / "broken.lp", "Maximize\n obj: x +\nSubject To\n c1: x <= \nEnd\n");
    writeFile(dir / "ajuda.xlp.sol", "stale solution\n");
    const RunResult r = runProgram(optInput((dir / "m").string(), dir.str()));
    EXPECT_EQ(r.exitCode, 0);
    const auto rows = reportRows(readFile(dir / "sol_stat.csv"));
    ASSERT_EQ(rows.size(), 2u);
    for (const auto& row : rows) {
        EXPECT_EQ(row, (std::vector<std::string>{row[0], "0,000000", "ERRO NA LEITURA DO MODELO", ""}));
    }
    EXPECT_EQ(readFile(dir / "sol_stat.csv"),
              kReportHeader +
                  "ajuda.xlp;0,000000;ERRO NA LEITURA DO MODELO;;\nbroken.lp;0,000000;ERRO NA LEITURA DO MODELO;;\n");
    EXPECT_NE(
        r.out.find(kDash + "MODELO 0 \n" + kNoInit + "NOME: ajuda.xlp\nTEMPO: 0\nSTATUS: ERRO NA LEITURA DO MODELO\n"),
        std::string::npos)
        << r.out;
    // The reader plug-in for "xlp" does not exist (-11); the LP reader rejects the syntax (-2).
    EXPECT_TRUE(std::regex_search(r.err, std::regex(R"(\[Functions\.cpp:\d+\] ERROR: Error <-11> in function call\n)")))
        << r.err;
    EXPECT_TRUE(std::regex_search(r.err, std::regex(R"(\[Functions\.cpp:\d+\] ERROR: Error <-2> in function call\n)")))
        << r.err;
    EXPECT_FALSE(fs::exists(dir / "ajuda.xlp.sol")) << "a stale solution contradicts the report";
}

TEST(Opt, NonLpEntriesFoldersAndOldReports) {
    TempDir dir;
    fs::create_directory(dir / "m");
    fs::create_directory(dir / "out");
    writeFile(dir / "m" / "a.lp", kSmallModel);
    writeFile(dir / "m" / "b.lp", kDecimalModel);
    writeFile(dir / "m" / "modelo.LP", kSmallModel);
    writeFile(dir / "m" / "notas.txt", "x");
    writeFile(dir / "m" / "sol_stat.csv", "old report\n");
    const RunResult r = runProgram(optInput((dir / "m").string(), (dir / "out").string()));
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(fs::exists(dir / "m" / "sol_stat.csv"));
    EXPECT_EQ(r.out.find(kFound + kRemoved + kNoInit), kAbout.size() + kPrompt.size() + kLpPrompt.size());
    // a.lp, b.lp, modelo.LP, notas.txt: four headers, two solved.
    for (int i = 0; i < 4; ++i) {
        EXPECT_NE(r.out.find(kDash + "MODELO " + std::to_string(i) + " \n"), std::string::npos);
    }
    EXPECT_EQ(r.out.find("MODELO 4 "), std::string::npos);
    EXPECT_NE(r.out.find(kDash + "MODELO 2 \n" + kDash + "MODELO 3 \n" + kPrompt), std::string::npos) << r.out;
    const auto rows = reportRows(readFile(dir / "out" / "sol_stat.csv"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], "a.lp");
    EXPECT_EQ(rows[1][0], "b.lp");

    // Second batch into the same output, from a folder with one model: only its row.
    fs::create_directory(dir / "m2");
    writeFile(dir / "m2" / "z.lp", kSmallModel);
    runProgram(optInput((dir / "m2").string(), (dir / "out").string()));
    const auto rows2 = reportRows(readFile(dir / "out" / "sol_stat.csv"));
    ASSERT_EQ(rows2.size(), 1u);
    EXPECT_EQ(rows2[0][0], "z.lp");

    // Two batches in one session: the second report does not carry the first's rows.
    const RunResult twice = runProgram(optInput((dir / "m").string(), (dir / "out").string()) +
                                       optInput((dir / "m2").string(), (dir / "out").string()));
    EXPECT_EQ(reportRows(readFile(dir / "out" / "sol_stat.csv")).size(), 1u);

    // When the output folder is the model folder, the next batch removes the report first.
    runProgram(optInput((dir / "m2").string(), (dir / "m2").string()));
    ASSERT_TRUE(fs::exists(dir / "m2" / "sol_stat.csv"));
    const RunResult again = runProgram(optInput((dir / "m2").string(), (dir / "m2").string()));
    EXPECT_NE(again.out.find(kFound + kRemoved), std::string::npos);
}

TEST(Opt, InvalidFoldersAndEmptyFolder) {
    TempDir dir;
    fs::create_directory(dir / "m");
    writeFile(dir / "m" / "a.lp", kSmallModel);
    writeFile(dir / "m" / "sol_stat.csv", "old\n");
    writeFile(dir / "file", "x");

    const RunResult badModels = runProgram("opt\n" + (dir / "missing").string() + "\nexit\n");
    EXPECT_EQ(badModels.out,
              kAbout + kPrompt + kLpPrompt + "Pasta de .lps inexistente ou inv\xC3\xA1lida...\n" + kPrompt + kExit);
    const RunResult fileAsFolder = runProgram("opt\n" + (dir / "file").string() + "\n");
    EXPECT_NE(fileAsFolder.out.find("Pasta de .lps inexistente ou inv\xC3\xA1lida...\n"), std::string::npos);
    const RunResult quoted = runProgram("opt\n\"" + (dir / "m").string() + "\"\n");
    EXPECT_NE(quoted.out.find("Pasta de .lps inexistente ou inv\xC3\xA1lida...\n"), std::string::npos);

    // A bad output folder: nothing solved, but the old report in the model folder is gone.
    const RunResult badOutput = runProgram(optInput((dir / "m").string(), (dir / "file").string()) + "exit\n");
    EXPECT_EQ(badOutput.out, kAbout + kPrompt + kLpPrompt + kFound + kRemoved + kNoInit + kOutPrompt +
                                 "Pasta de output inexistente ou inv\xC3\xA1lida...\n" + kPrompt + kExit);
    EXPECT_FALSE(fs::exists(dir / "m" / "sol_stat.csv"));

    // An empty model folder: no headers, and an older report in the output folder stays.
    fs::create_directory(dir / "empty");
    fs::create_directory(dir / "out");
    writeFile(dir / "out" / "sol_stat.csv", "kept\n");
    const RunResult empty = runProgram(optInput((dir / "empty").string(), (dir / "out").string()) + "exit\n");
    EXPECT_EQ(empty.out, kAbout + kPrompt + kLpPrompt + kFound + kNoInit + kOutPrompt + kPrompt + kExit);
    EXPECT_EQ(readFile(dir / "out" / "sol_stat.csv"), "kept\n");
    for (const RunResult* r : {&badModels, &fileAsFolder, &quoted, &badOutput, &empty}) {
        EXPECT_EQ(r->exitCode, 0);
        EXPECT_EQ(r->err, "");
    }
}

TEST(Opt, InitialSolutionFolderMessages) {
    TempDir dir;
    fs::create_directories(dir / "lps");
    fs::create_directories(dir / "initial_sol");
    writeFile(dir / "lps" / "a.lp", kSmallModel);
    // Typed without a trailing separator: both checks look beside the folder.
    const RunResult beside = runProgram(optInput((dir / "lps").string(), dir.str()));
    EXPECT_NE(beside.out.find(kFound + kInit + kOutPrompt), std::string::npos) << beside.out;
    EXPECT_NE(beside.out.find("constraints\n" + kInit + "NOME: a.lp\n"), std::string::npos) << beside.out;
    // With a trailing separator the batch looks inside the folder, each model beside it.
    fs::remove(dir / "initial_sol");
    fs::create_directories(dir / "lps" / "initial_sol");
    const RunResult inside = runProgram(optInput((dir / "lps").string() + "/", dir.str()));
    EXPECT_NE(inside.out.find(kFound + kInit + kOutPrompt), std::string::npos) << inside.out;
    EXPECT_NE(inside.out.find("constraints\n" + kNoInit + "NOME: a.lp\n"), std::string::npos) << inside.out;
    // The initial_sol folder inside the model folder is an entry like any other.
    EXPECT_NE(inside.out.find(kDash + "MODELO 1 \n" + kPrompt), std::string::npos) << inside.out;
}

TEST(Opt, ReportIsRewrittenAfterEveryEntry) {
    // a.txt (skipped) then two models that each run for a second: the report
    // is watched while the batch runs.
    TempDir dir;
    fs::create_directory(dir / "m");
    writeFile(dir / "m" / "a.txt", "not a model");
    fs::copy_file(testModels() / "timelimit" / "markshare5.lp", dir / "m" / "b.lp");
    fs::copy_file(testModels() / "timelimit" / "markshare5.lp", dir / "m" / "c.lp");
    // An older solution, held open: it must be replaced, never rewritten in place.
    writeFile(dir / "b.sol", "old solution\n");
    plantStaleTempFile(dir / "m");  // removed before the listing
    plantStaleTempFile(dir.path);
    const int oldSolution = open((dir / "b.sol").c_str(), O_RDONLY);
    TempDir io;
    RunOptions oneWorker;  // one model after the other, so each rewrite can be seen
    oneWorker.args = {"-j", "1"};
    const pid_t pid = startProgram("time_limit\n1\n" + optInput((dir / "m").string(), dir.str()), io, oneWorker);
    const fs::path report = dir / "sol_stat.csv";
    std::vector<std::string> seen;
    int firstReport = -1;  // the report as first seen, held open to the end
    while (stillRunning(pid)) {
        if (firstReport < 0) firstReport = open(report.c_str(), O_RDONLY);
        if (fs::exists(report)) {
            const std::string text = readFile(report);
            if (seen.empty() || seen.back() != text) seen.push_back(text);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const RunResult r = finishProgram(pid, io);
    EXPECT_EQ(r.exitCode, 0);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0], kReportHeader);
    // What was opened still reads one whole earlier report; the path names new files.
    ASSERT_GE(firstReport, 0);
    const auto readAll = [](int fd) {
        std::string text(4096, '\0');
        const ssize_t n = pread(fd, text.data(), text.size(), 0);
        close(fd);
        return text.substr(0, n < 0 ? 0 : static_cast<size_t>(n));
    };
    const std::string held = readAll(firstReport);
    EXPECT_TRUE(held == seen[0] || held == seen[1]) << held;
    EXPECT_EQ(readAll(oldSolution), "old solution\n");
    EXPECT_NE(readFile(dir / "b.sol"), "old solution\n");
    EXPECT_EQ(occurrences(r.out, "MODELO "), 3u);
    EXPECT_EQ(tempFilesIn(dir / "m"), std::vector<std::string>{});
    EXPECT_EQ(tempFilesIn(dir.path), std::vector<std::string>{});
    EXPECT_EQ(reportRows(seen[1]).size(), 1u);
    const auto final = reportRows(readFile(report));
    ASSERT_EQ(final.size(), 2u);
    EXPECT_EQ(final[0][0], "b.lp");
    EXPECT_EQ(final[1][0], "c.lp");
}

// Each start solution as SCIP takes it: unreadable, kept, broken (SCIP's
// reason said), naming variables the model lacks, and none at all.
TEST(Opt, StartSolutionsSayWhatScipDidWithThem) {
    TempDir dir;
    fs::create_directories(dir / "lps");
    fs::create_directories(dir / "initial_sol");
    for (const char* name : {"a", "b", "c", "d", "e"})
        writeFile(dir / "lps" / (std::string(name) + ".lp"), kSmallModel);
    const fs::path starts = dir / "initial_sol";
    writeFile(starts / "a.sol", "solution status: optimal solution found\nx abc\n");
    writeFile(starts / "b.sol", "x 1\ny 1\n");
    writeFile(starts / "c.sol", "x 2\ny 2\n");  // breaks c1: x + 2 y <= 4
    writeFile(starts / "d.sol", "objective value: 2\n=obj= 2\nx 1\nw1 1\ny 1\n\nw2 1\nw3 0\nw4 2\n");
    fs::create_directory(dir / "out");
    const RunResult r = runProgram(optInput((dir / "lps").string(), (dir / "out").string()));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(std::regex_search(r.err, std::regex(R"(\[Functions\.cpp:\d+\] ERROR: Error <-2> in function call\n)")))
        << r.err;
    EXPECT_EQ(r.out.find("inicial lida: " + starts.string() + "/a.sol"), std::string::npos);
    EXPECT_NE(
        r.out.find(kInit + "solu\xC3\xA7\xC3\xA3o inicial lida: " + starts.string() + "/b.sol\n" + "NOME: b.lp\n"),
        std::string::npos)
        << r.out;
    const std::string rejected = "Solu\xC3\xA7\xC3\xA3o inicial " + starts.string() + "/c.sol rejeitada pelo SCIP: ";
    const size_t at = r.err.find(rejected);
    ASSERT_NE(at, std::string::npos) << r.err;
    EXPECT_NE(r.err.substr(at, r.err.find('\n', at) - at).find("<c1>"), std::string::npos) << r.err;
    EXPECT_NE(
        r.err.find("Solu\xC3\xA7\xC3\xA3o inicial " + starts.string() +
                   "/d.sol: 4 vari\xC3\xA1veis que o modelo n\xC3\xA3o tem, ignoradas (w1, w2, w3, \xE2\x80\xA6).\n"),
        std::string::npos)
        << r.err;
    const auto rows = reportRows(readFile(dir / "out" / "sol_stat_completo.csv"));
    ASSERT_EQ(rows.size(), 5u);
    const char* const expected[] = {"REJEITADA", "SIM", "REJEITADA", "SIM", "NAO"};
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][12], expected[i]) << rows[i][0];
        EXPECT_EQ(rows[i][2], "SOL OTIMA") << rows[i][0];
        EXPECT_EQ(rows[i][3], "2,800000") << rows[i][0];
    }
}
