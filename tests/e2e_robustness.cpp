// A batch that survives bad entries, hostile names, kills and any typed input.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>

#include "TestSupport.h"

using namespace testing_support;

namespace {

const std::string kReadErrorRow = ";0,000000;ERRO NA LEITURA DO MODELO;;\n";

// A UNIX socket bound at `path` (the caller closes the descriptor).
int bindSocket(const fs::path& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return -1;
    return fd;
}

}  // namespace

TEST(Robustness, NonRegularLpEntriesAreNeverHandedToTheSolver) {
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directories(m / "a_folder.lp");
    ASSERT_EQ(mkfifo((m / "b_fifo.lp").c_str(), 0644), 0);
    fs::create_symlink(m / "nowhere.lp", m / "c_broken.lp");
    const int socketFd = bindSocket(m / "d_socket.lp");
    ASSERT_GE(socketFd, 0);
    writeFile(dir / "real.lp", kSmallModel);
    fs::create_symlink(dir / "real.lp", m / "e_link.lp");  // links to files are followed
    for (const char* stale : {"a_folder.sol", "b_fifo.sol", "c_broken.sol", "d_socket.sol"}) writeFile(dir / stale, "stale");
    RunOptions options;
    options.timeoutSeconds = 30;
    const RunResult r = runProgram(optInput(m, dir.path), options);
    close(socketFd);
    ASSERT_FALSE(r.timedOut) << "the batch blocked on a FIFO";
    EXPECT_EQ(r.exitCode, 0);
    const std::string report = readFile(dir / "sol_stat.csv");
    EXPECT_EQ(report.substr(0, report.find("e_link.lp;")),
              "NOME;TEMPO;STATUS;Z\na_folder.lp" + kReadErrorRow + "b_fifo.lp" + kReadErrorRow + "c_broken.lp" +
                  kReadErrorRow + "d_socket.lp" + kReadErrorRow);
    const auto rows = reportRows(report);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[4][2], "SOL OTIMA");
    for (const char* name : {"a_folder.lp", "b_fifo.lp", "c_broken.lp", "d_socket.lp"}) {
        EXPECT_NE(r.err.find("Erro na leitura do modelo: n\xC3\xA3o \xC3\xA9 um arquivo comum: " + (m / name).string() + "\n"),
                  std::string::npos)
            << name << r.err;
        EXPECT_NE(r.out.find("NOME: " + std::string(name) + "\nTEMPO: 0\nSTATUS: ERRO NA LEITURA DO MODELO\n"),
                  std::string::npos);
        EXPECT_FALSE(fs::exists(dir / (std::string(name, std::strlen(name) - 3) + ".sol"))) << "stale solution kept";
    }
}

TEST(Robustness, NonRegularModDatAndLpFilesInModLp) {
    TempDir dir;
    fs::create_directories(dir / "a.mod");
    ASSERT_EQ(mkfifo((dir / "b.mod").c_str(), 0644), 0);
    writeFile(dir / "b.lp", "\\ an earlier translation\n");
    writeFile(dir / "c.mod", "param n, default 2;\nvar x >= 0;\nmaximize z: x;\ns.t. k: x <= n;\nend;\n");
    ASSERT_EQ(mkfifo((dir / "c.dat").c_str(), 0644), 0);  // unreadable data: the model's own is used
    writeFile(dir / "d.mod", kFreteModel);
    writeFile(dir / "d.dat", kFreteData);
    ASSERT_EQ(mkfifo((dir / "d.lp").c_str(), 0644), 0);  // never opened for writing
    writeFile(dir / "e.mod", kFreteModel);
    writeFile(dir / "e.dat", kFreteData);
    ASSERT_EQ(mknod((dir / "device").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    fs::create_symlink(dir / "device", dir / "e.lp");  // GLPK would replace the device with a file
    RunOptions options;
    options.timeoutSeconds = 30;
    const RunResult r = runProgram("mod_lp\n" + dir.str() + "\n", options);
    ASSERT_FALSE(r.timedOut) << "mod_lp blocked on a FIFO";
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err,
              "Erro ao tranformar modelo\nErro ao tranformar modelo\nAten\xC3\xA7\xC3\xA3o: " + dir.str() +
                  "/b.lp \xC3\xA9 de uma tradu\xC3\xA7\xC3\xA3o anterior e n\xC3\xA3o foi atualizado.\n"
                  "Erro ao escrever arquivo .lp\nErro ao escrever arquivo .lp\n");
    EXPECT_NE(readFile(dir / "c.lp").find("k: + x <= 2"), std::string::npos);
    EXPECT_TRUE(fs::is_fifo(dir / "d.lp"));
    EXPECT_TRUE(fs::is_character_file(dir / "device"));
}

TEST(Robustness, HostileNamesAreSolvedAndPrintedAsTheirBytes) {
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    const std::vector<std::string> names = {
        "-rf.lp", "a;b.lp", "com espa\xC3\xA7o .lp", "line\nbreak.lp", "\xFF\xFE.lp", std::string(251, 'x') + ".lp",
        "\\back\\slash.lp"};
    for (const std::string& name : names) writeFile(m / name, kSmallModel);
    const RunResult r = runProgram(optInput(m, dir.path));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    for (const std::string& name : names) {
        EXPECT_NE(r.out.find("NOME: " + name + "\nTEMPO: "), std::string::npos) << name;
        EXPECT_TRUE(fs::exists(dir / (name.substr(0, name.size() - 3) + ".sol"))) << name;
    }
    const std::string report = readFile(dir / "sol_stat.csv");
    // Names with ";" or a line break are quoted so the columns stay in place.
    EXPECT_NE(report.find("\n\"a;b.lp\";0,"), std::string::npos);
    EXPECT_NE(report.find("\n\"line\nbreak.lp\";0,"), std::string::npos);
    EXPECT_NE(report.find("\n-rf.lp;"), std::string::npos);
    EXPECT_NE(report.find("\n\xFF\xFE.lp;"), std::string::npos);
    EXPECT_NE(report.find("\n" + std::string(251, 'x') + ".lp;"), std::string::npos);
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1 + 7 + 1);
    EXPECT_EQ(occurrences(report, ";SOL OTIMA;2,800000;\n"), 7u);

    // The same names through mod_lp.
    TempDir mods;
    for (const std::string& name : names) {
        const std::string base = name.substr(0, name.size() - 2);
        writeFile(mods / (base + "mod"), kFreteModel);
        writeFile(mods / (base + "dat"), kFreteData);
    }
    const RunResult c = runProgram("mod_lp\n" + mods.str() + "\n");
    EXPECT_EQ(c.exitCode, 0);
    EXPECT_EQ(c.err, "");
    for (const std::string& name : names) EXPECT_TRUE(fs::exists(mods / name)) << name;

    // A 255-byte model name: solved and reported, but "<name>.sol" would be
    // 256 bytes, which no file name can be; that is said, and nothing else lost.
    TempDir longName;
    fs::create_directory(longName / "m");
    const std::string name = std::string(252, 'y') + ".lp";
    writeFile(longName / "m" / name, kSmallModel);
    const RunResult l = runProgram(optInput(longName / "m", longName.path));
    EXPECT_EQ(l.exitCode, 0);
    EXPECT_EQ(l.err.rfind("N\xC3\xA3o foi poss\xC3\xADvel gravar a solu\xC3\xA7\xC3\xA3o " + longName.str() + "/" +
                              std::string(252, 'y') + ".sol: ",
                          0),
              0u)
        << l.err;
    EXPECT_EQ(rowsWithoutTimes(readFile(longName / "sol_stat.csv")),
              (std::vector<std::string>{name + ";SOL OTIMA;2,800000;"}));
}

TEST(Robustness, BatchGoesOnWhenItsOutputPipeIsClosed) {
    TempDir dir;
    fs::create_directory(dir / "m");
    for (const char* name : {"a.lp", "b.lp", "c.lp"}) writeFile(dir / "m" / name, kSmallModel);
    RunOptions options;
    options.stdoutReaderGone = true;
    const RunResult r = runProgram(optInput(dir / "m", dir.path), options);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(rowsWithoutTimes(readFile(dir / "sol_stat.csv")),
              (std::vector<std::string>{"a.lp;SOL OTIMA;2,800000;", "b.lp;SOL OTIMA;2,800000;", "c.lp;SOL OTIMA;2,800000;"}));
    EXPECT_TRUE(fs::exists(dir / "c.sol"));
}

TEST(Robustness, UnwritableReportAndUnremovableOldReport) {
    // Running as root, permissions cannot make these fail: a folder stands
    // where the report (or the old report) is.
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directories(m / "sol_stat.csv");
    writeFile(m / "a.lp", kSmallModel);
    fs::create_directories(dir / "out" / "sol_stat.csv");
    const RunResult r = runProgram(optInput(m, dir / "out"));
    EXPECT_EQ(r.exitCode, 0);
    // The system's own text follows the program's Portuguese locale.
    const std::string notWritten = "N\xC3\xA3o foi poss\xC3\xADvel gravar o relat\xC3\xB3rio " + (dir / "out").string() +
                                   "/sol_stat.csv: \xC3\x89 um diret\xC3\xB3rio\n";
    // Two entries (a.lp and the folder): two failed rewrites, each said once.
    EXPECT_EQ(r.err, "N\xC3\xA3o foi poss\xC3\xADvel excluir o arquivo de solu\xC3\xA7\xC3\xB5" "es " +
                         (m / "sol_stat.csv").string() + ": \xC3\x89 um diret\xC3\xB3rio\n" + notWritten + notWritten);
    EXPECT_NE(r.out.find("STATUS: SOL OTIMA\n"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(dir / "out" / "sol_stat.csv"));
    EXPECT_EQ(tempFilesIn(dir / "out"), std::vector<std::string>{});
}

TEST(Robustness, KilledBatchLeavesAWholeReport) {
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    const std::vector<std::string> models = {"Side.lp", "egout.lp", "gt2.lp", "p0548.lp", "flugpl.lp", "MANN_a9.clq.lp"};
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
    const std::vector<std::string> tokens = {
        "opt", "mod_lp", "time_limit", "help", "about", "exit", "", " ", "m", "out", "./m", "m/", "missing",
        "0", "-1", "1,5", "nan", "inf", "1e999", "0,001", std::string("opt\0", 4), std::string(1 << 20, 'a'),
        "\xFF\xFE", "\r", "opt\r", "exit\r", "\t", ";", std::string(300, '/')};
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
    // The journal's records: a line "R <lengths>", then the rows' bytes.
    const auto journalNames = [](const std::string& text) {
        std::set<std::string> result;
        size_t at = 0;
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
