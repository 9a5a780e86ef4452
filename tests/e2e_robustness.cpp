// A batch that survives bad entries, hostile names, a closed output pipe and reports it cannot write.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>

#include "test_support.h"

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
    for (const char* stale : {"a_folder.sol", "b_fifo.sol", "c_broken.sol", "d_socket.sol"})
        writeFile(dir / stale, "stale");
    RunOptions options;
    options.timeoutSeconds = 30;
    const RunResult r = runProgram(optInput(m, dir.path), options);
    close(socketFd);
    ASSERT_FALSE(r.timedOut) << "the batch blocked on a FIFO";
    EXPECT_EQ(r.exitCode, 0);
    const std::string report = readFile(dir / "sol_stat.csv");
    EXPECT_EQ(report.substr(0, report.find("e_link.lp;")), "NOME;TEMPO;STATUS;Z\na_folder.lp" + kReadErrorRow +
                                                               "b_fifo.lp" + kReadErrorRow + "c_broken.lp" +
                                                               kReadErrorRow + "d_socket.lp" + kReadErrorRow);
    const auto rows = reportRows(report);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[4][2], "SOL OTIMA");
    for (const char* name : {"a_folder.lp", "b_fifo.lp", "c_broken.lp", "d_socket.lp"}) {
        EXPECT_NE(r.err.find("Erro na leitura do modelo: n\xC3\xA3o \xC3\xA9 um arquivo comum: " + (m / name).string() +
                             "\n"),
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
    EXPECT_EQ(r.err, "Erro ao tranformar modelo\nErro ao tranformar modelo\nAten\xC3\xA7\xC3\xA3o: " + dir.str() +
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
    const std::vector<std::string> names = {"-rf.lp",          "a;b.lp",      "com espa\xC3\xA7o .lp",
                                            "line\nbreak.lp",  "\xFF\xFE.lp", std::string(251, 'x') + ".lp",
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
    EXPECT_EQ(
        rowsWithoutTimes(readFile(dir / "sol_stat.csv")),
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
    const std::string notWritten = "N\xC3\xA3o foi poss\xC3\xADvel gravar o relat\xC3\xB3rio " +
                                   (dir / "out").string() + "/sol_stat.csv: \xC3\x89 um diret\xC3\xB3rio\n";
    // Two entries (a.lp and the folder): two failed rewrites, each said once.
    EXPECT_EQ(r.err,
              "N\xC3\xA3o foi poss\xC3\xADvel excluir o arquivo de solu\xC3\xA7\xC3\xB5"
              "es " +
                  (m / "sol_stat.csv").string() + ": \xC3\x89 um diret\xC3\xB3rio\n" + notWritten + notWritten);
    EXPECT_NE(r.out.find("STATUS: SOL OTIMA\n"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(dir / "out" / "sol_stat.csv"));
    EXPECT_EQ(tempFilesIn(dir / "out"), std::vector<std::string>{});
}

TEST(Robustness, FullDiskSaysEachFailedWriteAndKeepsTheLastWholeReport) {
    // The output folder is a small file system of its own (in a mount
    // namespace of the batch's own, gone when it ends; its files are copied
    // out): the reports fit, the second model's large solution does not.
    TempDir dir;
    fs::create_directories(dir / "m");
    fs::create_directories(dir / "out");
    fs::create_directories(dir / "kept");
    writeFile(dir / "m" / "a.lp", kSmallModel);
    std::string big = "Maximize\n obj: x0";
    for (int i = 1; i < 1500; ++i) big += " + x" + std::to_string(i);
    big += "\nSubject To\n";
    for (int i = 0; i < 1500; ++i) big += " c" + std::to_string(i) + ": x" + std::to_string(i) + " <= 1\n";
    writeFile(dir / "m" / "b.lp", big + "End\n");
    writeFile(dir / "m" / "c.lp", kSmallModel);
    const std::string script = "cd '" + dir.str() + "' && mount -t tmpfs -o size=24k tmpfs out && touch mounted && '" +
                               LOTE_BINARY + "' opt m out >o.txt 2>e.txt; rc=\\$?; cp -r out/. kept/; exit \\$rc";
    const int status = std::system(("unshare -rm sh -c \"" + script + "\" 2>/dev/null").c_str());
    if (!fs::exists(dir / "mounted")) GTEST_SKIP() << "no small file system can be mounted here";
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
    const std::string err = readFile(dir / "e.txt");
    EXPECT_NE(err.find("N\xC3\xA3o foi poss\xC3\xADvel gravar a solu\xC3\xA7\xC3\xA3o out/b.sol: "), std::string::npos)
        << err;
    const std::string failedWrite = "N\xC3\xA3o foi poss\xC3\xADvel gravar ";
    // Each line a failed write: a report, a solution, or the record's end.
    const std::string recordNotWritten = "Registro dos par\xC3\xA2metros n\xC3\xA3o gravado: ";
    for (const std::string& said : lines(err)) {
        EXPECT_TRUE(said.rfind(failedWrite, 0) == 0 || said.rfind(recordNotWritten, 0) == 0) << err;
    }
    EXPECT_EQ(occurrences(readFile(dir / "o.txt"), "STATUS: SOL OTIMA\n"), 3u);
    // On the disk: the report as last written whole, the header and whole rows.
    const std::string report = readFile(dir / "kept" / "sol_stat.csv");
    EXPECT_EQ(report.rfind(kReportHeader, 0), 0u) << report;
    const std::vector<std::string> rows = rowsWithoutTimes(report);
    ASSERT_FALSE(rows.empty()) << report;
    const std::set<std::string> whole = {"a.lp;SOL OTIMA;2,800000;", "b.lp;SOL OTIMA;1500,000000;",
                                         "c.lp;SOL OTIMA;2,800000;"};
    for (const std::string& row : rows) EXPECT_EQ(whole.count(row), 1u) << row;
    EXPECT_FALSE(fs::exists(dir / "kept" / "b.sol"));
    EXPECT_EQ(tempFilesIn(dir / "kept"), std::vector<std::string>{});
}
