// A complete report written in another layout (its columns in another
// order, one missing, one unknown: what an older or newer version, or a
// spreadsheet, writes) reads like the original through comparar, --retomar
// and merge; rows kept or joined come out under today's header.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "test_support.h"

using namespace testing_support;

namespace {

// The fields of a report line (a quoted field may hold ";"; the names here
// hold no line break).
std::vector<std::string> fieldsOf(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += line[++i];
        } else if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == ';' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += line[i];
        }
    }
    return fields;
}

std::string joined(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        const std::string& field = fields[i];
        std::string written = field;
        if (field.find_first_of(";\"") != std::string::npos) {
            written = "\"";
            for (char c : field) written += c == '"' ? std::string("\"\"") : std::string(1, c);
            written += "\"";
        }
        line += (i > 0 ? ";" : "") + written;
    }
    return line;
}

const std::vector<std::string> kColumns = fieldsOf(kCompleteHeader.substr(0, kCompleteHeader.size() - 1));
const size_t kDropped = std::find(kColumns.begin(), kColumns.end(), "LIMITE_DUAL") - kColumns.begin();

// A complete report rewritten: LIMITE_DUAL left out, the other columns in
// reverse order, an unknown column NOVA (holding "v;1") second.
std::string otherLayout(const std::string& report) {
    std::string text;
    for (const std::string& line : lines(report)) {
        std::vector<std::string> fields = fieldsOf(line);
        fields.erase(fields.begin() + kDropped);
        std::reverse(fields.begin(), fields.end());
        fields.insert(fields.begin() + 1, text.empty() ? "NOVA" : "v;1");
        text += joined(fields) + "\n";
    }
    return text;
}

// A complete report's rows by name, LIMITE_DUAL emptied.
std::map<std::string, std::string> withoutDualBound(const std::string& report) {
    std::map<std::string, std::string> rows;
    for (const std::string& line : lines(report)) {
        std::vector<std::string> fields = fieldsOf(line);
        fields[kDropped].clear();
        rows[fields[0]] = joined(fields);
    }
    return rows;
}

}  // namespace

TEST(ReportLayouts, ACompleteReportInAnotherLayoutReadsLikeTheOriginal) {
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    fs::copy_file(testModels() / "lp" / "egout.lp", m / "egout.lp");
    writeFile(m / "c;d.lp", kSmallModel);
    writeFile(m / "e.lp", kSmallModel);
    const fs::path a = dir / "a" / "saida", b = dir / "b" / "saida";
    fs::create_directories(a.parent_path());
    fs::create_directories(b.parent_path());
    ASSERT_EQ(runProgram("", withArgs({"opt", m.string(), a.string()})).exitCode, 0);
    fs::copy(a, b, fs::copy_options::recursive);
    const std::string original = readFile(a / "sol_stat_completo.csv");
    const std::map<std::string, std::string> expected = withoutDualBound(original);
    ASSERT_NE(expected.at("egout.lp"), lines(original)[1]) << "egout.lp has a dual bound to lose";
    writeFile(b / "sol_stat_completo.csv", otherLayout(original));

    // comparar: the same as the original (both folders are named saida).
    const RunResult compared = runProgram("", withArgs({"comparar", b.string()}));
    EXPECT_EQ(compared.exitCode, 0);
    EXPECT_EQ(compared.err, "");
    EXPECT_EQ(compared.out, runProgram("", withArgs({"comparar", a.string()})).out);

    // --retomar keeps every row, each field in its own column under today's header.
    const std::string shortReport = readFile(b / "sol_stat.csv");
    const RunResult resumed = runProgram("", withArgs({"--retomar", "opt", m.string(), b.string()}));
    EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
    EXPECT_EQ(occurrences(resumed.out, "linha mantida"), 3u);
    std::string rewritten = kCompleteHeader;
    for (const std::string& line : lines(original)) {
        if (line + "\n" != kCompleteHeader) rewritten += expected.at(fieldsOf(line)[0]) + "\n";
    }
    EXPECT_EQ(readFile(b / "sol_stat_completo.csv"), rewritten);
    EXPECT_EQ(readFile(b / "sol_stat.csv"), shortReport);

    // merge: a part's complete report in the other layout joins in its columns.
    const fs::path parts = dir / "parts";
    for (const char* part : {"1/2", "2/2"}) {
        ASSERT_EQ(runProgram("", withArgs({"--shard", part, "opt", m.string(), parts.string()})).exitCode, 0);
    }
    const fs::path first = parts / "sol_stat_completo.parte-1-de-2.csv";
    std::map<std::string, std::string> joinedRows = withoutDualBound(readFile(first));
    for (const std::string& line : lines(readFile(parts / "sol_stat_completo.parte-2-de-2.csv"))) {
        joinedRows[fieldsOf(line)[0]] = line;
    }
    writeFile(first, otherLayout(readFile(first)));
    const RunResult merged = runProgram("", withArgs({"merge", parts.string()}));
    EXPECT_EQ(merged.exitCode, 0) << merged.err;
    std::string inFolderOrder = kCompleteHeader;
    for (const std::string& line : lines(original)) {
        if (line + "\n" != kCompleteHeader) inFolderOrder += joinedRows.at(fieldsOf(line)[0]) + "\n";
    }
    EXPECT_EQ(readFile(parts / "sol_stat_completo.csv"), inFolderOrder);
}
