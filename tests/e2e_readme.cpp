// The README's examples run as written: every block of commands that calls
// the program runs, under bash, on test models put where its paths point
// ("/data/..." taken inside the test's folder), and must end well. A SCIP
// parameter the README names that SCIP lacks fails its command.
#include <gtest/gtest.h>

#include "test_support.h"

using namespace testing_support;

namespace {

// The README's indented blocks, each as its lines (continuations joined).
std::vector<std::vector<std::string>> codeBlocks(const std::string& readme) {
    std::vector<std::vector<std::string>> blocks(1);
    std::string pending;
    for (const std::string& line : lines(readme)) {
        if (line.rfind("    ", 0) != 0) {
            if (!blocks.back().empty()) blocks.emplace_back();
            continue;
        }
        pending += line.substr(4);
        if (!pending.empty() && pending.back() == '\\') {
            pending.pop_back();
            continue;
        }
        blocks.back().push_back(pending);
        pending.clear();
    }
    return blocks;
}

// A line that runs as it stands: the program, or a change of folder; not
// a synopsis (options in brackets, placeholders in capitals).
bool runnable(const std::string& line) {
    if (line.rfind("loteotimizador ", 0) != 0 && line.rfind("cd ", 0) != 0) return false;
    for (const char* synopsis : {"[", "PASTA_", "|", "K/N", "..."}) {
        if (line.find(synopsis) != std::string::npos) return false;
    }
    return true;
}

// Where the README's paths point: model folders with three quick models,
// a list, known results, a settings file, and a second SCIP under ~/scip.
void makeFixtures(const fs::path& home) {
    const char* const models[] = {"egout.lp", "flugpl.lp", "p0548.lp"};
    for (const char* folder : {"data/lps", "modelos", "tests/models/lp", "miplib2017"}) {
        fs::create_directories(home / folder);
        for (const char* model : models) fs::copy_file(testModels() / "lp" / model, home / folder / model);
    }
    writeFile(home / "miplib2017" / "benchmark-v2.test", "egout.lp\nflugpl.lp\np0548.lp\n");
    const std::string known = "=opt= egout 568.1007\n=opt= flugpl 1201500\n=opt= p0548 8691\n";
    writeFile(home / "miplib2017" / "miplib2017.solu", known);
    writeFile(home / "miplib.solu", known);
    fs::create_directories(home / "benchmark");
    writeFile(home / "benchmark" / "tiny.mps", kTinyMps);
    ASSERT_EQ(std::system(("gzip -n " + (home / "benchmark" / "tiny.mps").string()).c_str()), 0);
    writeFile(home / "miplib2017-v1.solu", "=opt= tiny -5\n");
    writeFile(home / "sem-reinicios.set", "presolving/maxrestarts = 0\n");
    // ~/scip/build/lib/libscip.so: the set-up's second SCIP, its folder's libraries beside it.
    const fs::path wheel = fs::path(LOTE_BUILD_DIR) / "deps" / "pyscipopt-9" / "pyscipopt.libs";
    fs::create_directories(home / "scip" / "build" / "lib");
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(wheel, error)) {
        const std::string name = entry.path().filename().string();
        fs::create_symlink(entry.path(), home / "scip" / "build" / "lib" / name);
        if (name.rfind("libscip", 0) == 0)
            fs::create_symlink(entry.path(), home / "scip" / "build" / "lib" / "libscip.so");
    }
}

}  // namespace

TEST(Readme, EveryExampleOfTheProgramRunsOnTestModels) {
    TempDir home;
    makeFixtures(home.path);
    if (!fs::exists(home.path / "scip" / "build" / "lib" / "libscip.so")) {
        GTEST_SKIP() << "the second SCIP of the set-up is missing: run scripts/setup.sh";
    }
    size_t commands = 0;
    for (const std::vector<std::string>& block : codeBlocks(readFile(fs::path(LOTE_SOURCE_DIR) / "README.md"))) {
        std::string script = "set -e\n";
        for (std::string line : block) {
            if (!runnable(line)) continue;
            for (size_t at; (at = line.find(" /data/")) != std::string::npos;) line.replace(at + 1, 1, "");
            commands += line.rfind("loteotimizador ", 0) == 0;
            script += line + "\n";
        }
        if (script == "set -e\n") continue;
        writeFile(home.path / "exemplo.sh", script);
        const std::string binaries = fs::path(LOTE_BINARY).parent_path().string();
        const int status = std::system(("cd '" + home.str() + "' && PATH='" + binaries + "':/usr/bin:/bin HOME='" +
                                        home.str() + "' bash exemplo.sh >saida.txt 2>erros.txt </dev/null")
                                           .c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << script << readFile(home.path / "saida.txt") << readFile(home.path / "erros.txt");
    }
    // The README's examples: a batch resumed, a list under seeds, settings and variants compared,
    // another SCIP, a release against a build; the synopsis lines are not among them.
    EXPECT_GE(commands, 16u);
}
