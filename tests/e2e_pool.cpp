// Batches in worker processes: the same output whatever the number of
// workers, a dead worker costs one model, a stuck one is stopped.
#include <gtest/gtest.h>

#include <set>

#include "test_support.h"

using namespace testing_support;

namespace {

const char* kInfeasible = "Maximize\n obj: x\nSubject To\n c1: x + y >= 0\n c2: x + y <= -1\nEnd\n";
const char* kUnbounded = "Maximize\n obj: x + y\nSubject To\n c1: x - y <= 1\n c2: x + 2 y >= 2\nEnd\n";
const char* kUnreadable = "Maximize\n obj: x +\nSubject To\n c1: x <= \nEnd\n";

// Report rows with the time field masked, and Z too where the time limit stopped the model.
std::string maskedReport(const std::string& report) {
    std::string masked;
    for (const auto& fields : reportRows(report)) {
        const bool limited = fields.size() > 2 && fields[2].find("LIMITE DE TEMPO") != std::string::npos;
        for (size_t i = 0; i < fields.size(); ++i) masked += (i == 1 || (i == 3 && limited) ? "*" : fields[i]) + ";";
        masked += "\n";
    }
    return masked;
}

}  // namespace

TEST(Pool, SameBlocksReportAndErrorsWithOneOrTwoWorkersFromShellOrCommandLine) {
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directories(m / "e_folder.lp");
    writeFile(m / "a_optimal.lp", kSmallModel);
    writeFile(m / "b_infeasible.lp", kInfeasible);
    fs::copy_file(testModels() / "timelimit" / "markshare5.lp", m / "c_limited.lp");
    writeFile(m / "d_unbounded.lp", kUnbounded);
    writeFile(m / "f_notes.txt", "not a model");
    writeFile(m / "g_unreadable.lp", kUnreadable);
    fs::copy_file(testModels() / "lp" / "egout.lp", m / "h_egout.lp");

    fs::create_directory(dir / "shell");  // the command line makes its own
    const RunResult shell =
        runProgram("time_limit\n1\n" + optInput(m, dir / "shell") + "exit\n", withArgs({"-j", "1"}));
    const RunResult one = runProgram("", withArgs({"-j", "1", "-t", "1", "opt", m.string(), (dir / "one").string()}));
    const RunResult two =
        runProgram("", withArgs({"--jobs", "2", "--tempo", "1", "opt", m.string(), (dir / "two").string()}));

    std::string shellOut = shell.out;
    for (const std::string& text :
         {kAbout, kPrompt, kPrompt,
          std::string("Digite o tempo m\xC3\xA1ximo para resolu\xC3\xA7\xC3\xA3o dos modelos (seg)> "),
          std::string("Digite o caminho da pasta de arquivos .lp> "),
          std::string("Digite o caminho da pasta para gerar o output> "), kPrompt + kExit}) {
        if (shellOut.find(text) != std::string::npos) shellOut.erase(shellOut.find(text), text.size());
    }
    EXPECT_EQ(maskTimes(one.out), maskTimes(shellOut));
    EXPECT_EQ(maskTimes(two.out), maskTimes(one.out));
    EXPECT_EQ(two.err, one.err);
    EXPECT_EQ(one.err, shell.err);
    EXPECT_NE(one.err.find("Error <-2> in function call"), std::string::npos) << one.err;
    const std::string report = maskedReport(readFile(dir / "one" / "sol_stat.csv"));
    EXPECT_EQ(maskedReport(readFile(dir / "two" / "sol_stat.csv")), report);
    EXPECT_EQ(maskedReport(readFile(dir / "shell" / "sol_stat.csv")), report);
    EXPECT_EQ(report,
              "a_optimal.lp;*;SOL OTIMA;2,800000;\n"
              "b_infeasible.lp;*;PROBLEMA INFACTIVEL;-100000000000000000000,000000;\n"
              "c_limited.lp;*;PROCESSO INTERROMPIDO - LIMITE DE TEMPO;*;\n"
              "d_unbounded.lp;*;PROBLEMA ILIMITADO;100000000000000000000,000000;\n"
              "e_folder.lp;*;ERRO NA LEITURA DO MODELO;;\n"
              "g_unreadable.lp;*;ERRO NA LEITURA DO MODELO;;\n"
              "h_egout.lp;*;SOL OTIMA;568,100700;\n");
    EXPECT_EQ(occurrences(two.out, "MODELO "), 8u);
    EXPECT_EQ(shell.exitCode, 0);
    EXPECT_EQ(one.exitCode, 1);  // models that could not be read
    EXPECT_EQ(two.exitCode, 1);
}

TEST(Pool, DeadWorkerCostsOnlyItsModelAndWorkersDieWithTheProgram) {
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    fs::copy_file(testModels() / "timelimit" / "markshare5.lp", m / "a_long.lp");
    // One model left once the only worker dies: a new worker must take it.
    writeFile(m / "b.lp", kSmallModel);
    fs::create_directory(dir / "out");
    writeFile(dir / "out" / "a_long.sol", "stale\n");
    TempDir io;
    const pid_t pid =
        startProgram("", io, withArgs({"-j", "1", "-t", "30", "opt", m.string(), (dir / "out").string()}));
    const std::vector<pid_t> workers = workersAfter(pid, 1.5);
    ASSERT_EQ(workers.size(), 1u);
    // A worker is the program started anew for opt's job, not a copy of the program.
    EXPECT_EQ(readFile("/proc/" + std::to_string(workers[0]) + "/cmdline"),
              std::string("loteotimizador\0--trabalhador\0opt\0", 33));
    kill(workers[0], SIGKILL);
    const RunResult r = finishProgram(pid, io);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(rowsWithoutTimes(readFile(dir / "out" / "sol_stat.csv")),
              (std::vector<std::string>{"a_long.lp;ERRO NA RESOLUCAO DO MODELO;;", "b.lp;SOL OTIMA;2,800000;"}));
    // What SCIP printed before the worker died stays in the model's block.
    EXPECT_NE(r.out.find("MODELO 0 \noriginal problem has 50 variables"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("NOME: a_long.lp\nTEMPO: "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("STATUS: ERRO NA RESOLUCAO DO MODELO\n" + kDash + "MODELO 1 \n"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("O processo que resolvia o modelo " + (m / "a_long.lp").string() + " terminou pelo sinal 9 ("),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(dir / "out" / "a_long.sol"));

    // Resumed: the model that failed in the solve is solved again, only b's row is kept.
    const RunResult resumed =
        runProgram("", withArgs({"-t", "1", "--retomar", "opt", m.string(), (dir / "out").string()}));
    EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
    EXPECT_EQ(occurrences(resumed.out, "linha mantida"), 1u) << resumed.out;
    const std::vector<std::string> rows = rowsWithoutTimes(readFile(dir / "out" / "sol_stat.csv"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].rfind("a_long.lp;PROCESSO INTERROMPIDO - LIMITE DE TEMPO;", 0), 0u) << rows[0];
    EXPECT_EQ(rows[1], "b.lp;SOL OTIMA;2,800000;");

    // The program itself killed: its workers follow it.
    TempDir io2;
    fs::copy_file(m / "a_long.lp", m / "b.lp", fs::copy_options::overwrite_existing);
    const pid_t main =
        startProgram("", io2, withArgs({"-j", "2", "-t", "30", "opt", m.string(), (dir / "out").string()}));
    const std::vector<pid_t> orphans = workersAfter(main, 1.0, 2);
    ASSERT_EQ(orphans.size(), 2u);
    kill(main, SIGKILL);
    waitpid(main, nullptr, 0);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    for (pid_t worker : orphans) EXPECT_FALSE(processAlive(worker)) << worker;
}

TEST(Pool, ModelFarPastItsLimitIsStoppedAsTimeLimited) {
    // A worker that stops looking at the clock (here: stopped outright) is
    // killed 10 s after the model's limit, and its model reported as stopped by it.
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    fs::copy_file(testModels() / "timelimit" / "markshare5.lp", m / "a_stuck.lp");
    writeFile(m / "b.lp", kSmallModel);
    fs::create_directory(dir / "out");
    writeFile(dir / "out" / "a_stuck.sol", "old\n");
    TempDir io;
    const pid_t pid = startProgram("", io, withArgs({"-j", "1", "-t", "1", "opt", m.string(), (dir / "out").string()}));
    const std::vector<pid_t> workers = workersAfter(pid, 0.5);
    ASSERT_EQ(workers.size(), 1u);
    kill(workers[0], SIGSTOP);
    const RunResult r = finishProgram(pid, io);
    EXPECT_EQ(r.exitCode, 0);  // a time limit counts as solved
    const auto rows = reportRows(readFile(dir / "out" / "sol_stat.csv"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0],
              (std::vector<std::string>{"a_stuck.lp", rows[0][1], "PROCESSO INTERROMPIDO - LIMITE DE TEMPO", ""}));
    EXPECT_GE(reportNumber(rows[0][1]), 11.0);
    EXPECT_EQ(rows[1][2], "SOL OTIMA");
    EXPECT_NE(r.out.find("NOME: a_stuck.lp\nTEMPO: 1"), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "O modelo " + (m / "a_stuck.lp").string() +
                         " passou de 10 s al\xC3\xA9m do tempo m\xC3\xA1ximo e foi interrompido.\n");
    EXPECT_FALSE(fs::exists(dir / "out" / "a_stuck.sol"));
    EXPECT_FALSE(processAlive(workers[0]));
}

TEST(Pool, ProgressLineOnlyOnATerminalAndClearedAtTheEnd) {
    TempDir dir;
    fs::create_directory(dir / "m");
    fs::copy_file(testModels() / "timelimit" / "markshare5.lp", dir / "m" / "a.lp");
    writeFile(dir / "m" / "b.lp", kSmallModel);
    // script(1) gives the program a terminal for its output streams.
    const std::string command = "script -qec \"'" LOTE_BINARY "' -j 1 -t 1 opt '" + (dir / "m").string() + "' '" +
                                (dir / "out").string() + "'\" /dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string screen;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) screen.append(buffer, n);
    pclose(pipe);
    const std::string progress =
        "\r\033[K0/2 conclu\xC3\xAD"
        "dos, 1 em execu\xC3\xA7\xC3\xA3o, 00:00:0";
    ASSERT_NE(screen.find(progress), std::string::npos) << screen;
    // Cleared before the blocks, which stay whole.
    EXPECT_LT(screen.rfind("conclu\xC3\xAD"
                           "dos"),
              screen.rfind("\r\033[K"));
    EXPECT_NE(screen.find("STATUS: SOL OTIMA"), std::string::npos);
}

TEST(Pool, OneWorkerSolvesManyModelsWithoutGrowing) {
    // Each model's SCIP instance is freed: a worker that kept them would grow
    // past its memory bound and be replaced every few models.
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    for (int i = 0; i < 80; ++i) writeFile(m / ("m" + std::to_string(100 + i) + ".lp"), kSmallModel);
    TempDir io;
    const pid_t pid = startProgram("", io, withArgs({"-j", "1", "opt", m.string(), (dir / "out").string()}));
    std::set<pid_t> workers;
    while (stillRunning(pid)) {
        // Once the reports are there, the child that checked SCIP's parameters is gone.
        if (fs::exists(dir / "out" / "sol_stat.csv")) {
            for (pid_t worker : childrenOf(pid)) workers.insert(worker);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const RunResult r = finishProgram(pid, io);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(rowsWithoutTimes(readFile(dir / "out" / "sol_stat.csv")).size(), 80u);
    EXPECT_EQ(workers.size(), 1u);
}

TEST(Pool, ModelFarPastItsLimitWhileBeingReadIsAReadError) {
    // A large model whose worker is stopped while SCIP reads it.
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    std::string terms;
    for (int i = 0; i < 800000; ++i) terms += (i > 0 ? " + x" : "x") + std::to_string(i);
    writeFile(m / "a_big.lp", "Maximize\n obj: " + terms + "\nSubject To\n c1: " + terms + " <= 1\nEnd\n");
    TempDir io;
    const pid_t pid = startProgram("", io, withArgs({"-j", "1", "-t", "1", "opt", m.string(), (dir / "out").string()}));
    const std::vector<pid_t> workers = workersAfter(pid, 0.3);
    ASSERT_EQ(workers.size(), 1u);
    kill(workers[0], SIGSTOP);
    const RunResult r = finishProgram(pid, io);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(rowsWithoutTimes(readFile(dir / "out" / "sol_stat.csv")),
              std::vector<std::string>{"a_big.lp;ERRO NA LEITURA DO MODELO;;"});
    EXPECT_EQ(r.err, "O modelo " + (m / "a_big.lp").string() +
                         " passou de 10 s al\xC3\xA9m do tempo m\xC3\xA1ximo durante a leitura e foi interrompido.\n");
    EXPECT_FALSE(processAlive(workers[0]));
}
