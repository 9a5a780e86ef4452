// The longest models handed out first: by the times of an earlier complete
// report (the output folder's own, or --historico's), else by file size,
// while the console and the reports keep folder order.
#include <gtest/gtest.h>

#include <sys/inotify.h>

#include "test_support.h"

using namespace testing_support;

namespace {

// A report's header and rows, the time field of each row left out.
std::string withoutTimes(const fs::path& report) {
    std::string text = lines(readFile(report)).at(0) + "\n";
    for (const std::string& row : rowsWithoutTimes(readFile(report))) text += row + "\n";
    return text;
}

// Runs the program with `args` and gives the solution files written into
// `folder` (which exists), in the order they were put in place: with one
// worker, the order the models were handed out.
std::vector<std::string> solutionsInOrder(const fs::path& folder, const std::vector<std::string>& args) {
    const int watch = inotify_init1(IN_NONBLOCK);
    EXPECT_GE(inotify_add_watch(watch, folder.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE), 0);
    const RunResult r = runProgram("", withArgs(args));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> names;
    alignas(inotify_event) char buffer[65536];
    for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;) {
        for (char* at = buffer; at < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            const std::string name = event->len > 0 ? event->name : "";
            if (name.size() > 4 && name.substr(name.size() - 4) == ".sol") names.push_back(name);
            at += sizeof(inotify_event) + event->len;
        }
    }
    close(watch);
    return names;
}

}  // namespace

TEST(HandOut, SecondRunHandedOutByTheFirstRunsTimesPrintsAndWritesTheSame) {
    // The longest models come last in the folder.
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    writeFile(m / "a_small.lp", kSmallModel);
    fs::copy_file(testModels() / "lp" / "egout.lp", m / "b_egout.lp");
    writeFile(m / "c_unreadable.lp", "Maximize\n obj: x +\nSubject To\n c1: x <= \nEnd\n");
    writeFile(m / "d_notes.txt", "not a model");
    fs::copy_file(testModels() / "lp" / "p0548.lp", m / "e_p0548.lp");
    fs::copy_file(testModels() / "lp" / "bell5.lp", m / "f_bell5.lp");
    fs::copy_file(testModels() / "lp" / "lseu.lp", m / "g_lseu.lp");
    const fs::path out = dir / "out";
    const std::vector<std::string> args = {"-j", "2", "opt", m.string(), out.string()};
    const std::vector<std::string> reports = {"sol_stat.csv", "sol_stat_completo.csv", "sol_stat_arquivos.csv"};

    // In a fresh folder, the models go by file size; the blocks and rows
    // in folder order.
    const RunResult first = runProgram("", withArgs(args));
    ASSERT_EQ(first.exitCode, 1) << first.err;  // the unreadable model
    EXPECT_NE(readFile(out / "parametros.set").find("\n# --historico: nenhum relat\xC3\xB3rio anterior\n"),
              std::string::npos);
    std::vector<std::string> firstReports;
    for (const std::string& report : reports) firstReports.push_back(withoutTimes(out / report));
    ASSERT_EQ(rowsWithoutTimes(readFile(out / "sol_stat_completo.csv")).size(), 6u);

    // Again into the same folder: handed out by the times it left.
    const RunResult second = runProgram("", withArgs(args));
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(
        readFile(out / "parametros.set").find("\n# --historico: " + (out / "sol_stat_completo.csv").string() + "\n"),
        std::string::npos);
    EXPECT_EQ(maskTimes(second.out), maskTimes(first.out));
    EXPECT_EQ(second.err, first.err);
    for (size_t r = 0; r < reports.size(); ++r)
        EXPECT_EQ(withoutTimes(out / reports[r]), firstReports[r]) << reports[r];
    // Both in folder order.
    std::vector<std::string> shown;
    for (const std::string& line : lines(second.out)) {
        if (line.rfind("NOME: ", 0) == 0) shown.push_back(line.substr(6));
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"a_small.lp", "b_egout.lp", "c_unreadable.lp", "e_p0548.lp",
                                               "f_bell5.lp", "g_lseu.lp"}));
}

TEST(HandOut, HistoryFolderWinsOverTheOutputFoldersReportAndMustHoldOne) {
    // Three models alike but for their size (blank lines at the end).
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    writeFile(m / "a.lp", kSmallModel);
    writeFile(m / "b.lp", kSmallModel + std::string(2000, '\n'));
    writeFile(m / "c.lp", kSmallModel + std::string(1000, '\n'));
    for (const char* folder : {"fresh", "own", "history", "withHistory", "empty"}) fs::create_directory(dir / folder);
    // Rows by header name, in a layout of their own; b.lp is new to the history.
    writeFile(dir / "own" / "sol_stat_completo.csv",
              "NOME;TEMPO;STATUS;NOS\na.lp;50;SOL OTIMA;1\nb.lp;1;SOL OTIMA;1\nc.lp;2;SOL OTIMA;1\n");
    fs::copy_file(dir / "own" / "sol_stat_completo.csv", dir / "withHistory" / "sol_stat_completo.csv");
    writeFile(dir / "history" / "sol_stat_completo.csv",
              "TEMPO;NOME;NOS;STATUS\n100;a.lp;1;SOL OTIMA\n1;c.lp;1;SOL OTIMA\n");

    const auto run = [&](const std::string& folder, std::vector<std::string> options) {
        options.insert(options.end(), {"-j", "1", "opt", m.string(), (dir / folder).string()});
        return solutionsInOrder(dir / folder, options);
    };
    EXPECT_EQ(run("fresh", {}), (std::vector<std::string>{"b.sol", "c.sol", "a.sol"}));
    EXPECT_EQ(run("own", {}), (std::vector<std::string>{"a.sol", "c.sol", "b.sol"}));
    EXPECT_EQ(run("withHistory", {"--historico", (dir / "history").string()}),
              (std::vector<std::string>{"b.sol", "a.sol", "c.sol"}));

    // A history folder without a complete report: nothing is touched.
    const RunResult refused =
        runProgram("", withArgs({"--historico", (dir / "empty").string(), "opt", m.string(), (dir / "new").string()}));
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.err.rfind(
                  "A pasta de --historico " + (dir / "empty").string() +
                      " n\xC3\xA3o tem um relat\xC3\xB3rio completo leg\xC3\xADvel (sol_stat_completo.csv).\nUso:\n",
                  0),
              0u)
        << refused.err;
    EXPECT_EQ(refused.out, "");
    EXPECT_FALSE(fs::exists(dir / "new"));
}
