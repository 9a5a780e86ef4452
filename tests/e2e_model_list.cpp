// A list of models as the batch (opt LISTA PASTA_SAIDA): models in two
// folders run, resume, shard and merge; a faulty list touches nothing.
#include <gtest/gtest.h>

#include "test_support.h"

using namespace testing_support;

namespace {

// The CONFERE field of a complete report's rows, by name.
std::map<std::string, std::string> checks(const fs::path& completeReport) {
    std::map<std::string, std::string> byName;
    for (const auto& fields : reportRows(readFile(completeReport))) byName[fields.at(0)] = fields.at(13);
    return byName;
}

}  // namespace

TEST(ModelList, ModelsOfTwoFoldersRunResumeShardAndMerge) {
    TempDir temp;
    const fs::path dir = fs::canonical(temp.path), a = dir / "a", b = dir / "sub" / "b", lists = a / "listas";
    fs::create_directories(b);
    fs::create_directories(lists);
    fs::copy_file(testModels() / "lp" / "egout.lp", a / "egout.lp");
    fs::copy_file(testModels() / "lp" / "flugpl.lp", a / "flugpl.lp");
    writeFile(a / "x.lp", kSmallModel);
    writeFile(a / "sol_stat.csv", "an old report, not this batch's to remove\n");
    writeFile(a / "outro.lp", "not listed");
    writeFile(b / "tiny.mps", kTinyMps);
    ASSERT_EQ(std::system(("gzip -n " + (b / "tiny.mps").string()).c_str()), 0);
    // The start solution beside a's own folder, which "../x.lp" from the list's folder reaches.
    fs::create_directories(dir / "initial_sol");
    writeFile(dir / "initial_sol" / "x.sol", "objective value: 2.8\nx 1.6\ny 1.2\n");
    writeFile(lists / "set.test", "# two folders\n\n../egout.lp\n" + (b / "tiny.mps.gz").string() +
                                      "\n  ../../a/./flugpl.lp \r\n../x.lp\n");
    writeFile(dir / "known.solu", "=opt= egout 568.1007\n=opt= tiny -5\n=opt= x 2.8\n");
    const std::string list = (lists / "set.test").string(), out = (dir / "out").string();

    // The list named from its model folder: relative to where the program runs.
    RunOptions options = withArgs({"-j", "2", "--solu", (dir / "known.solu").string(), "opt", "listas/set.test", out});
    options.cwd = a.string();
    const RunResult r = runProgram("", options);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // a's folder announced once, however the list spells it.
    EXPECT_EQ(r.out.rfind("Lista de modelos encontrada: 4 modelos\npasta de sol inicial existe: " +
                              (dir / "initial_sol").string() + " \n" + kDash,
                          0),
              0u)
        << r.out;
    EXPECT_NE(r.out.find("inicial lida: " + (dir / "initial_sol" / "x.sol").string() + "\n"), std::string::npos);
    // In the list's order; the .mps.gz a model under the default formats, its known result found.
    std::vector<std::string> names;
    for (const auto& fields : reportRows(readFile(dir / "out" / "sol_stat.csv"))) names.push_back(fields.at(0));
    EXPECT_EQ(names, (std::vector<std::string>{"egout.lp", "tiny.mps.gz", "flugpl.lp", "x.lp"}));
    const auto confere = checks(dir / "out" / "sol_stat_completo.csv");
    EXPECT_EQ(confere.at("tiny.mps.gz"), "OK");
    EXPECT_EQ(confere.at("x.lp"), "OK");
    EXPECT_EQ(confere.at("flugpl.lp"), "SEM REFERENCIA");
    EXPECT_EQ(readFile(a / "sol_stat.csv"), "an old report, not this batch's to remove\n");
    const std::string record = readFile(dir / "out" / "parametros.set");
    EXPECT_NE(record.find(" opt listas/set.test " + out + "\n# lista de modelos: " + list + "\n# m"), std::string::npos)
        << record;
    EXPECT_LT(record.find("\n# GLPK: "), record.find("\n# linha de comando: "));
    EXPECT_NE(record.find("(limits/memory; a mem\xC3\xB3ria livre dividida entre os processos)\n"), std::string::npos);

    // Resumed: every row kept.
    const RunResult resumed = runProgram("", withArgs({"-j", "2", "--retomar", "opt", list, out}));
    EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
    EXPECT_EQ(occurrences(resumed.out, "linha mantida"), 4u);
    // In two parts, merged: the whole batch's rows.
    const std::string parts = (dir / "parts").string();
    for (const char* shard : {"1/2", "2/2"}) {
        EXPECT_EQ(runProgram("", withArgs({"--shard", shard, "opt", list, parts})).exitCode, 0) << shard;
    }
    EXPECT_EQ(runProgram("", withArgs({"merge", parts})).exitCode, 0);
    EXPECT_EQ(rowsWithoutTimes(readFile(dir / "parts" / "sol_stat.csv")),
              rowsWithoutTimes(readFile(dir / "out" / "sol_stat.csv")));
    // The list edited before part 2 runs again: another x.lp, the same names; merge refuses.
    fs::create_directories(dir / "c");
    writeFile(dir / "c" / "x.lp", kSmallModel);
    writeFile(lists / "set.test", "../egout.lp\n" + (b / "tiny.mps.gz").string() + "\n../flugpl.lp\n../../c/x.lp\n");
    EXPECT_EQ(runProgram("", withArgs({"--shard", "2/2", "opt", list, parts})).exitCode, 0);
    const RunResult merged = runProgram("", withArgs({"merge", parts}));
    EXPECT_EQ(merged.exitCode, 1);
    EXPECT_NE(merged.err.find("mudou entre as partes"), std::string::npos) << merged.err;
}

TEST(ModelList, AFaultyListIsSaidWholeAndTouchesNothing) {
    TempDir temp;
    const fs::path dir = fs::canonical(temp.path);
    fs::create_directories(dir / "a");
    fs::create_directories(dir / "c");
    writeFile(dir / "a" / "m.lp", kSmallModel);
    writeFile(dir / "c" / "m.lp", kSmallModel);
    writeFile(dir / "c" / "m", kSmallModel);
    const std::string out = (dir / "out").string();
    const auto run = [&](const std::string& name, const std::string& text) {
        writeFile(dir / name, text);
        return runProgram("", withArgs({"opt", (dir / name).string(), out}));
    };
    const std::string d = dir.string();
    const RunResult faulty = run("l.test", "a/m.lp\nausente.lp\n# c/m.lp\na\nc/m.lp\nc/m\n");
    EXPECT_EQ(faulty.exitCode, 2);
    EXPECT_EQ(faulty.err, d + "/l.test, linha 2: " + d +
                              "/ausente.lp n\xC3\xA3o existe ou n\xC3\xA3o \xC3\xA9 um arquivo\n" + d +
                              "/l.test, linha 4: " + d + "/a n\xC3\xA3o existe ou n\xC3\xA3o \xC3\xA9 um arquivo\n" +
                              d + "/l.test, linhas 1 e 5: dois modelos com o nome m.lp (" + d + "/a/m.lp e " + d +
                              "/c/m.lp); os relat\xC3\xB3rios n\xC3\xA3o os distinguiriam\n" + d +
                              "/l.test, linhas 1 e 6: " + d + "/a/m.lp e " + d +
                              "/c/m gravariam a mesma solu\xC3\xA7\xC3\xA3o m.sol na pasta de sa\xC3\xAD"
                              "da\n");
    const RunResult empty = run("vazia.test", "# nothing\n\n");
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_NE(empty.err.find("vazia.test n\xC3\xA3o nomeia nenhum modelo"), std::string::npos);
    const RunResult model = runProgram("", withArgs({"opt", (dir / "a" / "m.lp").string(), out}));
    EXPECT_EQ(model.exitCode, 2);
    EXPECT_NE(model.err.find("m.lp \xC3\xA9 um modelo, n\xC3\xA3o uma lista"), std::string::npos);
    EXPECT_EQ(faulty.out + empty.out + model.out, "");
    // The shell's opt asks for a folder: a list is no answer to it.
    writeFile(dir / "ok.test", "a/m.lp\n");
    const RunResult shell = runProgram(optInput(dir / "ok.test", out) + "exit\n");
    EXPECT_NE(shell.out.find("Pasta de .lps inexistente ou inv\xC3\xA1lida...\n"), std::string::npos) << shell.out;
    EXPECT_FALSE(fs::exists(out));
}
