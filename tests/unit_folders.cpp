// Folder services and the report file, on real folders.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "commands/held_folders.h"
#include "platform/console.h"
#include "platform/folder_lock.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "reports/report_rows.h"
#include "reports/reports.h"
#include "test_support.h"

using namespace testing_support;

TEST(ListFolder, EmptyFilesOnlyAndSubfoldersOnly) {
    TempDir dir;
    std::string err = "left from before";
    EXPECT_TRUE(listFolder(dir.str(), &err).empty());
    EXPECT_EQ(err, "");

    fs::create_directory(dir / "files");
    writeFile(dir / "files" / "b.lp", "");
    writeFile(dir / "files" / "a.lp", "");
    writeFile(dir / "files" / ".oculto", "");
    EXPECT_EQ(
        listFolder((dir / "files").string(), nullptr),
        (std::vector<std::string>{dir.str() + "/files/.oculto", dir.str() + "/files/a.lp", dir.str() + "/files/b.lp"}));

    fs::create_directories(dir / "subs" / "z");
    fs::create_directories(dir / "subs" / "initial_sol");
    EXPECT_EQ(listFolder((dir / "subs").string() + "/", nullptr),
              (std::vector<std::string>{dir.str() + "/subs/initial_sol", dir.str() + "/subs/z"}));
}

TEST(ListFolder, SortedByBytesWhateverTheCreationOrder) {
    TempDir dir;
    for (const char* name : {"m10.lp", "M1.lp", "m2.lp", "\xC3\xA9.lp", "a b.lp", "-x.lp"}) {
        writeFile(dir / name, "");
    }
    std::vector<std::string> names;
    for (const std::string& path : listFolder(dir.str(), nullptr)) names.push_back(baseName(path));
    EXPECT_EQ(names, (std::vector<std::string>{"-x.lp", "M1.lp", "a b.lp", "m10.lp", "m2.lp", "\xC3\xA9.lp"}));
}

TEST(ListFolder, TenThousandEntriesAllSorted) {
    TempDir dir;
    for (int i = 0; i < 10000; ++i) writeFile(dir / ("m" + std::to_string(9999 - i) + ".lp"), "");
    const std::vector<std::string> entries = listFolder(dir.str(), nullptr);
    ASSERT_EQ(entries.size(), 10000u);
    EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end()));
}

TEST(ListFolder, ErrorsBecomeAMessageAndAnEmptyList) {
    TempDir dir;
    writeFile(dir / "file", "");
    for (const std::string& bad :
         {(dir / "missing").string(), (dir / "file").string(), dir.str() + std::string("\0x", 2)}) {
        std::string err;
        testing::internal::CaptureStderr();
        EXPECT_TRUE(listFolder(bad, &err).empty());
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // said by the caller, not here
        EXPECT_EQ(err.rfind("Erro ao acessar a pasta: ", 0), 0u) << err;
        EXPECT_EQ(err.back(), '\n');
    }
    std::string err;
    listFolder(dir.str() + std::string("\0x", 2), &err);
    EXPECT_EQ(err,
              "Erro ao acessar a pasta: nome de pasta inv\xC3\xA1lido: " + dir.str() + "\n");  // shown up to the NUL
}

TEST(FolderExists, OnlyExistingFolders) {
    TempDir dir;
    writeFile(dir / "file.lp", "");
    fs::create_directory(dir / "sub");
    fs::create_directory_symlink(dir / "sub", dir / "link");
    fs::create_symlink(dir / "nowhere", dir / "broken");
    EXPECT_TRUE(folderExists(dir.str()));
    EXPECT_TRUE(folderExists(dir.str() + "/"));
    EXPECT_TRUE(folderExists((dir / "sub").string()));
    EXPECT_TRUE(folderExists((dir / "link").string()));
    EXPECT_FALSE(folderExists((dir / "file.lp").string()));
    EXPECT_FALSE(folderExists((dir / "file.lp").string() + "/"));
    EXPECT_FALSE(folderExists((dir / "broken").string()));
    EXPECT_FALSE(folderExists((dir / "missing").string()));
    EXPECT_FALSE(folderExists(""));
    EXPECT_FALSE(folderExists(std::string(5000, 'a')));
    EXPECT_FALSE(folderExists(dir.str() + std::string("\0", 1)));
    EXPECT_FALSE(folderExists("\"" + dir.str() + "\""));
}

TEST(FileIsReadable, RegularFilesOnlyAndNeverBlocks) {
    TempDir dir;
    writeFile(dir / "a.dat", "data;\nend;\n");
    fs::create_directory(dir / "folder.dat");
    ASSERT_EQ(mkfifo((dir / "fifo.dat").c_str(), 0644), 0);
    fs::create_symlink(dir / "a.dat", dir / "link.dat");
    fs::create_symlink(dir / "nowhere", dir / "broken.dat");
    EXPECT_TRUE(fileIsReadable((dir / "a.dat").string()));
    EXPECT_TRUE(fileIsReadable((dir / "link.dat").string()));
    EXPECT_FALSE(fileIsReadable((dir / "folder.dat").string()));
    EXPECT_FALSE(fileIsReadable((dir / "fifo.dat").string()));  // would block if opened
    EXPECT_FALSE(fileIsReadable((dir / "broken.dat").string()));
    EXPECT_FALSE(fileIsReadable((dir / "missing.dat").string()));
}

TEST(WriteReport, RewritesWholeFileWithAPlainModeAndLeavesNoTemporary) {
    TempDir dir;
    writeFile(dir / "sol_stat.csv", "old content that is much longer than the new report\n");
    std::vector<std::string> resultRows = {"a.lp;0,500000;SOL OTIMA;1,000000;"};
    const mode_t oldMask = umask(027);
    EXPECT_TRUE(writeReport(dir.str(), batchReports()[0], "sol_stat.csv", resultRows, nullptr));
    umask(oldMask);
    EXPECT_EQ(readFile(dir / "sol_stat.csv"), "NOME;TEMPO;STATUS;Z\na.lp;0,500000;SOL OTIMA;1,000000;\n");
    EXPECT_EQ(fs::status(dir / "sol_stat.csv").permissions(), fs::perms(0640));
    resultRows.push_back("b.lp;0,250000;SOL OTIMA;2,000000;");
    EXPECT_TRUE(writeReport(dir.str() + "/", batchReports()[0], "sol_stat.csv", resultRows, nullptr));
    EXPECT_EQ(reportRows(readFile(dir / "sol_stat.csv")).size(), 2u);
    EXPECT_EQ(tempFilesIn(dir.path), std::vector<std::string>{});
}

TEST(TempFiles, OnlyThoseOfGoneProcessesOrOlderThanADayAreRemoved) {
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    const std::string mine = ".loteotimizador-" + std::string(host) + "-" + std::to_string(gone) + "-a1B2c3.tmp";
    const std::string live = ".loteotimizador-" + std::string(host) + "-" + std::to_string(getpid()) + "-a1B2c3.tmp";
    const std::string otherHost = ".loteotimizador-no-such-host-" + std::to_string(gone) + "-a1B2c3.tmp";
    const std::string oldOther = ".loteotimizador-no-such-host-7-zzzzzz.tmp";
    TempDir dir;
    for (const std::string& name : {mine, live, otherHost, oldOther, std::string("x.tmp")}) writeFile(dir / name, "");
    fs::last_write_time(dir / oldOther, fs::file_time_type::clock::now() - std::chrono::hours(25));
    removeStaleTempFiles(dir.str());
    std::vector<std::string> left = tempFilesIn(dir.path);
    std::sort(left.begin(), left.end());
    std::vector<std::string> expected = {live, otherHost};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);
    EXPECT_TRUE(fs::exists(dir / "x.tmp"));

    const auto owner = tempFileOwner(".loteotimizador-a-b-c-42-XyZ123.tmp");
    ASSERT_TRUE(owner);
    EXPECT_EQ(owner->host, "a-b-c");
    EXPECT_EQ(owner->pid, 42);
    for (const char* name : {".loteotimizador.tmp", ".loteotimizador-h-x-XyZ123.tmp", ".loteotimizador-h-1-XyZ12.tmp",
                             ".loteotimizador-h-1-XyZ123.lp", "dados-h-1-XyZ123.tmp",
                             // no host before the process: never taken for another host's file
                             ".loteotimizador-1234-XyZ123.tmp", ".loteotimizador--7-XyZ123.tmp"}) {
        EXPECT_FALSE(tempFileOwner(name)) << name;
    }
}

TEST(WriteReport, FailureIsReportedAndLosesNothing) {
    TempDir dir;
    fs::create_directory(dir / "sol_stat.csv");  // a folder where the report should go
    std::vector<std::string> resultRows = {"a.lp;0,500000;SOL OTIMA;1,000000;"};
    std::string err;
    EXPECT_FALSE(writeReport(dir.str(), batchReports()[0], "sol_stat.csv", resultRows, &err));
    EXPECT_NE(err.find("relatório " + dir.str() + "/sol_stat.csv"), std::string::npos) << err;
    EXPECT_TRUE(fs::is_directory(dir / "sol_stat.csv"));
    EXPECT_EQ(tempFilesIn(dir.path), std::vector<std::string>{});

    EXPECT_FALSE(writeReport((dir / "missing").string(), batchReports()[0], "sol_stat.csv", resultRows, &err));
    EXPECT_NE(err.find("missing/sol_stat.csv"), std::string::npos);
}

TEST(Memory, SmallestOfAvailableCgroupsAndSlurmSharedOut) {
    // A machine laid out under a folder: both cgroup versions mounted, the
    // process in a v1 memory cgroup below a limited one, and in a limited v2 one.
    TempDir root;
    const auto put = [&](const std::string& path, const std::string& text) {
        fs::create_directories((root.path / path).parent_path());
        writeFile(root.path / path, text);
    };
    put("proc/meminfo", "MemTotal:       9000000 kB\nMemAvailable:    8000000 kB\n");
    put("proc/self/mountinfo",
        "41 31 0:38 / /sys/fs/cgroup/unified rw,relatime - cgroup2 cgroup2 rw\n"
        "35 31 0:32 / /sys/fs/cgroup/memory rw,relatime - cgroup cgroup rw,memory\n");
    put("proc/self/cgroup", "5:cpu:/\n4:memory:/job/step\n0::/slice/task\n");
    put("sys/fs/cgroup/memory/memory.limit_in_bytes", "9223372036854771712\n");
    put("sys/fs/cgroup/memory/job/memory.limit_in_bytes", "2147483648\n");  // 2048 MB, 512 used
    put("sys/fs/cgroup/memory/job/memory.usage_in_bytes", "536870912\n");
    put("sys/fs/cgroup/memory/job/step/memory.limit_in_bytes", "9223372036854771712\n");
    put("sys/fs/cgroup/unified/slice/memory.max", "max\n");
    put("sys/fs/cgroup/unified/slice/task/memory.max", "3221225472\n");  // 3072 MB, 1024 used
    put("sys/fs/cgroup/unified/slice/task/memory.current", "1073741824\n");
    const MemoryBounds bounds = readMemoryBounds(root.str(), nullptr, nullptr, nullptr);
    EXPECT_DOUBLE_EQ(*bounds.available, 8000000 / 1024.0);
    EXPECT_DOUBLE_EQ(*bounds.cgroup, 1536.0);
    EXPECT_FALSE(bounds.slurm.has_value());
    EXPECT_DOUBLE_EQ(memoryPerWorkerMb(bounds, 4), 384.0);
    // Slurm's allocation, per node or per CPU, when it is the smallest.
    EXPECT_DOUBLE_EQ(memoryPerWorkerMb(readMemoryBounds(root.str(), "1G", nullptr, nullptr), 2), 512.0);
    EXPECT_DOUBLE_EQ(memoryPerWorkerMb(readMemoryBounds(root.str(), nullptr, "300", "2"), 3), 200.0);
    // A tighter limit further up the v2 tree counts too.
    put("sys/fs/cgroup/unified/slice/memory.max", "1048576000\n");  // 1000 MB, nothing used
    EXPECT_DOUBLE_EQ(*readMemoryBounds(root.str(), nullptr, nullptr, nullptr).cgroup, 1000.0);
    // Page cache the kernel can take back is room; a full cgroup still limits SCIP.
    put("sys/fs/cgroup/memory/job/memory.stat", "cache 1\ntotal_inactive_file 536870912\n");
    EXPECT_DOUBLE_EQ(*readMemoryBounds(root.str(), nullptr, nullptr, nullptr).cgroup, 1000.0);  // v1 room now 2048
    put("sys/fs/cgroup/unified/slice/task/memory.current", "3221225472\n");
    EXPECT_DOUBLE_EQ(memoryPerWorkerMb(readMemoryBounds(root.str(), nullptr, nullptr, nullptr), 2), 1.0);
    // Nothing known: no limit.
    TempDir empty;
    EXPECT_EQ(memoryPerWorkerMb(readMemoryBounds(empty.str(), nullptr, nullptr, nullptr), 2), 0.0);
}

// A file system that refuses locks (NFS without its lock service, Lustre
// mounted without flock) is said, and the batch goes on without a lock.
TEST(FolderLock, AFileSystemWithoutLocksIsSaidAndTheRunGoesOn) {
    TempDir dir;
    replaceLockCall([](int, int, void*) -> int {
        errno = ENOLCK;
        return -1;
    });
    FolderLock lock;
    std::string err;
    EXPECT_EQ(lockFolder(dir.str(), LockRequest{0, 0, "eu"}, lock, &err), LockOutcome::Unsupported);
    EXPECT_EQ(err, std::strerror(ENOLCK));
    HeldFolders locks;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(holdFolder(dir.str(), std::nullopt, "eu", locks));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Atenção: o sistema de arquivos de " + dir.str() +
                                                          " não aceita travas (" + std::strerror(ENOLCK) +
                                                          "); o lote segue sem saber se outro escreve na pasta.\n");
    replaceLockCall(nullptr);
    // With the system's call back, a part of another count than a live part is refused, naming it.
    FolderLock part;
    ASSERT_EQ(lockFolder(dir.str(), LockRequest{1, 2, "parte 1/2"}, part, &err), LockOutcome::Taken);
    FolderLock other;
    EXPECT_EQ(lockFolder(dir.str(), LockRequest{2, 3, "parte 2/3"}, other, &err), LockOutcome::Held);
    EXPECT_EQ(err, "parte 1/2");
    // A link where the lock file goes is never written through.
    TempDir linked;
    writeFile(linked / "alvo", "intocado\n");
    fs::create_symlink(linked / "alvo", linked / ".loteotimizador.trava");
    FolderLock refused;
    EXPECT_EQ(lockFolder(linked.str(), LockRequest{0, 0, "eu"}, refused, &err), LockOutcome::Failed);
    EXPECT_EQ(readFile(linked / "alvo"), "intocado\n");
}
