// A batch in shards: the merged parts give the whole batch's report; missing,
// unfinished and inconsistent parts are refused.
#include <gtest/gtest.h>

#include "test_support.h"

using namespace testing_support;

namespace {

// The report with its time fields masked, in the complete report the
// integral and the solution times too (names may hold ";").
std::string masked(const fs::path& report) {
    std::string text;
    for (const std::string& line : lines(readFile(report))) {
        const bool complete = report.filename() == "sol_stat_completo.csv";
        text += std::regex_replace(complete ? maskSolutionTimes(line) : line, std::regex(";[0-9]+,[0-9]{6};"), ";T;",
                                   std::regex_constants::format_first_only) +
                "\n";
    }
    return text;
}

}  // namespace

TEST(Shards, MergedPartsEqualTheWholeBatchAndBadPartsAreRefused) {
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    const std::vector<std::string> names = {"a b.lp", "c;d.lp", "\xFF\xFE.lp", "e.lp", "f.lp", "g.lp"};
    for (const std::string& name : names) writeFile(m / name, kSmallModel);
    writeFile(m / "h_unreadable.lp", "Maximize\n obj: x +\nSubject To\n c1: x <= \nEnd\n");
    writeFile(m / "notas.txt", "not a model");
    const std::string parts = (dir / "parts").string();

    const RunResult whole = runProgram("", withArgs({"-j", "1", "opt", m.string(), (dir / "whole").string()}));
    ASSERT_EQ(whole.exitCode, 1);  // the unreadable model
    std::string blocks;
    for (int k = 1; k <= 3; ++k) {
        const RunResult part =
            runProgram("", withArgs({"-j", "1", "--shard", std::to_string(k) + "/3", "opt", m.string(), parts}));
        EXPECT_EQ(part.exitCode, k == 3 ? 1 : 0) << k;  // h_unreadable.lp is entry 5, in part 3
        blocks += part.out;
    }
    // Each part shows the global numbers of its own entries.
    EXPECT_NE(blocks.find(kDash + "MODELO 7 \n"), std::string::npos);
    EXPECT_EQ(occurrences(blocks, kDash), 8u);

    const RunResult merge = runProgram("", withArgs({"merge", parts}));
    EXPECT_EQ(merge.exitCode, 0) << merge.err;
    EXPECT_EQ(merge.out, "3 partes unidas em " + parts + "/sol_stat.csv\n");
    EXPECT_EQ(masked(dir / "parts" / "sol_stat.csv"), masked(dir / "whole" / "sol_stat.csv"));
    EXPECT_EQ(masked(dir / "parts" / "sol_stat_completo.csv"), masked(dir / "whole" / "sol_stat_completo.csv"));
    EXPECT_NE(readFile(dir / "parts" / "sol_stat.csv").find("\n\"c;d.lp\";"), std::string::npos);
    // The batch's record of how it was solved is the first part's.
    EXPECT_NE(readFile(dir / "parts" / "parametros.set").find("misc/catchctrlc = FALSE\n"), std::string::npos);
    EXPECT_EQ(readFile(dir / "parts" / "parametros.set"), readFile(dir / "parts" / "parametros.parte-1-de-3.set"));

    // A part whose report is gone: named, nothing written.
    fs::remove(dir / "parts" / "sol_stat.csv");
    fs::rename(dir / "parts" / "sol_stat.parte-2-de-3.csv", dir / "parte-2");
    const RunResult missing = runProgram("", withArgs({"merge", parts}));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "Falta a parte 2 de 3: " + parts + "/sol_stat.parte-2-de-3.csv\n");
    EXPECT_FALSE(fs::exists(dir / "parts" / "sol_stat.csv"));
    fs::rename(dir / "parte-2", dir / "parts" / "sol_stat.parte-2-de-3.csv");

    // A part whose complete report lost a row: refused, and no report written
    // (not even sol_stat.csv, whose parts are whole).
    const fs::path part2 = dir / "parts" / "sol_stat_completo.parte-2-de-3.csv";
    const std::string part2Text = readFile(part2);
    writeFile(part2, part2Text.substr(0, part2Text.rfind('\n', part2Text.size() - 2) + 1));
    const RunResult cut = runProgram("", withArgs({"merge", parts}));
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_EQ(cut.err, "A parte 2 de 3 n\xC3\xA3o terminou: " + part2.string() + "\n");
    EXPECT_FALSE(fs::exists(dir / "parts" / "sol_stat.csv"));
    // A part without a complete report that the others have: refused too.
    fs::remove(part2);
    const RunResult lacking = runProgram("", withArgs({"merge", parts}));
    EXPECT_EQ(lacking.exitCode, 1);
    EXPECT_EQ(lacking.err, "Falta a parte 2 de 3: " + part2.string() + "\n");
    EXPECT_FALSE(fs::exists(dir / "parts" / "sol_stat.csv"));
    writeFile(part2, part2Text);

    // A part killed mid-run has not finished.
    fs::copy_file(testModels() / "timelimit" / "markshare5.lp", m / "0_long.lp");
    TempDir io;
    const pid_t pid = startProgram("", io, withArgs({"-t", "30", "--shard", "1/3", "opt", m.string(), parts}));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    const RunResult unfinished = runProgram("", withArgs({"merge", parts}));
    EXPECT_EQ(unfinished.exitCode, 1);
    EXPECT_EQ(unfinished.err, "A parte 1 de 3 n\xC3\xA3o terminou: " + parts + "/sol_stat.parte-1-de-3.info\n");

    // Part 1 run again on the changed folder: the others were made from another listing.
    fs::remove(m / "0_long.lp");
    writeFile(m / "0_new.lp", kSmallModel);
    runProgram("", withArgs({"--shard", "1/3", "opt", m.string(), parts}));
    const RunResult changed = runProgram("", withArgs({"merge", parts}));
    EXPECT_EQ(changed.exitCode, 1);
    EXPECT_EQ(changed.err.rfind("A pasta (ou a lista) de modelos mudou entre as partes", 0), 0u) << changed.err;
    EXPECT_FALSE(fs::exists(dir / "parts" / "sol_stat.csv"));
    // The same number of entries, one of them renamed: still another listing.
    fs::remove(m / "0_new.lp");
    fs::rename(m / "g.lp", m / "g2.lp");
    runProgram("", withArgs({"--shard", "1/3", "opt", m.string(), parts}));
    const RunResult renamed = runProgram("", withArgs({"merge", parts}));
    EXPECT_EQ(renamed.exitCode, 1);
    EXPECT_EQ(renamed.err,
              "A pasta (ou a lista) de modelos mudou entre as partes (listagens diferentes); rode as partes de novo: " +
                  parts + "\n");
    EXPECT_FALSE(fs::exists(dir / "parts" / "sol_stat.csv"));
}

TEST(Shards, ShardOptionErrors) {
    TempDir dir;
    writeFile(dir / "a.lp", kSmallModel);
    const std::string m = dir.str();
    const RunResult tooHigh = runProgram("", withArgs({"--shard", "4/3", "opt", m, m + "/out"}));
    EXPECT_EQ(tooHigh.exitCode, 2);
    EXPECT_EQ(tooHigh.err.rfind("Parte inv\xC3\xA1lida: 4/3 (use K/N, com K de 1 a N, ou slurm).\n", 0), 0u);
    const RunResult noSlurm = runProgram("", withArgs({"--shard", "slurm", "opt", m, m + "/out"}));
    EXPECT_EQ(noSlurm.exitCode, 2);
    EXPECT_EQ(noSlurm.err.rfind("--shard slurm: SLURM_ARRAY_TASK_ID", 0), 0u);
    const RunResult shell = runProgram("", withArgs({"--shard", "1/2"}));
    EXPECT_EQ(shell.exitCode, 2);
    const RunResult intoModels = runProgram("", withArgs({"--shard", "1/2", "opt", m, m}));
    EXPECT_EQ(intoModels.exitCode, 2);
    EXPECT_EQ(intoModels.err.rfind("Um lote em partes n\xC3\xA3o pode gravar na pr\xC3\xB3pria pasta de modelos: ", 0),
              0u);
    const RunResult none = runProgram("", withArgs({"merge", m}));
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.err, "Nenhuma parte de lote encontrada em " + m + "\n");
    writeFile(dir / "sol_stat.parte-1-de-2.csv", "");
    writeFile(dir / "sol_stat.parte-1-de-3.csv", "");
    const RunResult mixed = runProgram("", withArgs({"merge", m}));
    EXPECT_EQ(mixed.err, "H\xC3\xA1 partes de lotes divididos de formas diferentes em " + m + "\n");
    // Task 5 of an array whose ids start at 4: part 2 of 3.
    const RunResult slurm =
        runProgram("", withArgs({"--shard", "slurm", "opt", m, m + "/out"},
                                {"SLURM_ARRAY_TASK_ID=5", "SLURM_ARRAY_TASK_MIN=4", "SLURM_ARRAY_TASK_COUNT=3"}));
    EXPECT_EQ(slurm.exitCode, 0) << slurm.err;
    EXPECT_TRUE(fs::exists(dir / "out" / "sol_stat.parte-2-de-3.csv"));
}
