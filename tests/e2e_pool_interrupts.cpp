// Interrupts in the shell and on the command line stop the whole batch and
// its workers, and leave no error rows.
#include <gtest/gtest.h>

#include "test_support.h"

using namespace testing_support;

TEST(Pool, InterruptInTheShellAndTerminateOnTheCommandLine) {
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    // a.lp, the largest file, is handed out first.
    writeFile(m / "a.lp", kSmallModel + std::string(4000, '\n'));
    for (const char* name : {"b_long.lp", "c_long.lp", "d_long.lp"}) {
        fs::copy_file(testModels() / "timelimit" / "markshare5.lp", m / name);
    }
    fs::create_directory(dir / "out");
    writeFile(dir / "out" / "b_long.sol", "old\n");

    // Ctrl-C reaches the whole foreground process group; the next batch typed runs whole.
    fs::create_directory(dir / "m2");
    writeFile(dir / "m2" / "a.lp", kSmallModel);
    fs::create_directory(dir / "out2");
    RunOptions shellOptions = withArgs({"-j", "2"});
    shellOptions.ownProcessGroup = true;
    TempDir io;
    const pid_t shell =
        startProgram("time_limit\n30\n" + optInput(m, dir / "out") + optInput(dir / "m2", dir / "out2") + "exit\n", io,
                     shellOptions);
    ASSERT_TRUE(waitForRows(dir / "out" / "sol_stat.csv", 1));  // a.lp done, the long ones running
    const std::vector<pid_t> workers = workersAfter(shell, 0.5, 2);
    ASSERT_EQ(workers.size(), 2u);
    kill(-shell, SIGINT);
    const RunResult r = finishProgram(shell, io);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.substr(r.out.size() - (kPrompt + kExit).size()), kPrompt + kExit);
    EXPECT_NE(r.err.find("Lote interrompido: 1 de 4 entradas conclu\xC3\xAD"
                         "das.\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(occurrences(r.err, "Lote interrompido"), 1u) << r.err;
    EXPECT_EQ(rowsWithoutTimes(readFile(dir / "out2" / "sol_stat.csv")),
              (std::vector<std::string>{"a.lp;SOL OTIMA;2,800000;"}));
    EXPECT_EQ(rowsWithoutTimes(readFile(dir / "out" / "sol_stat.csv")),
              (std::vector<std::string>{"a.lp;SOL OTIMA;2,800000;"}));
    EXPECT_EQ(readFile(dir / "out" / "b_long.sol"), "old\n");
    EXPECT_EQ(tempFilesIn(dir / "out"), std::vector<std::string>{});
    for (pid_t worker : workers) EXPECT_FALSE(processAlive(worker)) << worker;

    // SIGTERM (scancel, timeout): the program ends as killed by it. Into a
    // fresh folder: in "out" the long models, which have no time there, would
    // be handed out before a.lp.
    TempDir io2;
    const pid_t batch =
        startProgram("", io2, withArgs({"-j", "2", "-t", "30", "opt", m.string(), (dir / "term").string()}));
    ASSERT_TRUE(waitForRows(dir / "term" / "sol_stat.csv", 1));
    const std::vector<pid_t> more = workersAfter(batch, 0.5, 2);
    kill(batch, SIGTERM);
    const RunResult t = finishProgram(batch, io2);
    EXPECT_EQ(t.signal, SIGTERM);
    EXPECT_EQ(rowsWithoutTimes(readFile(dir / "term" / "sol_stat.csv")),
              (std::vector<std::string>{"a.lp;SOL OTIMA;2,800000;"}));
    EXPECT_EQ(tempFilesIn(dir / "term"), std::vector<std::string>{});
    for (pid_t worker : more) EXPECT_FALSE(processAlive(worker)) << worker;

    // SIGTERM in the shell: the program ends by it, and the next batch fed
    // through the pipe never starts.
    TempDir io3;
    const pid_t piped = startProgram(optInput(m, dir / "out") + optInput(m, dir / "out"), io3, withArgs({"-t", "30"}));
    workersAfter(piped, 1.5);
    kill(piped, SIGTERM);
    const RunResult p = finishProgram(piped, io3);
    EXPECT_EQ(p.signal, SIGTERM);
    EXPECT_EQ(occurrences(p.out, "Pasta de .lps encontrada"), 1u) << p.out;
}

TEST(Pool, InterruptOfEveryProcessLeavesNoErrorRow) {
    // Slurm stops a job by signalling each of its processes, the workers
    // first or all at once: the running models stay unfinished, not failed.
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    writeFile(m / "a.lp", kSmallModel + std::string(4000, '\n'));  // the largest file: handed out first
    for (const char* name : {"b_long.lp", "c_long.lp"}) {
        fs::copy_file(testModels() / "timelimit" / "markshare5.lp", m / name);
    }
    const fs::path out = dir / "out";
    fs::create_directory(out);
    writeFile(out / "b_long.sol", "old\n");
    for (const int delayMs : {0, 15, 30}) {
        TempDir io;
        const pid_t batch =
            startProgram("", io, withArgs({"-j", "2", "-t", "30", "--shard", "1/1", "opt", m.string(), out.string()}));
        ASSERT_TRUE(waitForRows(out / "sol_stat.parte-1-de-1.csv", 1));  // a.lp done, the long ones running
        const std::vector<pid_t> workers = workersAfter(batch, 0.2 + delayMs / 30.0, 2);
        ASSERT_EQ(workers.size(), 2u);
        for (pid_t worker : workers) kill(worker, SIGTERM);
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        kill(batch, SIGTERM);
        const RunResult r = finishProgram(batch, io);
        EXPECT_EQ(r.signal, SIGTERM) << delayMs;
        EXPECT_EQ(rowsWithoutTimes(readFile(out / "sol_stat.parte-1-de-1.csv")),
                  (std::vector<std::string>{"a.lp;SOL OTIMA;2,800000;"}))
            << delayMs;
        EXPECT_EQ(r.err.find("ERRO"), std::string::npos) << r.err;
        EXPECT_EQ(readFile(out / "b_long.sol"), "old\n");
        EXPECT_EQ(readFile(out / "sol_stat.parte-1-de-1.info").find("concluida"), std::string::npos);
        for (pid_t worker : workers) EXPECT_FALSE(processAlive(worker)) << worker;
    }
}
