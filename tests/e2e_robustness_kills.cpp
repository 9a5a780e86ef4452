// Batches killed at any moment, a big folder, and a shell fed random input.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <random>
#include <set>

#include "test_support.h"

using namespace testing_support;

TEST(Robustness, KilledBatchLeavesAWholeReport) {
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    const std::vector<std::string> models = {"Side.lp",  "egout.lp",  "gt2.lp",
                                             "p0548.lp", "flugpl.lp", "MANN_a9.clq.lp"};
    for (size_t i = 0; i < models.size(); ++i) {
        fs::copy_file(testModels() / "lp" / models[i], m / (std::to_string(i) + "_" + models[i]));
    }
    // The full batch, for reference.
    const fs::path full = dir / "full";
    fs::create_directory(full);
    const RunResult reference = runProgram(optInput(m, full));
    const std::vector<std::string> fullRows = rowsWithoutTimes(readFile(full / "sol_stat.csv"));
    ASSERT_EQ(fullRows.size(), models.size());
    const double duration = reference.seconds;

    const fs::path out = dir / "out";
    fs::create_directory(out);
    const int runs = 50;
    int partial = 0;
    for (int run = 0; run < runs; ++run) {
        fs::remove(out / "sol_stat.csv");
        TempDir io;
        const pid_t pid = startProgram(optInput(m, out), io);
        std::this_thread::sleep_for(std::chrono::duration<double>(duration * 1.1 * run / runs));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        if (!fs::exists(out / "sol_stat.csv")) continue;
        const std::string report = readFile(out / "sol_stat.csv");
        ASSERT_EQ(report.rfind("NOME;TEMPO;STATUS;Z\n", 0), 0u) << "run " << run << ": " << report;
        ASSERT_EQ(report.back(), '\n') << "run " << run;
        const std::vector<std::string> rows = rowsWithoutTimes(report);
        // Models finish side by side: the rows are some of the full report's, in its order.
        ASSERT_LE(rows.size(), fullRows.size());
        size_t at = 0;
        for (const std::string& row : rows) {
            while (at < fullRows.size() && fullRows[at] != row) ++at;
            ASSERT_LT(at, fullRows.size()) << "run " << run << ": " << row << " out of place";
            ++at;
        }
        if (rows.size() < fullRows.size()) ++partial;
    }
    EXPECT_GT(partial, 0) << "no kill landed inside the batch";
    // A normal run afterwards leaves no temporary file behind. The workers of
    // the last killed run die with it, but on a loaded machine that can take
    // a moment, and a file of a process still alive is not stale.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    runProgram(optInput(m, out));
    EXPECT_EQ(rowsWithoutTimes(readFile(out / "sol_stat.csv")), fullRows);
    EXPECT_EQ(tempFilesIn(out), std::vector<std::string>{});
}

TEST(Robustness, BigFolderListsQuickly) {
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    for (int i = 0; i < 10000; ++i) writeFile(m / ("f" + std::to_string(i) + ".txt"), "");
    writeFile(m / "zz.lp", kSmallModel);
    const RunResult r = runProgram(optInput(m, dir.path));
    EXPECT_EQ(r.exitCode, 0);
    // 10,001 entries, one model, and a report rewrite after every entry
    // (about a second here; the bound leaves room for a loaded machine).
    EXPECT_LT(r.seconds, 15.0);
    EXPECT_NE(r.out.find("MODELO 10000 \n"), std::string::npos);
    EXPECT_EQ(reportRows(readFile(dir / "sol_stat.csv")).size(), 1u);
}

TEST(Robustness, ShellSurvivesRandomAndMutatedInput) {
    // Random command streams, bounded in count and time. Paths stay inside a
    // sandbox folder, where the process runs.
    TempDir sandbox;
    fs::create_directories(sandbox / "m");
    fs::create_directories(sandbox / "out");
    writeFile(sandbox / "m" / "a.lp", kSmallModel);
    writeFile(sandbox / "m" / "b.mod", kFreteModel);
    writeFile(sandbox / "m" / "b.dat", kFreteData);
    const std::vector<std::string> tokens = {"opt",
                                             "mod_lp",
                                             "time_limit",
                                             "help",
                                             "about",
                                             "exit",
                                             "",
                                             " ",
                                             "m",
                                             "out",
                                             "./m",
                                             "m/",
                                             "missing",
                                             "0",
                                             "-1",
                                             "1,5",
                                             "nan",
                                             "inf",
                                             "1e999",
                                             "0,001",
                                             std::string("opt\0", 4),
                                             std::string(1 << 20, 'a'),
                                             "\xFF\xFE",
                                             "\r",
                                             "opt\r",
                                             "exit\r",
                                             "\t",
                                             ";",
                                             std::string(300, '/')};
    std::mt19937 random(20261207);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int runs = 0;
    for (; runs < 60 && std::chrono::steady_clock::now() < deadline; ++runs) {
        std::string input;
        const int lineCount = 1 + static_cast<int>(random() % 12);
        for (int i = 0; i < lineCount; ++i) {
            if (random() % 4 == 0) {
                std::string bytes(random() % 40, '\0');
                for (char& b : bytes) b = static_cast<char>(random() % 256);
                input += bytes;
            } else {
                std::string token = tokens[random() % tokens.size()];
                if (!token.empty() && random() % 5 == 0) token[random() % token.size()] ^= 1 << (random() % 8);
                input += token;
            }
            if (random() % 8 != 0) input += "\n";
        }
        RunOptions options;
        options.cwd = sandbox.str();
        options.timeoutSeconds = 20;
        const RunResult r = runProgram(input, options);
        ASSERT_FALSE(r.timedOut) << "run " << runs;
        ASSERT_EQ(r.signal, 0) << "run " << runs;
        ASSERT_EQ(r.exitCode, 0) << "run " << runs;
        const std::string last = "Saindo do shell...\n";
        ASSERT_GE(r.out.size(), last.size());
        ASSERT_EQ(r.out.substr(r.out.size() - last.size()), last) << "run " << runs;
    }
    EXPECT_GE(runs, 20);
}

TEST(Robustness, KilledLargeBatchLosesNoFinishedModel) {
    // Thousands of tiny models: the reports are rewritten only now and then,
    // and the journal keeps what they do not hold yet.
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    const size_t count = 2000;
    for (size_t i = 0; i < count; ++i) writeFile(m / ("m" + std::to_string(10000 + i) + ".lp"), kSmallModel);
    const fs::path out = dir / "out";
    const auto names = [](const std::string& report) {
        std::vector<std::string> result;
        for (const auto& fields : reportRows(report)) result.push_back(fields[0]);
        return result;
    };
    // The journal's records, after its layout lines ("L ..."): a line
    // "R <lengths>", then the rows' bytes.
    const auto journalNames = [](const std::string& text) {
        std::set<std::string> result;
        size_t at = 0;
        while (text.compare(at, 2, "L ") == 0 && text.find('\n', at) != std::string::npos) at = text.find('\n', at) + 1;
        while (at < text.size()) {
            const size_t end = text.find('\n', at);
            if (end == std::string::npos) break;
            std::istringstream lengths(text.substr(at + 1, end - at - 1));
            size_t next = end + 1, first = 0, length = 0;
            for (bool isFirst = true; lengths >> length; isFirst = false) {
                if (isFirst) first = length;
                next += length;
            }
            if (next > text.size()) break;
            const std::string row = text.substr(end + 1, first);
            result.insert(row.substr(0, row.find(';')));
            at = next;
        }
        return result;
    };
    size_t journalOnly = 0;
    // Killed once some rows are in the report, then later on; the third time
    // a resumed run is killed after half of the models changed (it keeps the
    // rest, and must not lose them).
    for (const size_t rows : {100, 1000, 0}) {
        std::vector<std::string> args = {"-j", "2", "opt", m.string(), out.string()};
        if (rows == 0) {
            for (size_t i = 0; i < count; i += 2) writeFile(m / ("m" + std::to_string(10000 + i) + ".lp"), kSmallModel);
            args.insert(args.begin(), "--retomar");
        } else {
            fs::remove_all(out);
        }
        TempDir io;
        const pid_t pid = startProgram("", io, withArgs(args));
        if (rows > 0) {
            ASSERT_TRUE(waitForRows(out / "sol_stat.csv", rows)) << rows;
        } else {
            // Killed once it solves again: its kept rows were rewritten just before.
            for (int i = 0; i < 3000 && !fs::exists(out / "sol_stat.diario"); ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        const std::string report = readFile(out / "sol_stat.csv");
        ASSERT_EQ(report.rfind("NOME;TEMPO;STATUS;Z\n", 0), 0u) << report.substr(0, 200);
        ASSERT_EQ(report.back(), '\n');
        const std::vector<std::string> inReport = names(report);
        EXPECT_TRUE(std::is_sorted(inReport.begin(), inReport.end()));
        std::set<std::string> finished(inReport.begin(), inReport.end());
        // A changed model's old row is no longer a finished one; solved
        // again, it is in the journal.
        if (rows == 0) {
            for (size_t i = 0; i < count; i += 2) finished.erase("m" + std::to_string(10000 + i) + ".lp");
            EXPECT_EQ(finished.size(), count / 2) << "a kept row was lost";
        }
        for (const std::string& name : journalNames(readFile(out / "sol_stat.diario"))) {
            journalOnly += finished.insert(name).second ? 1 : 0;
        }
        ASSERT_LT(finished.size(), count) << "the kill came after the batch";
        const RunResult resumed = runProgram("", withArgs({"-j", "2", "--retomar", "opt", m.string(), out.string()}));
        EXPECT_EQ(resumed.exitCode, 0);
        EXPECT_EQ(occurrences(resumed.out, "linha mantida"), finished.size()) << rows;
        EXPECT_EQ(occurrences(resumed.out, "STATUS: "), count - finished.size()) << rows;
        EXPECT_EQ(names(readFile(out / "sol_stat.csv")).size(), count);
        EXPECT_FALSE(fs::exists(out / "sol_stat.diario"));
    }
    EXPECT_GT(journalOnly, 0u) << "no kill found rows that only the journal held";
}
