// The command line: exit statuses, errors in Portuguese, resuming a killed
// batch, and an install that still runs after it is moved.
#include <gtest/gtest.h>

#include <map>

#include "test_support.h"

using namespace testing_support;

namespace {

const fs::path kExamples = fs::path(LOTE_SOURCE_DIR) / "examples";

std::string usage() {
    const RunResult help = runProgram("", withArgs({"--help"}));
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Uso:\n", 0), 0u);
    return help.out;
}

}  // namespace

TEST(CommandLine, ExitStatusesAndErrorsInPortuguese) {
    TempDir dir;
    fs::create_directory(dir / "m");
    writeFile(dir / "m" / "a.lp", kSmallModel);
    writeFile(dir / "file", "a file where a folder should be");
    fs::create_directory(dir / "bad");
    writeFile(dir / "bad" / "x.mod", "var x\n");
    const std::string m = (dir / "m").string();
    const std::string help = usage();
    const std::vector<std::pair<std::vector<std::string>, std::string>> usageErrors = {
        {{"-j", "0"}, "N\xC3\xBAmero de processos inv\xC3\xA1lido: 0 (use um inteiro de 1 a 1024).\n"},
        {{"--jobs", "abc", "opt", m, m},
         "N\xC3\xBAmero de processos inv\xC3\xA1lido: abc (use um inteiro de 1 a 1024).\n"},
        {{"-t", "-3", "opt", m, m},
         "Tempo m\xC3\xA1ximo inv\xC3\xA1lido: -3 (use um n\xC3\xBAmero de segundos, como 30 ou 2,5).\n"},
        {{"--memoria", "0"},
         "Mem\xC3\xB3ria inv\xC3\xA1lida: 0 (use um n\xC3\xBAmero inteiro de MB maior que zero).\n"},
        {{"-p", "=1", "opt", m, m}, "Par\xC3\xA2metro inv\xC3\xA1lido: =1 (use NOME=VALOR, como limits/gap=0.01).\n"},
        {{"--desconhecida"}, "Op\xC3\xA7\xC3\xA3o desconhecida: --desconhecida\n"},
        {{"-x"}, "Op\xC3\xA7\xC3\xA3o desconhecida: -x\n"},
        {{"opt", m, "-j"}, "A op\xC3\xA7\xC3\xA3o -j precisa de um valor.\n"},
        {{"comparar", m, "--html", ""}, "A op\xC3\xA7\xC3\xA3o --html precisa de um valor.\n"},
        {{"opt", m}, "O comando opt precisa de duas pastas: PASTA_LP PASTA_SAIDA.\n"},
        {{"mod_lp"}, "O comando mod_lp precisa de uma pasta.\n"},
        {{"--retomar"}, "A op\xC3\xA7\xC3\xA3o --retomar s\xC3\xB3 vale com o comando opt.\n"},
        {{"resolver", m}, "Comando desconhecido: resolver\n"},
        {{"opt", (dir / "missing").string(), m}, "Pasta de .lps inexistente ou inv\xC3\xA1lida...\n"},
        {{"opt", m, (dir / "file").string()},
         "N\xC3\xA3o \xC3\xA9 poss\xC3\xADvel gravar na pasta de output " + (dir / "file").string() +
             ": N\xC3\xA3o \xC3\xA9 um diret\xC3\xB3rio\n"},
        {{"mod_lp", (dir / "missing").string()}, "Pasta de .mods inexistente ou inv\xC3\xA1lida...\n"},
        {{"--solu", (dir / "m").string()},
         "N\xC3\xA3o foi poss\xC3\xADvel ler o arquivo de resultados conhecidos " + (dir / "m").string() + "\n"},
    };
    for (const auto& [args, message] : usageErrors) {
        const RunResult r = runProgram("", withArgs(args));
        EXPECT_EQ(r.exitCode, 2) << args[0];
        EXPECT_EQ(r.err, message + help) << args[0];
    }
    EXPECT_FALSE(fs::exists(dir / "m" / "sol_stat.csv"));

    const RunResult version = runProgram("", withArgs({"--version"}));
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(
        std::regex_match(version.out, std::regex("LoteOtimizador 1\\.0\nSCIP \\d+\\.\\d+\\.\\d+\nGLPK \\d+\\.\\d+\n")))
        << version.out;

    const RunResult badMod = runProgram("", withArgs({"mod_lp", (dir / "bad").string()}));
    EXPECT_EQ(badMod.exitCode, 1);
    EXPECT_EQ(
        badMod.out.rfind("Pasta de .mod encontrada\n" + kDash + "MODELO 0 gerado\nReading model section from ", 0), 0u);
    EXPECT_EQ(badMod.err, "Erro ao tranformar modelo\n");

    // The bundled examples into a folder that does not exist yet.
    const RunResult examples = runProgram("", withArgs({"opt", (kExamples / "lp").string(), (dir / "saida").string()}));
    EXPECT_EQ(examples.exitCode, 0);
    EXPECT_EQ(examples.err, "");
    EXPECT_EQ(rowsWithoutTimes(readFile(dir / "saida" / "sol_stat.csv")),
              (std::vector<std::string>{"escala.lp;SOL OTIMA;6,000000;",
                                        "inviavel.lp;PROBLEMA INFACTIVEL;-100000000000000000000,000000;",
                                        "mochila.lp;SOL OTIMA;30,000000;", "transporte.lp;SOL OTIMA;665,000000;"}));
    fs::copy(kExamples / "mathprog", dir / "mp");
    const RunResult mathprog = runProgram("", withArgs({"mod_lp", (dir / "mp").string()}));
    EXPECT_EQ(mathprog.exitCode, 0);
    EXPECT_TRUE(fs::exists(dir / "mp" / "mochila.lp"));
    EXPECT_TRUE(fs::exists(dir / "mp" / "transporte.lp"));
}

TEST(CommandLine, ResumeKeepsFinishedRowsAndSolvesTheRest) {
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    // a.lp, the largest file, is handed out first.
    writeFile(m / "a.lp", kSmallModel + std::string(4000, '\n'));
    fs::copy_file(testModels() / "timelimit" / "markshare5.lp", m / "b_long.lp");
    writeFile(m / "c;\"d\".lp", kSmallModel);  // quoted, with inner quotes doubled
    const std::string out = (dir / "out").string();
    TempDir io;
    const pid_t pid = startProgram("", io, withArgs({"-j", "1", "-t", "2", "opt", m.string(), out}));
    ASSERT_TRUE(waitForRows(dir / "out" / "sol_stat.csv", 1));  // a.lp done, b_long running
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    const std::string partial = readFile(dir / "out" / "sol_stat.csv");
    ASSERT_EQ(lines(partial).size(), 2u) << partial;

    const RunResult resumed = runProgram("", withArgs({"-j", "2", "-t", "2", "--retomar", "opt", m.string(), out}));
    EXPECT_EQ(resumed.exitCode, 0);
    const std::string report = readFile(dir / "out" / "sol_stat.csv");
    EXPECT_EQ(report.rfind(partial, 0), 0u) << "the kept row changed";
    EXPECT_EQ(rowsWithoutTimes(report).size(), 3u);
    EXPECT_NE(report.find("\n\"c;\"\"d\"\".lp\";"), std::string::npos);
    EXPECT_NE(resumed.out.find("NOME: a.lp\nlinha mantida do relat\xC3\xB3rio anterior\n"), std::string::npos);
    EXPECT_EQ(occurrences(resumed.out, "STATUS: "), 2u);

    // Resumed again: every row kept, byte for byte, the quoted name too.
    const RunResult again = runProgram("", withArgs({"--retomar", "opt", m.string(), out}));
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(readFile(dir / "out" / "sol_stat.csv"), report);
    EXPECT_EQ(occurrences(again.out, "STATUS: "), 0u);
}

TEST(CommandLine, ResumeKeepsOnlyWhatIsStillTrueAlsoForAPart) {
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    writeFile(m / "a.lp", kSmallModel);
    writeFile(m / "b.lp", "Maximize\n obj: x +\nSubject To\n c1: x <= \nEnd\n");  // broken, then mended
    writeFile(m / "c.lp", kSmallModel);                                           // changed after its row
    const std::string out = (dir / "out").string();
    EXPECT_EQ(runProgram("", withArgs({"opt", m.string(), out})).exitCode, 1);
    const std::string completeA = lines(readFile(dir / "out" / "sol_stat_completo.csv"))[1];

    writeFile(m / "b.lp", kSmallModel);
    writeFile(m / "c.lp", "Maximize\n obj: x\nSubject To\n c1: x <= 5\nEnd\n");
    const RunResult resumed = runProgram("", withArgs({"--retomar", "opt", m.string(), out}));
    EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
    EXPECT_EQ(occurrences(resumed.out, "linha mantida"), 1u);
    EXPECT_EQ(
        rowsWithoutTimes(readFile(dir / "out" / "sol_stat.csv")),
        (std::vector<std::string>{"a.lp;SOL OTIMA;2,800000;", "b.lp;SOL OTIMA;2,800000;", "c.lp;SOL OTIMA;5,000000;"}));
    // The kept model keeps its whole complete row too.
    EXPECT_EQ(lines(readFile(dir / "out" / "sol_stat_completo.csv"))[1], completeA);

    // A part stopped at its time limit resumes from its own reports; the
    // merge then holds what one unsharded run holds.
    fs::copy_file(testModels() / "timelimit" / "markshare5.lp", m / "d_long.lp");
    const std::string parts = (dir / "parts").string();
    EXPECT_EQ(runProgram("", withArgs({"-t", "2", "--shard", "1/2", "opt", m.string(), parts})).exitCode, 0);
    TempDir io;
    const pid_t part2 = startProgram("", io, withArgs({"-t", "2", "--shard", "2/2", "opt", m.string(), parts}));
    ASSERT_TRUE(waitForRows(dir / "parts" / "sol_stat.parte-2-de-2.csv", 1));  // b.lp done, d_long.lp running
    kill(part2, SIGTERM);
    EXPECT_EQ(finishProgram(part2, io).signal, SIGTERM);
    EXPECT_EQ(runProgram("", withArgs({"merge", parts})).exitCode, 1);
    const RunResult resumedPart =
        runProgram("", withArgs({"-t", "2", "--shard", "2/2", "--retomar", "opt", m.string(), parts}));
    EXPECT_EQ(resumedPart.exitCode, 0) << resumedPart.err;
    EXPECT_EQ(occurrences(resumedPart.out, "linha mantida"), 1u) << resumedPart.out;
    EXPECT_EQ(runProgram("", withArgs({"merge", parts})).exitCode, 0);
    const auto statuses = [](const std::string& report) {
        std::vector<std::string> result;
        for (const auto& fields : reportRows(report)) result.push_back(fields[0] + ";" + fields[2]);
        return result;
    };
    EXPECT_EQ(statuses(readFile(dir / "parts" / "sol_stat.csv")),
              (std::vector<std::string>{"a.lp;SOL OTIMA", "b.lp;SOL OTIMA", "c.lp;SOL OTIMA",
                                        "d_long.lp;PROCESSO INTERROMPIDO - LIMITE DE TEMPO"}));
    EXPECT_EQ(lines(readFile(dir / "parts" / "sol_stat_arquivos.csv")).size(), 5u);
}

TEST(CommandLine, MovedInstallRunsOnItsOwnLibraries) {
    TempDir dir;
    const fs::path prefix = dir / "prefix";
    ASSERT_EQ(
        std::system(("cmake --install '" LOTE_BUILD_DIR "' --prefix '" + prefix.string() + "' >/dev/null").c_str()), 0);
    const fs::path moved = dir / "moved";
    fs::rename(prefix, moved);
    // The build's own copy of SCIP out of the way while the install runs.
    const fs::path deps = fs::path(LOTE_BUILD_DIR) / "deps";
    const fs::path hidden = fs::path(LOTE_BUILD_DIR) / "deps.hidden-by-test";
    struct Restore {
        fs::path from, to;
        ~Restore() {
            std::error_code ignored;
            fs::rename(from, to, ignored);
        }
    } restore{hidden, deps};
    const bool hide = fs::exists(deps);
    if (hide) fs::rename(deps, hidden);

    const std::string binary = (moved / "bin" / "loteotimizador").string();
    ASSERT_EQ(std::system(("'" + binary + "' --version > '" + (dir / "version").string() + "'").c_str()), 0);
    EXPECT_NE(readFile(dir / "version").find("\nSCIP "), std::string::npos);

    fs::create_directory(dir / "m");
    fs::copy_file(testModels() / "timelimit" / "markshare5.lp", dir / "m" / "long.lp");
    const std::string command = "exec '" + binary + "' -t 2 opt '" + (dir / "m").string() + "' '" +
                                (dir / "out").string() + "' >/dev/null 2>&1";
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const std::vector<pid_t> workers = workersAfter(pid, 1.0);
    const std::string mainMaps = readFile("/proc/" + std::to_string(pid) + "/maps");
    ASSERT_EQ(workers.size(), 1u);
    const std::string workerMaps = readFile("/proc/" + std::to_string(workers[0]) + "/maps");
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(mainMaps.find((moved / "lib" / "libglpk").string()), std::string::npos) << mainMaps;
    EXPECT_EQ(mainMaps.find("libscip"), std::string::npos) << "the program's own process loaded SCIP";
    EXPECT_NE(workerMaps.find((moved / "lib" / "libscip").string()), std::string::npos) << workerMaps;
    EXPECT_EQ(rowsWithoutTimes(readFile(dir / "out" / "sol_stat.csv")).size(), 1u);
}
