// An output folder belongs to one batch at a time: a batch is held still
// (SIGSTOP) while it holds its folder, so that what runs beside it never
// depends on how fast the machine is.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include "test_support.h"

using namespace testing_support;

namespace {

// A started batch, stopped once it holds its folder (its lock file names it).
struct HeldBatch {
    TempDir io;
    pid_t pid = 0;
    HeldBatch(std::vector<std::string> args, const fs::path& folder) {
        pid = startProgram("", io, withArgs(std::move(args)));
        const std::string mark = "processo " + std::to_string(pid) + ",";
        for (int i = 0; i < 6000 && stillRunning(pid); ++i) {
            std::error_code missing;
            for (const fs::directory_entry& e : fs::directory_iterator(folder, missing)) {
                if (e.path().filename().string().rfind(".loteotimizador.trava", 0) == 0 &&
                    readFile(e.path()).find(mark) != std::string::npos) {
                    kill(pid, SIGSTOP);
                    // Stopped while it still runs: a batch never ends as soon as it holds its folder.
                    if (!stillRunning(pid)) ADD_FAILURE() << "the batch ended before it could be held";
                    return;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ADD_FAILURE() << "the batch never held " << folder;
    }
    RunResult finish() {
        kill(pid, SIGCONT);
        return finishProgram(pid, io);
    }
};

fs::path modelsIn(const TempDir& dir, const char* name, std::vector<std::string> models) {
    const fs::path folder = dir / name;
    fs::create_directory(folder);
    for (const std::string& model : models) fs::copy_file(testModels() / "lp" / model, folder / model);
    return folder;
}

void expectRefusedBy(const RunResult& r, pid_t holder, const std::string& what) {
    EXPECT_EQ(r.exitCode, 2) << what << "\n" << r.err;
    EXPECT_NE(r.err.find("em uso por outro lote ("), std::string::npos) << what << "\n" << r.err;
    EXPECT_NE(r.err.find("processo " + std::to_string(holder) + ","), std::string::npos) << what << "\n" << r.err;
}

}  // namespace

TEST(FolderLock, ASecondBatchIsRefusedAndTheFirstKeepsEveryRow) {
    TempDir dir;
    const fs::path a = modelsIn(dir, "a", {"egout.lp", "flugpl.lp"});
    const fs::path b = modelsIn(dir, "b", {"gt2.lp"});
    const fs::path out = dir / "out";
    fs::create_directory(out);
    writeFile(out / "sol_stat.csv", kReportHeader);
    HeldBatch first({"-j", "1", "opt", a.string(), out.string()}, out);
    const std::vector<std::vector<std::string>> second = {{"opt", b.string(), out.string()},
                                                          {"--retomar", "opt", b.string(), out.string()},
                                                          {"--corrida", "opt", b.string(), out.string()},
                                                          {"--sementes", "0,1", "opt", b.string(), out.string()},
                                                          {"--shard", "1/2", "opt", b.string(), out.string()},
                                                          {"merge", out.string()}};
    for (const std::vector<std::string>& args : second) {
        expectRefusedBy(runProgram("", withArgs(args)), first.pid, args[0]);
    }
    // A run whose model folder is the held one leaves the holder's report there.
    runProgram("", withArgs({"opt", out.string(), (dir / "y").string()}));
    EXPECT_EQ(readFile(out / "sol_stat.csv"), kReportHeader);
    // In the shell, after the prompts, and the prompt returns.
    const RunResult shell = runProgram(optInput(b, out) + "exit\n");
    EXPECT_NE(shell.err.find("processo " + std::to_string(first.pid) + ","), std::string::npos) << shell.err;
    EXPECT_NE(shell.out.find("Saindo do shell"), std::string::npos) << shell.out;
    const RunResult done = first.finish();
    EXPECT_EQ(done.exitCode, 0) << done.err;
    EXPECT_EQ(reportRows(readFile(out / "sol_stat.csv")).size(), 2u);
    EXPECT_FALSE(fs::exists(out / "gt2.sol"));
    // Once it has ended the folder is free again.
    EXPECT_EQ(runProgram("", withArgs({"--retomar", "opt", b.string(), out.string()})).exitCode, 0);
}

TEST(FolderLock, AKilledBatchBlocksNothing) {
    TempDir dir;
    const fs::path a = modelsIn(dir, "a", {"egout.lp"});
    const fs::path out = dir / "out";
    HeldBatch killed({"opt", a.string(), out.string()}, out);
    kill(killed.pid, SIGKILL);
    waitpid(killed.pid, nullptr, 0);
    const RunResult next = runProgram("", withArgs({"opt", a.string(), out.string()}));
    EXPECT_EQ(next.exitCode, 0) << next.err;
    EXPECT_EQ(reportRows(readFile(out / "sol_stat.csv")).size(), 1u);
}

TEST(FolderLock, ShardsOfOneBatchRunSideBySideAndNothingElse) {
    TempDir dir;
    const fs::path m = modelsIn(dir, "m", {"egout.lp", "flugpl.lp", "gt2.lp", "lseu.lp"});
    const fs::path parts = dir / "parts";
    const auto part = [&](const char* shard) {
        return std::vector<std::string>{"--shard", shard, "opt", m.string(), parts.string()};
    };
    HeldBatch first(part("1/2"), parts);
    const RunResult second = runProgram("", withArgs(part("2/2")));
    EXPECT_EQ(second.exitCode, 0) << second.err;
    expectRefusedBy(runProgram("", withArgs(part("1/2"))), first.pid, "the same part twice");
    expectRefusedBy(runProgram("", withArgs(part("1/3"))), first.pid, "a part of another count");
    expectRefusedBy(runProgram("", withArgs({"opt", m.string(), parts.string()})), first.pid, "a whole batch");
    expectRefusedBy(runProgram("", withArgs({"merge", parts.string()})), first.pid, "merge");
    EXPECT_EQ(first.finish().exitCode, 0);
    const RunResult merged = runProgram("", withArgs({"merge", parts.string()}));
    EXPECT_EQ(merged.exitCode, 0) << merged.err;
    EXPECT_EQ(reportRows(readFile(parts / "sol_stat.csv")).size(), 4u);
    // Each part's own lock file went with it; the folder's stays, naming who held it last.
    std::vector<std::string> lockFiles;
    for (const fs::directory_entry& e : fs::directory_iterator(parts)) {
        if (e.path().filename().string().rfind(".loteotimizador", 0) == 0) lockFiles.push_back(e.path().filename());
    }
    EXPECT_EQ(lockFiles, std::vector<std::string>{".loteotimizador.trava"});
}

// A seed run holds every seed's folder: a batch into one of them is refused.
// A batch whose output folder is its model folder does not take its own lock
// file for a model.
TEST(FolderLock, ASeedRunHoldsItsSeedFoldersAndALockFileIsNoModel) {
    TempDir dir;
    const fs::path a = modelsIn(dir, "a", {"egout.lp"});
    const fs::path out = dir / "out";
    HeldBatch seeds({"--sementes", "0,1", "opt", a.string(), out.string()}, out / "semente-1");
    expectRefusedBy(runProgram("", withArgs({"opt", a.string(), (out / "semente-0").string()})), seeds.pid,
                    "a batch into a seed's folder");
    EXPECT_EQ(seeds.finish().exitCode, 0);
    const RunResult inPlace = runProgram("", withArgs({"opt", a.string(), a.string()}));
    EXPECT_EQ(inPlace.exitCode, 0) << inPlace.err;
    EXPECT_EQ(rowsWithoutTimes(readFile(a / "sol_stat.csv")),
              std::vector<std::string>{"egout.lp;SOL OTIMA;568,100700;"});
    // Every file of the folder is an entry (its old report aside), its lock file none.
    size_t entries = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(a)) {
        const std::string name = e.path().filename().string();
        entries += name.rfind(".loteotimizador", 0) != 0 && name != "sol_stat.csv" ? 1 : 0;
    }
    const RunResult again = runProgram("", withArgs({"opt", a.string(), a.string()}));
    EXPECT_EQ(occurrences(again.out, "MODELO "), entries) << again.out;
    EXPECT_EQ(rowsWithoutTimes(readFile(a / "sol_stat.csv")),
              std::vector<std::string>{"egout.lp;SOL OTIMA;568,100700;"});
}
