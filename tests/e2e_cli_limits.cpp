// The command line against the machine's limits: a folder it may not list,
// and the memory a cgroup leaves.
#include <gtest/gtest.h>

#include <map>

#include "test_support.h"

using namespace testing_support;

TEST(CommandLine, FolderThatCannotBeListedIsAnErrorNotAnEmptyBatch) {
    // Only an ordinary user can be refused a folder: run the program as nobody.
    if (geteuid() != 0 || std::system("command -v setpriv >/dev/null") != 0) GTEST_SKIP() << "needs root and setpriv";
    TempDir dir;
    fs::permissions(dir.path, fs::perms::all);
    const fs::path m = dir / "m";
    fs::create_directory(m);
    writeFile(m / "a.lp", kSmallModel);
    writeFile(m / "b.mod", kFreteModel);
    fs::permissions(m, fs::perms::none);
    fs::create_directory(dir / "out");
    fs::permissions(dir / "out", fs::perms::all);
    const auto asNobody = [&](const std::string& arguments, const std::string& input) {
        writeFile(dir / "in", input);
        const std::string command = "setpriv --reuid=65534 --regid=65534 --clear-groups '" LOTE_BINARY "' " +
                                    arguments + " <'" + (dir / "in").string() + "' >'" + (dir / "stdout").string() +
                                    "' 2>'" + (dir / "stderr").string() + "'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(asNobody("opt '" + m.string() + "' '" + (dir / "out").string() + "'", ""), 2);
    EXPECT_NE(readFile(dir / "stderr").find("Erro ao acessar a pasta: "), std::string::npos)
        << readFile(dir / "stderr");
    EXPECT_FALSE(fs::exists(dir / "out" / "sol_stat.csv"));
    EXPECT_EQ(asNobody("mod_lp '" + m.string() + "'", ""), 2);
    // The shell says it and stays.
    EXPECT_EQ(asNobody("", optInput(m, dir / "out") + "about\nexit\n"), 0);
    EXPECT_NE(readFile(dir / "stderr").find("Erro ao acessar a pasta: "), std::string::npos);
    EXPECT_NE(readFile(dir / "stdout").find("LoteOtimizador v1.0"), std::string::npos);
    fs::permissions(m, fs::perms::owner_all);
}

TEST(CommandLine, MemoryLimitComesFromTheMemoryCgroup) {
    // A child of this process's memory cgroup (v1), limited to 1 GiB.
    std::string own;
    for (const std::string& line : lines(readFile("/proc/self/cgroup"))) {
        if (line.find(":memory:") != std::string::npos) own = line.substr(line.find(":memory:") + 8);
    }
    const fs::path cgroup =
        fs::path("/sys/fs/cgroup/memory" + (own == "/" ? "" : own)) / ("lote_test_" + std::to_string(getpid()));
    std::error_code error;
    if (own.empty() || !fs::create_directory(cgroup, error)) GTEST_SKIP() << "no writable cgroup v1 memory hierarchy";
    writeFile(cgroup / "memory.limit_in_bytes", std::to_string(1LL << 30));
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    writeFile(m / "a.lp", kSmallModel);
    writeFile(m / "b.lp", kSmallModel);
    const std::string command = "sh -c 'echo $$ > \"" + (cgroup / "cgroup.procs").string() +
                                "\" && exec \"" LOTE_BINARY "\" -j 4 --shard 1/1 opt \"" + m.string() + "\" \"" +
                                (dir / "out").string() + "\"' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    fs::remove(cgroup, error);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    // Two models: two workers share what the cgroup leaves, not the machine's memory.
    const std::string record = readFile(dir / "out" / "sol_stat.parte-1-de-1.info");
    EXPECT_NE(record.find("processos 2\n"), std::string::npos) << record;
    const size_t at = record.find("memoria_por_processo_mb ");
    ASSERT_NE(at, std::string::npos) << record;
    const double megabytes = std::stod(record.substr(at + 24));
    EXPECT_GT(megabytes, 400.0);
    EXPECT_LE(megabytes, 512.0);
}
