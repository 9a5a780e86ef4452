// `mod_lp` end to end: GLPK's own example models, folders with and without
// data files, errors, and a round trip through `opt`.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "test_support.h"

using namespace testing_support;

namespace {

// Runs a shell command and gives its standard output; the exit status goes to `status`.
std::string shell(const std::string& command, int* status = nullptr) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    const int rc = pclose(pipe);
    if (status != nullptr) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return output;
}

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// glpsol's command line for a model, with its same-named data file if there is one.
std::string glpsolCommand(const fs::path& model) {
    fs::path data = model;
    data.replace_extension(".dat");
    std::string command = "glpsol --math " + quoted(model);
    if (fs::exists(data)) command += " -d " + quoted(data);
    return command;
}

}  // namespace

TEST(ModLp, TwoWorkersGiveWhatOneGives) {
    // GLPK's examples, one of which fails: the same blocks, errors and LP
    // files, byte for byte, from one worker and from two, also when two
    // workers hand out the models with the largest earlier LP files first.
    TempDir dir;
    const fs::path models = dir / "mathprog";
    copyFolder(testModels() / "mathprog", models);
    RunOptions options = withArgs({"-j", "2", "mod_lp", "."});
    options.cwd = models.string();
    const auto lpFiles = [&] {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(models)) {
            if (entry.path().extension() == ".lp") files[entry.path().filename().string()] = readFile(entry.path());
        }
        return files;
    };
    // A mark in each LP file shows whether the next run replaced it.
    const auto markLpFiles = [&] {
        for (const auto& [name, text] : lpFiles()) std::ofstream(models / name, std::ios::app) << "\\ antigo\n";
    };
    // The first translation: two workers really run side by side.
    TempDir io;
    const pid_t pid = startProgram("", io, options);
    size_t mostWorkers = 0;
    while (stillRunning(pid)) {
        mostWorkers = std::max(mostWorkers, childrenOf(pid).size());
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const RunResult first = finishProgram(pid, io, options);
    const std::map<std::string, std::string> firstFiles = lpFiles();
    EXPECT_EQ(mostWorkers, 2u);
    EXPECT_EQ(first.exitCode, 1);  // test-if.mod is not translated
    EXPECT_GT(firstFiles.size(), 50u);
    // Translated again, now with the LP files among the entries.
    markLpFiles();
    options.args[1] = "1";
    const RunResult one = runProgram("", options);
    EXPECT_EQ(lpFiles(), firstFiles);
    markLpFiles();
    options.args[1] = "2";
    const RunResult two = runProgram("", options);
    EXPECT_EQ(lpFiles(), firstFiles);
    EXPECT_EQ(one.exitCode, 1);
    EXPECT_EQ(two.exitCode, one.exitCode);
    EXPECT_EQ(two.out, one.out);
    EXPECT_EQ(two.err, one.err);
}

TEST(ModLp, GlpkExamplesTranslateExactlyWhereGlpsolDoes) {
    TempDir dir;
    const fs::path models = dir / "mathprog";
    copyFolder(testModels() / "mathprog", models);
    RunOptions options;
    options.cwd = models.string();
    const RunResult r = runProgram("mod_lp\n.\n", options);
    ASSERT_EQ(r.exitCode, 0);

    TempDir scratch;
    size_t expectedRead = 0, expectedGenerate = 0, modCount = 0;
    for (const auto& entry : fs::directory_iterator(models)) {
        if (entry.path().extension() != ".mod") continue;
        ++modCount;
        int status = 0;
        // glpsol replaces the file it writes (a device too): give it a file of its own.
        const std::string log = shell("cd " + quoted(models) + " && " + glpsolCommand(entry.path().filename()) +
                                          " --check --wlp " + quoted(scratch / "check.lp") + " 2>&1",
                                      &status);
        fs::path lp = entry.path();
        lp.replace_extension(".lp");
        if (status == 0) {
            EXPECT_TRUE(fs::exists(lp)) << entry.path();
            EXPECT_GT(fs::file_size(lp), 0u) << entry.path();
        } else {
            EXPECT_FALSE(fs::exists(lp)) << entry.path();
            // GLPK reports "N lines were read" once the model and data are read;
            // a failure after that is one of generation.
            if (log.find("lines were read") != std::string::npos)
                ++expectedGenerate;
            else
                ++expectedRead;
        }
    }
    EXPECT_EQ(modCount, 61u);
    EXPECT_EQ(occurrences(r.err, kReadError), expectedRead);
    EXPECT_EQ(occurrences(r.err, kGenerateError), expectedGenerate);
    EXPECT_EQ(occurrences(r.err, kWriteError), 0u);
    // Every entry got its header, in list order.
    // (counted in the source folder: some models write files of their own)
    size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(testModels() / "mathprog")) {
        (void)entry;
        ++entries;
    }
    for (size_t i = 0; i < entries; ++i) {
        EXPECT_NE(r.out.find(kDash + "MODELO " + std::to_string(i) + " gerado\n"), std::string::npos) << i;
    }
    EXPECT_EQ(r.out.find("MODELO " + std::to_string(entries) + " gerado"), std::string::npos);
}

TEST(ModLp, RoundTripThroughOptMatchesGlpsol) {
    TempDir dir;
    fs::create_directory(dir / "m");
    const std::vector<std::string> names = {"transp", "diet", "food", "plan", "stigler", "egypt"};
    for (const std::string& name : names) {
        fs::copy_file(testModels() / "mathprog" / (name + ".mod"), dir / "m" / (name + ".mod"));
    }
    const RunResult r =
        runProgram("mod_lp\n" + (dir / "m").string() + "\nopt\n" + (dir / "m").string() + "\n" + dir.str() + "\n");
    EXPECT_EQ(r.exitCode, 0);
    const auto rows = reportRows(readFile(dir / "sol_stat.csv"));
    ASSERT_EQ(rows.size(), names.size());
    for (const auto& row : rows) {
        const std::string name = row[0].substr(0, row[0].size() - 3);
        EXPECT_EQ(row[2], "SOL OTIMA") << name;
        const fs::path report = dir / (name + ".glpsol.txt");
        shell(glpsolCommand(dir / "m" / (name + ".mod")) + " -o " + quoted(report) + " >" + quoted(dir / "log") +
              " 2>&1");
        const std::string solution = readFile(report);
        const size_t at = solution.find("Objective:");
        ASSERT_NE(at, std::string::npos) << name;
        const std::string line = solution.substr(at, solution.find('\n', at) - at);
        const size_t eq = line.find(" = ");
        ASSERT_NE(eq, std::string::npos) << line;
        const double expected = std::stod(line.substr(eq + 3));
        const double z = reportNumber(row[3]);
        EXPECT_LE(std::fabs(z - expected), 1e-6 * std::max(1.0, std::fabs(expected)))
            << name << ": " << z << " vs " << expected;
    }
}

TEST(ModLp, DataFileBesideTheModelAndTheModelsOwnData) {
    TempDir dir;
    // frete.dat comes before frete.mod in the listing; its data replaces none
    // inside the model (the model has no data section).
    writeFile(dir / "frete.dat", kFreteData);
    writeFile(dir / "frete.mod", kFreteModel);
    // A model with data inside and a data file beside it: the data file wins
    // and the model's own data section is skipped.
    writeFile(dir / "g.mod", "param n;\nvar x >= 0;\nmaximize z: x;\ns.t. c: x <= n;\ndata;\nparam n := 1;\nend;\n");
    writeFile(dir / "g.dat", "data;\nparam n := 9;\nend;\n");
    // A model with its data inside and no data file: its own data is used.
    writeFile(dir / "h.mod", "param n;\nvar x >= 0;\nmaximize z: x;\ns.t. c: x <= n;\ndata;\nparam n := 7;\nend;\n");
    writeFile(dir / "frete.MOD", kFreteModel);
    const RunResult r = runProgram("mod_lp\n" + dir.str() + "\nexit\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    const std::string p = dir.str() + "/";
    EXPECT_EQ(
        r.out,
        kAbout + kPrompt + kModPrompt + kModFound + kDash + "MODELO 0 gerado\n" +  // frete.MOD
            kDash + "MODELO 1 gerado\n" +                                          // frete.dat
            kDash + "MODELO 2 gerado\n" + "Reading model section from " + p + "frete.mod...\n5 lines were read\n" +
            "Reading data section from " + p + "frete.dat...\n3 lines were read\n" +
            "Generating z...\nGenerating c...\nModel has been successfully generated\n" + "Writing problem data to '" +
            p + "frete.lp'...\n9 lines were written\n" + kDash + "MODELO 3 gerado\n" +  // g.dat
            kDash + "MODELO 4 gerado\n" + "Reading model section from " + p + "g.mod...\n" + p +
            "g.mod:5: warning: data section ignored\n" + "5 lines were read\n" + "Reading data section from " + p +
            "g.dat...\n3 lines were read\n" +
            "Generating z...\nGenerating c...\nModel has been successfully generated\n" + "Writing problem data to '" +
            p + "g.lp'...\n9 lines were written\n" + kDash + "MODELO 5 gerado\n" + "Reading model section from " + p +
            "h.mod...\n" + "Reading data section from " + p + "h.mod...\n7 lines were read\n" +
            "Generating z...\nGenerating c...\nModel has been successfully generated\n" + "Writing problem data to '" +
            p + "h.lp'...\n9 lines were written\n" + kPrompt + kExit);
    EXPECT_EQ(readFile(dir / "frete.lp"),
              "\\* Problem: frete *\\\n\nMaximize\n z: + x\n\nSubject To\n c: + x <= 4\n\nEnd\n");
    EXPECT_NE(readFile(dir / "g.lp").find("c: + x <= 9\n"), std::string::npos);
    EXPECT_NE(readFile(dir / "h.lp").find("c: + x <= 7\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "frete.LP"));

    // A second run also lists the LP files of the first: headers and nothing else for them.
    const RunResult again = runProgram("mod_lp\n" + dir.str() + "\n");
    EXPECT_NE(again.out.find(kDash + "MODELO 2 gerado\n" + kDash + "MODELO 3 gerado\nReading model section from " + p +
                             "frete.mod"),
              std::string::npos)
        << again.out;
    EXPECT_EQ(occurrences(again.out, "MODELO "), 9u);
}

TEST(ModLp, ErrorsAreReportedAndTheRunGoesOn) {
    TempDir dir;
    writeFile(dir / "a_syntax.mod", "param n;\nvar x >= 0\nmaximize z: x;\n");
    writeFile(dir / "a_syntax.dat", kFreteData);
    writeFile(dir / "a_syntax.lp", "\\ an earlier translation\n");
    plantStaleTempFile(dir.path);          // removed, never listed as an entry
    writeFile(dir / "xmod", kFreteModel);  // the three-letter test needs no dot
    writeFile(dir / "xdat", kFreteData);
    writeFile(dir / "b_nodata.mod", "param n;\nvar x >= 0;\nmaximize z: x;\ns.t. c: x <= n;\nend;\n");
    writeFile(dir / "c_folder.mod", kFreteModel);
    writeFile(dir / "c_folder.dat", kFreteData);
    fs::create_directory(dir / "c_folder.lp");  // the LP file cannot be written there
    writeFile(dir / "d_decimal.mod",
              "var x >= 0;\nvar y >= 0;\nmaximize z: 2.5 * x + 1.25 * y;\n"
              "s.t. c: 0.5 * x + y <= 3.75;\ns.t. b: x <= 1.5;\nend;\n");
    RunOptions options;
    options.extraEnv = {"LC_ALL=pt_BR.UTF-8", "LANG=pt_BR.UTF-8"};
    const RunResult r = runProgram("mod_lp\n" + dir.str() + "\n", options);
    EXPECT_EQ(r.exitCode, 0);
    // Our texts, in entry order, among GLPK's own messages on the same stream.
    const size_t readAt = r.err.find(kReadError);
    const size_t generateAt = r.err.find(kGenerateError);
    const size_t writeAt = r.err.find(kWriteError);
    ASSERT_NE(readAt, std::string::npos) << r.err;
    ASSERT_NE(generateAt, std::string::npos) << r.err;
    ASSERT_NE(writeAt, std::string::npos) << r.err;
    EXPECT_LT(readAt, generateAt);
    EXPECT_LT(generateAt, writeAt);
    EXPECT_EQ(occurrences(r.err, "Erro ao"), 3u);
    EXPECT_NE(r.err.find(kReadError + "Aten\xC3\xA7\xC3\xA3o: " + dir.str() +
                         "/a_syntax.lp \xC3\xA9 de uma tradu\xC3\xA7\xC3\xA3o anterior e n\xC3\xA3o foi atualizado.\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(occurrences(r.err, "Aten\xC3\xA7\xC3\xA3o: "), 1u);
    EXPECT_EQ(readFile(dir / "a_syntax.lp"), "\\ an earlier translation\n");
    EXPECT_EQ(occurrences(r.out, "MODELO "), 10u);
    EXPECT_NE(readFile(dir / "xlp").find("c: + x <= 4"), std::string::npos);
    EXPECT_EQ(tempFilesIn(dir.path), std::vector<std::string>{});
    EXPECT_FALSE(fs::exists(dir / "b_nodata.lp"));
    EXPECT_TRUE(fs::is_directory(dir / "c_folder.lp"));
    // Decimal literals survive the Portuguese locale, written with a point.
    const std::string lp = readFile(dir / "d_decimal.lp");
    EXPECT_NE(lp.find("z: + 2.5 x + 1.25 y"), std::string::npos) << lp;
    EXPECT_NE(lp.find("c: + 0.5 x + y <= 3.75"), std::string::npos) << lp;
}

TEST(ModLp, InvalidFolders) {
    TempDir dir;
    writeFile(dir / "file.mod", kFreteModel);
    const std::string invalid = "Pasta de .mods inexistente ou inv\xC3\xA1lida...\n";
    const RunResult missing = runProgram("mod_lp\n" + (dir / "missing").string() + "\nexit\n");
    EXPECT_EQ(missing.out, kAbout + kPrompt + kModPrompt + invalid + kPrompt + kExit);
    const RunResult file = runProgram("mod_lp\n" + (dir / "file.mod").string() + "\n");
    EXPECT_EQ(file.out, kAbout + kPrompt + kModPrompt + invalid + kPrompt + kExit);
    // A folder typed with a trailing separator; the model's data is missing.
    const RunResult slash = runProgram("mod_lp\n" + dir.str() + "/\n");
    EXPECT_EQ(slash.out, kAbout + kPrompt + kModPrompt + kModFound + kDash + "MODELO 0 gerado\n" +
                             "Reading model section from " + dir.str() + "/file.mod...\n5 lines were read\n" +
                             "Generating z...\nGenerating c...\n" + dir.str() + "/file.mod:4: no value for n\n" +
                             kPrompt + kExit);
    EXPECT_EQ(slash.err, kGenerateError);
    EXPECT_FALSE(fs::exists(dir / "file.lp"));
    for (const RunResult* r : {&missing, &file, &slash}) EXPECT_EQ(r->exitCode, 0);
}

TEST(ModLp, TablesAreReadFromTheWorkingDirectory) {
    TempDir dir;
    copyFolder(testModels() / "mathprog" / "csv", dir / "csv");
    // Started elsewhere, the CSV files are not found while generating.
    RunOptions outside;
    outside.cwd = dir.str();
    const RunResult r1 = runProgram("mod_lp\ncsv\n", outside);
    EXPECT_EQ(r1.err.find(kGenerateError) != std::string::npos, true) << r1.err;
    EXPECT_FALSE(fs::exists(dir / "csv" / "transp_csv.lp"));
    // Started in the models' folder, as the help text says, it works.
    RunOptions inside;
    inside.cwd = (dir / "csv").string();
    const RunResult r2 = runProgram("mod_lp\n.\n", inside);
    EXPECT_EQ(r2.err.find("Erro ao"), std::string::npos) << r2.err;
    EXPECT_TRUE(fs::exists(dir / "csv" / "transp_csv.lp"));
}
