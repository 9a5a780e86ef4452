// Variants of a batch (--variantes): every model under each variant and
// seed, each into its own folder, resumed, sharded and merged, and compared
// as variants run side by side; the refusals that touch nothing.
#include <gtest/gtest.h>

#include "test_support.h"

using namespace testing_support;

TEST(Variants, EachVariantAndSeedInItsFolderResumedMergedAndComparedSideBySide) {
    TempDir dir;
    const fs::path m = dir / "m", out = dir / "out";
    fs::create_directory(m);
    for (const char* name : {"egout.lp", "flugpl.lp", "lseu.lp"}) fs::copy_file(testModels() / "lp" / name, m / name);
    writeFile(dir / "semreinicio.set", "presolving/maxrestarts = 0\n");
    const std::string variants = "padrao=,semreinicio=" + (dir / "semreinicio.set").string();
    const RunResult r =
        runProgram("", withArgs({"-j", "2", "--variantes", variants, "--sementes", "0,1", "opt", m.string(), out}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");  // the variants' folders, not made yet, are nothing to complain of
    // Seed by seed, each seed's variants side by side, in the order given.
    std::vector<std::string> blocks;
    for (const std::string& line : lines(r.out)) {
        if (line.rfind("MODELO 0 ", 0) == 0) blocks.push_back(line);
    }
    EXPECT_EQ(blocks, (std::vector<std::string>{
                          "MODELO 0 (variante padrao, semente 0) ", "MODELO 0 (variante semreinicio, semente 0) ",
                          "MODELO 0 (variante padrao, semente 1) ", "MODELO 0 (variante semreinicio, semente 1) "}));
    const fs::path folder = out / "variante-semreinicio" / "semente-1";
    const std::string record = readFile(folder / "parametros.set");
    EXPECT_NE(record.find("\n# variante: semreinicio (" + (dir / "semreinicio.set").string() + ")\n"),
              std::string::npos);
    EXPECT_NE(record.find("nesta ordem): padrao, semreinicio\n"), std::string::npos) << record;
    EXPECT_NE(record.find("\npresolving/maxrestarts = 0\n"), std::string::npos);
    EXPECT_NE(record.find("\nrandomization/randomseedshift = 1\n"), std::string::npos);
    const std::string reference = readFile(out / "variante-padrao" / "semente-1" / "parametros.set");
    EXPECT_NE(reference.find("# variante: padrao (sem arquivo pr\xC3\xB3prio)\n"), std::string::npos);
    EXPECT_EQ(reference.find("maxrestarts"), std::string::npos);
    EXPECT_EQ(reportRows(readFile(folder / "sol_stat.csv")).size(), 3u);

    const RunResult resumed =
        runProgram("", withArgs({"--retomar", "--variantes", variants, "--sementes", "0,1", "opt", m.string(), out}));
    EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
    EXPECT_EQ(occurrences(resumed.out, "linha mantida"), 12u);
    // Rows kept from the first run were not solved beside this one's: when they ran is not known.
    EXPECT_NE(
        readFile(folder / "parametros.set").find("\n# linhas mantidas de uma execu\xC3\xA7\xC3\xA3o anterior: 3\n"),
        std::string::npos);
    const RunResult again = runProgram("", withArgs({"comparar", out.string()}));
    EXPECT_NE(again.out.find("n\xC3\xA3o se sabe\n"), std::string::npos) << again.out;
    const std::string parts = (dir / "parts").string();
    for (const char* shard : {"1/2", "2/2"}) {
        const RunResult part = runProgram(
            "", withArgs({"--shard", shard, "--variantes", variants, "--sementes", "0,1", "opt", m.string(), parts}));
        EXPECT_EQ(part.exitCode, 0) << part.err;
    }
    EXPECT_EQ(runProgram("", withArgs({"merge", parts})).exitCode, 0);
    // A newer run of other variants beside them: its order, its first variant the reference.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // records hold whole seconds
    ASSERT_EQ(runProgram("", withArgs({"--variantes", "ab=,aa=", "opt", m.string(), parts})).exitCode, 0);
    EXPECT_NE(runProgram("", withArgs({"comparar", parts})).out.find("  1  ab  ("), std::string::npos);
    // Two runs of variants: each variant named with its run's folder.
    const RunResult both = runProgram("", withArgs({"comparar", out.string(), parts}));
    EXPECT_NE(both.out.find("  3  parts/ab  ("), std::string::npos) << both.out;
    for (const char* variant : {"variante-padrao", "variante-semreinicio"}) {
        for (const char* seed : {"semente-0", "semente-1"}) {
            EXPECT_EQ(rowsWithoutTimes(readFile(dir / "parts" / variant / seed / "sol_stat.csv")),
                      rowsWithoutTimes(readFile(out / variant / seed / "sol_stat.csv")))
                << variant << "/" << seed;
        }
    }
}

TEST(Variants, RefusedBeforeAnythingIsTouched) {
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    writeFile(m / "x.lp", kSmallModel);
    writeFile(dir / "ruim.set", "presolving/nao_existe = 1\n");
    const std::string out = (dir / "out").string();
    const auto opt = [&](const std::string& variants, const std::string& into) {
        return runProgram("", withArgs({"--variantes", variants, "opt", m.string(), into}));
    };
    const RunResult repeated = opt("a=,a=", out);
    EXPECT_EQ(repeated.exitCode, 2);
    EXPECT_EQ(repeated.err.rfind("Variantes inv\xC3\xA1lidas: a=,a= ", 0), 0u) << repeated.err;
    EXPECT_EQ(opt("a/b=", out).exitCode, 2);
    const RunResult refused = opt("a=," + std::string("ruim=") + (dir / "ruim.set").string(), out);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("presolving/nao_existe"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(out));
    // Variants beside a batch's own report, or a plain batch beside variants: refused.
    ASSERT_EQ(runProgram("", withArgs({"opt", m.string(), out})).exitCode, 0);
    const RunResult beside = opt("a=,b=", out);
    EXPECT_EQ(beside.exitCode, 2);
    EXPECT_NE(beside.err.find("as pastas variante-NOME de --variantes"), std::string::npos) << beside.err;
    const std::string variantsOut = (dir / "v").string();
    ASSERT_EQ(opt("a=,b=", variantsOut).exitCode, 0);
    const RunResult plain = runProgram("", withArgs({"opt", m.string(), variantsOut}));
    EXPECT_EQ(plain.exitCode, 2);
    EXPECT_NE(plain.err.find("guarda as pastas variante-NOME"), std::string::npos) << plain.err;
    EXPECT_FALSE(fs::exists(dir / "v" / "sol_stat.csv"));
    // Seeds into a variant's folder that holds its own report.
    const RunResult seeds =
        runProgram("", withArgs({"--variantes", "a=,b=", "--sementes", "1", "opt", m.string(), variantsOut}));
    EXPECT_EQ(seeds.exitCode, 2);
    EXPECT_NE(seeds.err.find("variante-a j\xC3\xA1 tem o relat\xC3\xB3rio de um lote"), std::string::npos) << seeds.err;
    EXPECT_FALSE(fs::exists(dir / "v" / "variante-a" / "semente-1"));
    const RunResult many =
        runProgram("", withArgs({"--variantes", "a=,b=", "--sementes", "0-50", "opt", m.string(), out}));
    EXPECT_EQ(many.exitCode, 2);
    EXPECT_NE(many.err.find("no m\xC3\xA1ximo 100 pastas"), std::string::npos) << many.err;
}
