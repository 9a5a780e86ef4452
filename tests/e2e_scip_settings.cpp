// SCIP's settings on the command line: a settings file, -p, a model's own
// settings file, other formats (gzip'ed MPS), logs, seeds, and the record
// of the batch that repeats it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "test_support.h"

using namespace testing_support;

namespace {

// The lines of a settings file that are not comments.
std::vector<std::string> parameterLines(const std::string& text) {
    std::vector<std::string> result;
    for (const std::string& line : lines(text)) {
        if (!line.empty() && line[0] != '#') result.push_back(line);
    }
    return result;
}

}  // namespace

TEST(ScipSettings, SettingsFilesParametersFormatsLogsAndTheRecordThatRepeatsThem) {
    TempDir dir;
    const fs::path m = dir / "m", out = dir / "out";
    fs::create_directory(m);
    fs::copy(testModels() / "lp" / "flugpl.lp", m / "flugpl.lp");
    fs::copy(testModels() / "lp" / "bell5.lp", m / "bell5.lp");
    // Settings lines with and without spaces around "=", as SCIP reads both.
    writeFile(m / "bell5.set", "# this model alone, over the batch's gap\nlimits/gap = 0\nlimits/nodes=2\n");
    writeFile(m / "egout.lp", readFile(testModels() / "lp" / "egout.lp"));
    writeFile(m / "egout.set", "limits/gap = abc\n");  // costs egout alone
    writeFile(dir / "tiny.mps", kTinyMps);
    ASSERT_EQ(std::system(("gzip -n " + (dir / "tiny.mps").string()).c_str()), 0);
    fs::rename(dir / "tiny.mps.gz", m / "tiny.mps.gz");
    writeFile(dir / "batch.set", "# the batch's own\npresolving/maxrounds=0\n\nlimits/gap = 0.9\n");
    writeFile(dir / "known.solu", "=opt= tiny -5\n");
    const RunResult r =
        runProgram("", withArgs({"--parametros", (dir / "batch.set").string(), "-p", "limits/gap=0.5", "--formatos",
                                 "lp,mps.gz", "--logs", "--semente", "3", "--memoria", "500", "-p",
                                 "visual/vbcfilename=\"" + (dir / "arvore.vbc").string() + "\"", "--solu",
                                 (dir / "known.solu").string(), "opt", m.string(), out.string()}));
    EXPECT_EQ(r.exitCode, 1) << r.err;  // egout's settings file
    EXPECT_NE(r.err.find("egout.set, linha 1: valor recusado pelo SCIP: limits/gap = abc\n"), std::string::npos)
        << r.err;
    const std::vector<std::vector<std::string>> rows = reportRows(readFile(out / "sol_stat_completo.csv"));
    ASSERT_EQ(rows.size(), 4u);  // the .set files are entries without rows
    EXPECT_EQ(rows[0][0], "bell5.lp");
    EXPECT_EQ(rows[0][2], "PROCESSO INTERROMPIDO - LIMITE DE NOS");
    EXPECT_EQ(rows[1][0], "egout.lp");
    EXPECT_EQ(rows[1][2], "ERRO NA LEITURA DO MODELO");
    EXPECT_EQ(rows[2][0], "flugpl.lp");
    EXPECT_EQ(rows[2][2], "PROCESSO INTERROMPIDO - LIMITE DE GAP");
    EXPECT_EQ(rows[3][0], "tiny.mps.gz");
    EXPECT_EQ(rows[3][2], "SOL OTIMA");
    EXPECT_EQ(rows[3][3], "-5,000000");
    EXPECT_EQ(rows[3][13], "OK");  // its known result is found under "tiny"
    EXPECT_EQ(rows[3][14], "3");   // SEMENTE: the seed it was solved under
    EXPECT_NE(readFile(out / "tiny.mps.gz.sol").find("objective value:"), std::string::npos);
    // Logs: from reading to statistics, for each model SCIP read; none half-written.
    EXPECT_NE(readFile(out / "flugpl.log").find("gap limit reached"), std::string::npos);
    EXPECT_NE(readFile(out / "flugpl.log").find("Total Time"), std::string::npos);
    EXPECT_NE(readFile(out / "tiny.mps.gz.log").find("original problem has 2 variables"), std::string::npos);
    EXPECT_EQ(readFile(out / "tiny.mps.gz.log").find("objective value:"), std::string::npos);
    EXPECT_TRUE(tempFilesIn(out).empty());
    EXPECT_GT(fs::file_size(dir / "arvore.vbc"), 0u);        // SCIP's tree output, with the console silenced
    EXPECT_EQ(r.out.find("presolving"), std::string::npos);  // the console is as without logs
    // A log that cannot be kept (a folder stands at its name) fails the batch; the row stays.
    fs::create_directory(dir / "small");
    writeFile(dir / "small" / "a.lp", kSmallModel);
    fs::create_directories(dir / "out3" / "a.log" / "x");
    const RunResult logLost =
        runProgram("", withArgs({"--logs", "opt", (dir / "small").string(), (dir / "out3").string()}));
    EXPECT_EQ(logLost.exitCode, 1);
    EXPECT_EQ(logLost.err.rfind("Log do SCIP n\xC3\xA3o gravado: " + (dir / "out3" / "a.log").string() + ": ", 0), 0u)
        << logLost.err;
    EXPECT_EQ(rowsWithoutTimes(readFile(dir / "out3" / "sol_stat.csv")),
              std::vector<std::string>{"a.lp;SOL OTIMA;2,800000;"});
    EXPECT_TRUE(tempFilesIn(dir / "out3").empty());
    // The record: the options, the per-model file, SCIP's changed parameters.
    const std::string record = readFile(out / "parametros.set");
    EXPECT_NE(record.find("# --formatos: lp,mps.gz\n"), std::string::npos);
    EXPECT_NE(record.find("# --semente: 3\n"), std::string::npos);
    EXPECT_NE(record.find("# --memoria: 500 MB por processo (limits/memory)\n"), std::string::npos) << record;
    char host[256] = "";
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    EXPECT_NE(record.find(std::string("# m\xC3\xA1quina: ") + host + "\n"), std::string::npos) << record;
    EXPECT_NE(record.find("modelo, lidos depois destes parâmetros: bell5.set, egout.set\n"), std::string::npos);
    // SCIP's own comments on each parameter are left out: the lines alone.
    EXPECT_EQ(record.find("[type: "), std::string::npos);
    const std::vector<std::string> parameters = parameterLines(record);
    for (const char* expected : {"limits/gap = 0.5", "presolving/maxrounds = 0", "randomization/randomseedshift = 3",
                                 "randomization/permutationseed = 3", "limits/memory = 500"}) {
        EXPECT_NE(std::find(parameters.begin(), parameters.end(), expected), parameters.end()) << expected;
    }
    // SCIP reads the record back to the same parameters.
    const fs::path again = dir / "again";
    fs::create_directory(again);
    fs::copy(testModels() / "lp" / "bell5.lp", again / "bell5.lp");
    writeFile(again / "bell5.set", "limits/gap = 0\nlimits/time = 0.01\n");  // -t wins over its time
    const RunResult repeated =
        runProgram("", withArgs({"--parametros", (out / "parametros.set").string(), "--memoria", "500", "-t", "100",
                                 "opt", again.string(), (dir / "out2").string()}));
    EXPECT_EQ(repeated.exitCode, 0) << repeated.err;
    const std::string repeatedReport = readFile(dir / "out2" / "sol_stat_completo.csv");
    EXPECT_EQ(reportRows(repeatedReport)[0][2], "SOL OTIMA");
    // Without --semente the row names no seed (the record's seed lines are parameters).
    EXPECT_EQ(reportRows(repeatedReport)[0].at(14), "");
    std::vector<std::string> repeatedParameters = parameterLines(readFile(dir / "out2" / "parametros.set"));
    const auto timeLine = std::find(repeatedParameters.begin(), repeatedParameters.end(), "limits/time = 100");
    ASSERT_NE(timeLine, repeatedParameters.end());
    repeatedParameters.erase(timeLine);
    EXPECT_EQ(repeatedParameters, parameters);
}

TEST(ScipSettings, RefusedSettingsStopTheBatchBeforeAnythingIsTouched) {
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    writeFile(m / "a.lp", kSmallModel);
    writeFile(m / "sol_stat.csv", "NOME;TEMPO;STATUS;Z\n");  // an old report, removed by a batch that starts
    writeFile(dir / "unknown.set", "limits/gap = 0.1\r\nnada/disso = 1\r\n");
    writeFile(dir / "late.set", "limits/gap = 0.1\nemphasis: optimality\n");  // SCIP wants emphases first
    writeFile(dir / "fixed.set", "limits/time = 1 fix\n");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--parametros", (dir / "missing.set").string()},
         "Arquivo de parâmetros do SCIP não pode ser lido: " + (dir / "missing.set").string() + "\n"},
        {{"--parametros", (dir / "unknown.set").string()},
         "Arquivo de parâmetros " + (dir / "unknown.set").string() +
             ", linha 2: parâmetro desconhecido do SCIP: nada/disso = 1\n"},
        {{"--parametros", (dir / "late.set").string()},
         "Arquivo de parâmetros " + (dir / "late.set").string() +
             ", linha 2: valor recusado pelo SCIP: emphasis: optimality\n"},
        {{"--parametros", (dir / "fixed.set").string(), "-t", "5"},
         "O parâmetro limits/time é definido pelo programa para cada modelo e não pode ser fixado (fix).\n"},
        {{"-p", "nada/disso=1"}, "Parâmetro desconhecido do SCIP: nada/disso\n"},
        {{"-p", "limits/gap=abc"}, "Valor recusado pelo SCIP: limits/gap=abc\n"},
        {{"--parametro", "limits/gap=-1"}, "Valor recusado pelo SCIP: limits/gap=-1\n"},
    };
    for (const auto& [options, message] : cases) {
        std::vector<std::string> args = options;
        for (const std::string& word : {std::string("opt"), m.string(), (dir / "out").string()}) args.push_back(word);
        const RunResult r = runProgram("", withArgs(args));
        EXPECT_EQ(r.exitCode, 2) << message;
        EXPECT_EQ(r.err, message);
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(fs::exists(dir / "out"));
        EXPECT_TRUE(fs::exists(m / "sol_stat.csv"));
    }
    // --memoria reaches SCIP, over the batch's settings.
    const RunResult tight = runProgram(
        "", withArgs({"--memoria", "1", "-p", "limits/memory=100000", "opt", m.string(), (dir / "tight").string()}));
    EXPECT_EQ(reportRows(readFile(dir / "tight" / "sol_stat_completo.csv"))[0][2],
              "PROCESSO INTERROMPIDO - LIMITE DE MEMORIA");
    // The options belong to opt.
    const RunResult modLp = runProgram("", withArgs({"-p", "limits/gap=0.1", "mod_lp", m.string()}));
    EXPECT_EQ(modLp.exitCode, 2);
    EXPECT_EQ(modLp.err.rfind("A opção -p só vale com o comando opt.\n", 0), 0u) << modLp.err;
}
