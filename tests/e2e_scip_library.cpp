// Another SCIP at run time (--scip, LOTE_SCIP): batches under this build's
// SCIP 10 and under the SCIP 9.2 of the pyscipopt 5.7.1 wheel, their records,
// the columns on how fast solutions came, the refusals and comparar.
#include <gtest/gtest.h>

#include <cmath>

#include "test_support.h"

using namespace testing_support;

namespace {

// The SCIP 9.2 library that the set-up fetches for these tests; "" when missing.
fs::path secondScip() {
    const fs::path folder = fs::path(LOTE_BUILD_DIR) / "deps" / "pyscipopt-9" / "pyscipopt.libs";
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().filename().string().rfind("libscip", 0) == 0) return fs::canonical(entry.path());
    }
    return {};
}

// The value of a record's comment line "# <label>", or "".
std::string recordLine(const fs::path& record, const std::string& label) {
    for (const std::string& line : lines(readFile(record))) {
        if (line.rfind("# " + label, 0) == 0) return line.substr(label.size() + 2);
    }
    return "";
}

// Every row of a complete report holds 0 <= first <= best <= TEMPO, an
// integral between 0 and 100 x TEMPO, and solution times exactly where
// SCIP found solutions. Under limits/maxsol=1 SCIP keeps only its best
// solution, so a first solution found before it (lseu and p0548 find one at
// the root, the best later) is known only through the event handler.
void expectSolutionTimesConsistent(const fs::path& report) {
    const std::vector<std::string> all = lines(readFile(report));
    ASSERT_FALSE(all.empty()) << report;
    std::map<std::string, size_t> at;
    std::istringstream header(all[0]);
    size_t column = 0;
    for (std::string name; std::getline(header, name, ';');) at[name] = column++;
    for (size_t r = 1; r < all.size(); ++r) {
        std::vector<std::string> row(1);
        for (const char c : all[r]) {
            if (c == ';') {
                row.emplace_back();
            } else {
                row.back().push_back(c);
            }
        }
        ASSERT_EQ(row.size(), column) << all[r];
        const double seconds = reportNumber(row[at["TEMPO"]]);
        const double integral = reportNumber(row[at["INTEGRAL_PD"]]);
        EXPECT_FALSE(row[at["INTEGRAL_PD"]].empty()) << row[0];
        EXPECT_GE(integral, 0.0) << row[0];
        EXPECT_LE(integral, 100.0 * seconds + 1e-4) << row[0];
        const std::string& first = row[at["TEMPO_PRIMEIRA_SOL"]];
        const std::string& best = row[at["TEMPO_MELHOR_SOL"]];
        EXPECT_EQ(first.empty(), row[at["SOLUCOES"]] == "0") << row[0];
        EXPECT_EQ(best.empty(), first.empty()) << row[0];
        if (first.empty()) continue;
        EXPECT_GE(reportNumber(first), 0.0) << row[0];
        EXPECT_LE(reportNumber(first), reportNumber(best)) << row[0];
        if (row[0] == "lseu.lp" || row[0] == "p0548.lp") {
            EXPECT_LT(reportNumber(first), reportNumber(best)) << row[0];
        }
        EXPECT_LE(reportNumber(best), seconds) << row[0];
    }
}

}  // namespace

TEST(ScipLibrary, BatchesUnderTwoScipsAreRecordedKeptApartAndCompared) {
    const fs::path scip9 = secondScip();
    if (scip9.empty()) GTEST_SKIP() << "SCIP 9.2 (pyscipopt 5.7.1) is not in build/deps: run scripts/setup.sh";
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directories(m);
    for (const char* model : {"egout.lp", "flugpl.lp", "lseu.lp", "p0548.lp", "stein27_inf.lp"}) {
        fs::copy_file(testModels() / "lp" / model, m / model);
    }
    const auto opt = [&m](const fs::path& out, std::vector<std::string> before, std::vector<std::string> env = {}) {
        before.insert(before.end(), {"opt", m.string(), out.string()});
        return runProgram("", withArgs(before, env));
    };
    const RunResult ten = opt(dir / "dez", {"-p", "limits/maxsol=1"});
    ASSERT_EQ(ten.exitCode, 0) << ten.err;
    // LOTE_SCIP, relative to the working folder, is made whole for the workers.
    RunOptions nineOptions = withArgs({"-p", "limits/maxsol=1", "opt", m.string(), (dir / "nove").string()},
                                      {"LOTE_SCIP=" + fs::relative(scip9, fs::current_path()).string()});
    const RunResult nine = runProgram("", nineOptions);
    ASSERT_EQ(nine.exitCode, 0) << nine.err;
    EXPECT_EQ(rowsWithoutTimes(readFile(dir / "nove" / "sol_stat.csv")),
              rowsWithoutTimes(readFile(dir / "dez" / "sol_stat.csv")));
    EXPECT_EQ(recordLine(dir / "nove" / "parametros.set", "SCIP: ").substr(0, 4), "9.2.");
    EXPECT_EQ(recordLine(dir / "nove" / "parametros.set", "SCIP, biblioteca: "), scip9.string());
    EXPECT_EQ(recordLine(dir / "nove" / "parametros.set", "SCIP, solver de LP: ").substr(0, 7), "SoPlex ");
    for (const char* folder : {"dez", "nove"}) expectSolutionTimesConsistent(dir / folder / "sol_stat_completo.csv");

    // Resuming SCIP 9's folder under SCIP 10 would mix them: refused, both named, nothing touched.
    const std::string kept = readFile(dir / "nove" / "sol_stat_completo.csv");
    const RunResult mixed = opt(dir / "nove", {"--retomar"});
    EXPECT_EQ(mixed.exitCode, 2);
    EXPECT_NE(mixed.err.find("foi resolvida com SCIP 9.2."), std::string::npos) << mixed.err;
    EXPECT_NE(mixed.err.find("--retomar com SCIP 10."), std::string::npos) << mixed.err;
    EXPECT_EQ(readFile(dir / "nove" / "sol_stat_completo.csv"), kept);
    // The parts of one batch under two SCIPs are not merged.
    ASSERT_EQ(opt(dir / "partes", {"--shard", "1/2"}).exitCode, 0);
    ASSERT_EQ(opt(dir / "partes", {"--scip", scip9.string(), "--shard", "2/2"}).exitCode, 0);
    const RunResult merged = runProgram("", withArgs({"merge", (dir / "partes").string()}));
    EXPECT_EQ(merged.exitCode, 2);
    EXPECT_NE(merged.err.find("As partes 1 e 2 de "), std::string::npos) << merged.err;
    EXPECT_FALSE(fs::exists(dir / "partes" / "sol_stat.csv"));

    // This build's SCIP again, from another folder (links to its files, or
    // copies): the same SCIP, which resumes its batch, but another library,
    // which comparar names by its path.
    const fs::path lib10 = recordLine(dir / "dez" / "parametros.set", "SCIP, biblioteca: ");
    fs::create_directory(dir / "copia");
    for (const auto& entry : fs::directory_iterator(lib10.parent_path())) {
        std::error_code linked;
        fs::create_hard_link(entry.path(), dir / "copia" / entry.path().filename(), linked);
        if (linked) fs::copy_file(entry.path(), dir / "copia" / entry.path().filename());
    }
    const std::string twin = (dir / "copia" / lib10.filename()).string();
    copyFolder(dir / "dez", dir / "dez2");
    const RunResult resumed = opt(dir / "dez2", {"--retomar", "-p", "limits/maxsol=1", "--scip", twin});
    EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
    EXPECT_EQ(occurrences(resumed.out, "linha mantida"), 5u) << resumed.out;
    ASSERT_EQ(opt(dir / "gemeo", {"--scip", twin}).exitCode, 0);
    const RunResult compared = runProgram("", withArgs({"comparar", (dir / "dez").string(), (dir / "nove").string(),
                                                        (dir / "gemeo").string(), "--csv", (dir / "c.csv").string()}));
    ASSERT_EQ(compared.exitCode, 0) << compared.err;
    const std::string version10 = recordLine(dir / "dez" / "parametros.set", "SCIP: ");
    const std::string version9 = recordLine(dir / "nove" / "parametros.set", "SCIP: ");
    const std::string copy = fs::canonical(dir / "copia" / lib10.filename()).string();
    const std::vector<std::string> out = lines(compared.out);
    ASSERT_GE(out.size(), 4u) << compared.out;
    EXPECT_EQ(out[1], "  1  dez  (tempo m\xC3\xA1ximo desconhecido; SCIP " + version10 + ", " + lib10.string() + ")");
    EXPECT_EQ(out[2], "  2  nove  (tempo m\xC3\xA1ximo desconhecido; SCIP " + version9 + ")");
    EXPECT_EQ(out[3], "  3  gemeo  (tempo m\xC3\xA1ximo desconhecido; SCIP " + version10 + ", " + copy + ")");
    const std::vector<std::string> csv = lines(readFile(dir / "c.csv"));
    ASSERT_EQ(csv.size(), 5u);
    EXPECT_EQ(csv[0].substr(csv[0].rfind(";INCONSISTENTES")),
              ";INCONSISTENTES;MGD_INTEGRAL_PD;P_WILCOXON_INTEGRAL;SCIP;P_WILCOXON_NOS;P_WILCOXON_ITERACOES");
    // nove's integral mean and its test against the reference, then its SCIP and the work tests.
    EXPECT_TRUE(std::regex_search(
        csv[2], std::regex(";[0-9]+,[0-9]{6};[0-9](,[0-9]+)?(e-[0-9]+)?;SCIP " + version9 + ";[^;]*;[^;]*$")))
        << csv[2];
}

TEST(ScipLibrary, ALibraryThatCannotServeIsRefusedBeforeAnythingIsTouched) {
    TempDir dir;
    const fs::path m = testModels() / "lp";
    const std::string loadFailed = "N\xC3\xA3o foi poss\xC3\xADvel carregar a biblioteca do SCIP: ";
    struct Case {
        std::vector<std::string> args, env;
        std::string said;  // how the line goes on, from the library's path
    };
    const fs::path notScip = "/lib/x86_64-linux-gnu/libz.so.1";  // a library, but not SCIP
    // SCIP 9.2 without the libraries that lie beside it in its wheel.
    const fs::path alone = dir / "sozinha" / "libscip.so.9.2";
    fs::create_directory(dir / "sozinha");
    if (!secondScip().empty()) fs::copy_file(secondScip(), alone);
    const std::vector<Case> cases = {
        {{"opt", m.string(), (dir / "a").string()}, {"LOTE_SCIP=/nao/existe/libscip.so"}, "/nao/existe/libscip.so: "},
        {{"--scip", alone.string(), "opt", m.string(), (dir / "b").string()}, {}, alone.string() + ": libgfortran"},
        {{"--scip", notScip.string(), "opt", m.string(), (dir / "c").string()},
         {},
         notScip.string() + ": n\xC3\xA3o tem a fun\xC3\xA7\xC3\xA3o SCIPcreate\n"}};
    for (const Case& c : cases) {
        if (c.args[0] == "--scip" && !fs::exists(c.args[1])) continue;
        const RunResult r = runProgram("", withArgs(c.args, c.env));
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_EQ(r.err.rfind(loadFailed + c.said, 0), 0u) << r.err;
        EXPECT_EQ(occurrences(r.err, c.said.substr(0, c.said.find(": "))), 1u) << r.err;  // named once
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_FALSE(fs::exists(c.args.back())) << c.args.back();
    }
    // In the shell, said at opt, and the prompt comes back.
    const RunResult shell = runProgram("opt\n" + m.string() + "\nexit\n", withArgs({}, {"LOTE_SCIP=/nao/existe.so"}));
    EXPECT_EQ(shell.exitCode, 0);
    EXPECT_EQ(shell.err.rfind(loadFailed + "/nao/existe.so: ", 0), 0u) << shell.err;
    EXPECT_NE(shell.out.find("LoteOtimizador> Saindo do shell"), std::string::npos) << shell.out;
}
