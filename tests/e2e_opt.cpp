// `opt` end to end: real models through the real binary, the console, the
// report and the solution files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "test_support.h"

using namespace testing_support;

namespace {

// The rows of the report keyed by model name.
std::map<std::string, std::vector<std::string>> rowsByName(const std::string& report) {
    std::map<std::string, std::vector<std::string>> rows;
    for (const auto& fields : reportRows(report)) rows[fields.at(0)] = fields;
    return rows;
}

// Known results: name -> (status, value).
std::map<std::string, std::pair<std::string, double>> knownOptima() {
    std::map<std::string, std::pair<std::string, double>> known;
    for (const std::string& line : lines(readFile(testModels() / "lp" / "optimal.txt"))) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream in(line);
        std::string name, status, value;
        in >> name >> status >> value;
        known[name] = {status, status == "optimal" ? std::stod(value) : NAN};
    }
    return known;
}

bool closeTo(double value, double expected) {
    return std::fabs(value - expected) <= 1e-6 * std::max(1.0, std::fabs(expected));
}

// The objective value line of a SCIP solution file.
double solutionObjective(const std::string& text) {
    for (const std::string& line : lines(text)) {
        if (line.rfind("objective value:", 0) == 0) return std::stod(line.substr(16));
    }
    return NAN;
}

}  // namespace

// One batch over the bundled LP models, checked from several sides, then
// continued from its solutions (one test, so the batch runs once).
class SharedBatch : public ::testing::Test {
protected:
    void SetUp() override { result = runProgram(optInput((testModels() / "lp").string(), output.str())); }
    void everyModelMatchesItsKnownResult();
    void consoleShowsEveryEntryInListOrder();
    void solutionFilesAgreeWithTheReport();
    void continuedBatchStartsFromTheSolutions();
    TempDir output;
    RunResult result;
};

TEST_F(SharedBatch, ReportConsoleSolutionsAndContinuation) {
    {
        SCOPED_TRACE("known results");
        everyModelMatchesItsKnownResult();
    }
    {
        SCOPED_TRACE("console");
        consoleShowsEveryEntryInListOrder();
    }
    {
        SCOPED_TRACE("solution files");
        solutionFilesAgreeWithTheReport();
    }
    {
        SCOPED_TRACE("continued batch");
        continuedBatchStartsFromTheSolutions();
    }
}

void SharedBatch::everyModelMatchesItsKnownResult() {
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    const auto known = knownOptima();
    ASSERT_EQ(known.size(), 15u);
    const auto rows = rowsByName(readFile(output / "sol_stat.csv"));
    EXPECT_EQ(rows.size(), known.size());
    for (const auto& [name, expected] : known) {
        ASSERT_TRUE(rows.count(name)) << name;
        const auto& fields = rows.at(name);
        ASSERT_EQ(fields.size(), 4u) << name;
        if (expected.first == "optimal") {
            EXPECT_EQ(fields[2], "SOL OTIMA") << name;
            EXPECT_TRUE(closeTo(reportNumber(fields[3]), expected.second))
                << name << ": " << fields[3] << " vs " << expected.second;
        } else {
            EXPECT_EQ(fields[2], "PROBLEMA INFACTIVEL") << name;
        }
    }
}

void SharedBatch::consoleShowsEveryEntryInListOrder() {
    const std::vector<std::string> out = lines(result.out);
    // The folder also holds optimal.txt, which gets a header and nothing else.
    std::vector<std::string> headers, names;
    for (size_t i = 0; i < out.size(); ++i) {
        if (out[i].rfind("MODELO ", 0) == 0) {
            headers.push_back(out[i]);
            EXPECT_EQ(out[i - 1].substr(out[i - 1].size() - 60), std::string(60, '-'));
        }
        if (out[i].rfind("NOME: ", 0) == 0) names.push_back(out[i].substr(6));
    }
    ASSERT_EQ(headers.size(), 16u);
    for (size_t i = 0; i < headers.size(); ++i) EXPECT_EQ(headers[i], "MODELO " + std::to_string(i) + " ");
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(names, sorted);
    EXPECT_EQ(names.size(), 15u);
    EXPECT_EQ(result.out.find("presolving"), std::string::npos) << "solving log leaked";

    // Times pass unrounded: the console's six significant digits and the
    // report's six decimals give one number, and not every time is a
    // whole number of hundredths.
    std::vector<double> consoleTimes;
    for (const std::string& line : out) {
        if (line.rfind("TEMPO: ", 0) == 0) consoleTimes.push_back(std::stod(line.substr(7)));
    }
    const auto rows = reportRows(readFile(output / "sol_stat.csv"));
    ASSERT_EQ(consoleTimes.size(), rows.size());
    bool finerThanHundredths = false;
    for (size_t i = 0; i < rows.size(); ++i) {
        const double reported = reportNumber(rows[i][1]);
        EXPECT_NEAR(reported, consoleTimes[i], 5e-7 + 5e-6 * consoleTimes[i]) << rows[i][0];
        if (std::fabs(reported * 100 - std::round(reported * 100)) > 1e-6) finerThanHundredths = true;
    }
    EXPECT_TRUE(finerThanHundredths);
}

void SharedBatch::solutionFilesAgreeWithTheReport() {
    const auto rows = rowsByName(readFile(output / "sol_stat.csv"));
    for (const auto& [name, fields] : rows) {
        const fs::path sol = output / (name.substr(0, name.size() - 3) + ".sol");
        if (fields[2] == "PROBLEMA INFACTIVEL") {
            EXPECT_FALSE(fs::exists(sol)) << name;
            continue;
        }
        ASSERT_TRUE(fs::exists(sol)) << name;
        const std::string text = readFile(sol);
        EXPECT_EQ(text.rfind("solution status: optimal solution found\nobjective value:", 0), 0u) << text;
        EXPECT_TRUE(closeTo(solutionObjective(text), reportNumber(fields[3]))) << name;
    }
}

void SharedBatch::continuedBatchStartsFromTheSolutions() {
    // The output folder of the first batch becomes initial_sol beside a copy
    // of the models; a limit far too short to solve still gives the optima.
    TempDir work;
    fs::create_directory(work / "lps");
    for (const char* name : {"lseu.lp", "p0548.lp", "misc03.lp", "stein27_inf.lp"}) {
        fs::copy_file(testModels() / "lp" / name, work / "lps" / name);
    }
    fs::copy(output.path, work / "initial_sol");
    fs::create_directory(work / "out");
    const RunResult r = runProgram("time_limit\n0,01\n" + optInput((work / "lps").string(), (work / "out").string()));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    const auto known = knownOptima();
    const auto rows = rowsByName(readFile(work / "out" / "sol_stat.csv"));
    ASSERT_EQ(rows.size(), 4u);
    for (const char* name : {"lseu.lp", "p0548.lp", "misc03.lp"}) {
        EXPECT_TRUE(closeTo(reportNumber(rows.at(name)[3]), known.at(name).second)) << name;
        EXPECT_NE(r.out.find("solu\xC3\xA7\xC3\xA3o inicial lida: " + (work / "initial_sol").string() + "/" +
                             std::string(name).substr(0, std::strlen(name) - 3) + ".sol\n"),
                  std::string::npos)
            << name;
    }
    EXPECT_EQ(r.out.find("inicial lida: " + (work / "initial_sol").string() + "/stein27_inf.sol"), std::string::npos);
}

TEST(Opt, OneModelByteForByte) {
    TempDir dir;
    fs::create_directory(dir / "m");
    writeFile(dir / "m" / "d.lp", "Maximize\n obj: 2 x + y\nSubject To\n c1: x + y <= 3\nEnd\n");
    // The shell still reads its input after a batch.
    const RunResult r = runProgram(optInput((dir / "m").string(), dir.str()) + "about\nexit\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(maskTimes(r.out), kAbout + kPrompt + kLpPrompt + kFound + kNoInit + kOutPrompt + kDash + "MODELO 0 \n" +
                                    "original problem has 2 variables (0 bin, 0 int, 2 cont) and 1 constraints\n" +
                                    kNoInit + "NOME: d.lp\nTEMPO: T\nSTATUS: SOL OTIMA\n" + kPrompt + kAbout + kPrompt +
                                    kExit);
    const auto rows = reportRows(readFile(dir / "sol_stat.csv"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "d.lp");
    EXPECT_EQ(rows[0][2], "SOL OTIMA");
    EXPECT_EQ(rows[0][3], "6,000000");
    // SCIP's solution format lists only the non-zero values (y is 0).
    EXPECT_EQ(readFile(dir / "d.sol"),
              "solution status: optimal solution found\n"
              "objective value:                                    6\n"
              "x                                                   3 \t(obj:2)\n");
}

TEST(Opt, AllFiveStatuses) {
    TempDir dir;
    fs::create_directory(dir / "m");
    writeFile(dir / "m" / "a_unbounded.lp",
              "Maximize\n obj: x + y\nSubject To\n c1: x - y <= 1\n c2: x + 2 y >= 2\nEnd\n");
    writeFile(dir / "m" / "b_infeasible.lp", "Maximize\n obj: x\nSubject To\n c1: x + y >= 0\n c2: x + y <= -1\nEnd\n");
    // Presolve finds the unbounded ray of x before any feasible point.
    writeFile(dir / "m" / "c_inforunbd.lp", "Maximize\n obj: x\nSubject To\n c1: 2 y + 2 z = 1\nGeneral\n y z\nEnd\n");
    fs::copy_file(testModels() / "timelimit" / "markshare5.lp", dir / "m" / "d_markshare5.lp");
    writeFile(dir / "m" / "e_optimal.lp", kDecimalModel);
    fs::create_directory(dir / "c_inforunbd.sol");  // an old solution that cannot be removed
    const RunResult r = runProgram("time_limit\n1\n" + optInput((dir / "m").string(), dir.str()));
    EXPECT_EQ(r.err, "N\xC3\xA3o foi poss\xC3\xADvel excluir a solu\xC3\xA7\xC3\xA3o antiga " + dir.str() +
                         "/c_inforunbd.sol: \xC3\x89 um diret\xC3\xB3rio\n");
    const auto rows = reportRows(readFile(dir / "sol_stat.csv"));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0][2], "PROBLEMA ILIMITADO");
    EXPECT_EQ(rows[1][2], "PROBLEMA INFACTIVEL");
    EXPECT_EQ(rows[2][2], "PROBLEMA ILIMITADO OU INFACTIVEL");
    EXPECT_EQ(rows[3][2], "PROCESSO INTERROMPIDO - LIMITE DE TEMPO");
    EXPECT_EQ(rows[4][2], "SOL OTIMA");
    for (const char* line :
         {"STATUS: PROBLEMA ILIMITADO\n", "STATUS: PROBLEMA INFACTIVEL\n", "STATUS: PROBLEMA ILIMITADO OU INFACTIVEL\n",
          "STATUS: PROCESSO INTERROMPIDO - LIMITE DE TEMPO\n", "STATUS: SOL OTIMA\n"}) {
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
    }
    // Only models with a solution leave a solution file.
    EXPECT_FALSE(fs::exists(dir / "b_infeasible.sol"));
    EXPECT_TRUE(fs::is_directory(dir / "c_inforunbd.sol"));
    EXPECT_TRUE(fs::exists(dir / "e_optimal.sol"));
}

TEST(Opt, TimeLimitWithCommaOrPointAndRefusedLinesKeepTheLimit) {
    TempDir dir;
    fs::create_directory(dir / "m");
    fs::copy_file(testModels() / "timelimit" / "markshare5.lp", dir / "m" / "markshare5.lp");
    const std::string refused =
        "Tempo m\xC3\xA1ximo n\xC3\xA3o alterado: digite um n\xC3\xBAmero de segundos, como 30 ou 2,5.\n";
    // markshare5 runs far longer than any of these limits: only the limit stops it.
    for (const auto& [typed, seconds] : std::vector<std::pair<std::string, double>>{
             {"1", 1.0}, {"1,5", 1.5}, {"1.5", 1.5}, {"1\ntime_limit\n-5", 1.0}, {"0,5\ntime_limit\ninf", 0.5}}) {
        const RunResult r = runProgram("time_limit\n" + typed + "\n" + optInput((dir / "m").string(), dir.str()));
        const auto rows = reportRows(readFile(dir / "sol_stat.csv"));
        ASSERT_EQ(rows.size(), 1u) << typed;
        EXPECT_EQ(rows[0][2], "PROCESSO INTERROMPIDO - LIMITE DE TEMPO") << typed;
        const double reported = reportNumber(rows[0][1]);
        EXPECT_GE(reported, seconds - 0.05) << typed;
        EXPECT_LE(reported, seconds + 0.5) << typed;
        EXPECT_LT(r.seconds, seconds + 5.0) << typed;
        EXPECT_EQ(r.err, typed.find("time_limit") == std::string::npos ? "" : refused) << typed;
    }
}

TEST(Opt, DecimalCoefficientsUnderThePortugueseLocale) {
    TempDir dir;
    fs::create_directory(dir / "m");
    writeFile(dir / "m" / "decimal.lp", kDecimalModel);
    RunOptions options;
    options.extraEnv = {"LC_ALL=pt_BR.UTF-8", "LANG=pt_BR.UTF-8"};
    const RunResult r = runProgram(optInput((dir / "m").string(), dir.str()), options);
    EXPECT_EQ(r.err, "");
    const auto rows = reportRows(readFile(dir / "sol_stat.csv"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][2], "SOL OTIMA");
    EXPECT_EQ(rows[0][3], "7,500000");
}
