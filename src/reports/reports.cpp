// The reports a batch keeps: their text, the journal, and reading them back.
#include "reports/reports.h"

#include <algorithm>
#include <sstream>

#include "batch/model_names.h"
#include "batch/variants.h"
#include "platform/files.h"
#include "reports/report_rows.h"
#include "text/format.h"
#include "text/messages.h"

namespace {

// A model's fields in each report of the batch, in this program's column
// order; nothing where that report has no row of it.
using ModelFields = std::vector<std::optional<std::vector<std::string>>>;

constexpr const char* kLayoutMark = "L ";

// A journal's text read back: per row of an entry, the file name and
// header names of its report; the entries; where its whole entries end.
struct Journal {
    std::vector<std::pair<std::string, std::vector<std::string>>> layout;
    std::vector<std::vector<std::string>> entries;
    size_t wholeLength = 0;
};

Journal readJournal(const std::string& text) {
    Journal journal;
    size_t at = 0;
    for (size_t end; text.compare(at, 2, kLayoutMark) == 0; at = end + 1) {
        end = text.find('\n', at);
        const std::vector<CsvRow> line = parseCsv(text.substr(at + 2, end - at - 2));
        if (end == std::string::npos || line.empty()) return Journal{};  // a layout cut short
        const std::vector<std::string>& names = line[0].fields;
        journal.layout.emplace_back(names[0], std::vector<std::string>(names.begin() + 1, names.end()));
    }
    if (journal.layout.empty()) return journal;  // not a journal this program can read
    journal.wholeLength = at;
    while (at < text.size()) {
        const size_t end = text.find('\n', at);
        if (end == std::string::npos || text[at] != 'R') break;
        std::istringstream lengths(text.substr(at + 1, end - at - 1));
        std::vector<std::string> rows;
        size_t next = end + 1;
        for (size_t length = 0; lengths >> length;) {
            if (length > text.size() - next) return journal;  // cut short
            rows.push_back(text.substr(next, length));
            next += length;
        }
        journal.entries.push_back(std::move(rows));
        at = journal.wholeLength = next;
    }
    return journal;
}

std::string modelName(const ReportTable& report, const std::vector<std::string>& fields) {
    RowValues values;
    readRow(report, fields, values);
    return values.name;
}

// The fields of a journal entry, by the journal's layout; nothing without
// a sol_stat.csv row.
std::optional<ModelFields> entryFields(const Journal& journal, const std::vector<std::string>& entry) {
    const std::vector<ReportTable>& reports = batchReports();
    if (entry.size() != journal.layout.size()) return std::nullopt;
    ModelFields fields(reports.size());
    for (size_t row = 0; row < entry.size(); ++row) {
        const auto& [fileName, header] = journal.layout[row];
        const std::vector<CsvRow> csv = parseCsv(entry[row]);
        for (size_t r = 0; r < reports.size(); ++r) {
            if (fileName == reports[r].fileName && headerFits(reports[r], header) && !csv.empty()) {
                fields[r] = fieldsByName(reports[r], header, csv[0].fields);
            }
        }
    }
    if (!fields[0]) return std::nullopt;
    return fields;
}

// Every model's fields in an earlier run: the reports', then the
// journal's, which are newer.
std::vector<std::pair<std::string, ModelFields>> earlierRows(const std::string& outputFolder,
                                                             const std::optional<Shard>& shard) {
    const std::vector<ReportTable>& reports = batchReports();
    std::vector<std::map<std::string, std::vector<std::string>>> byName(reports.size());
    std::vector<std::string> names;  // sol_stat.csv's, in order
    for (size_t r = 0; r < reports.size(); ++r) {
        const std::string text = readTextFile(joinPath(outputFolder, reportFileName(reports[r], shard))).value_or("");
        for (TableRow& row : readTable(reports[r], text).value_or(std::vector<TableRow>{})) {
            const std::string name = modelName(reports[r], row.fields);
            if (r == 0) names.push_back(name);
            byName[r][name] = std::move(row.fields);
        }
    }
    std::vector<std::pair<std::string, ModelFields>> found;
    for (const std::string& name : names) {
        ModelFields fields(reports.size());
        for (size_t r = 0; r < reports.size(); ++r) {
            const auto row = byName[r].find(name);
            if (row != byName[r].end()) fields[r] = row->second;
        }
        found.emplace_back(name, std::move(fields));
    }
    const Journal journal = readJournal(readTextFile(joinPath(outputFolder, journalName(shard))).value_or(""));
    for (const std::vector<std::string>& entry : journal.entries) {
        if (std::optional<ModelFields> fields = entryFields(journal, entry)) {
            found.emplace_back(modelName(reports[0], *(*fields)[0]), std::move(*fields));
        }
    }
    return found;
}

// A model's kept rows, in this program's layout. A report without a row of
// it gets one made from its sol_stat.csv row: the columns of the same name,
// the others empty.
KeptRow keptRow(ModelFields fields) {
    const std::vector<ReportTable>& reports = batchReports();
    KeptRow kept;
    RowValues values;
    for (size_t r = 0; r < reports.size(); ++r) {
        if (!fields[r]) fields[r] = fieldsByName(reports[r], headerNames(reports[0]), *fields[0]);
        readRow(reports[r], *fields[r], values);
        kept.lines.push_back(tableRow(reports[r], *fields[r]));
    }
    // Failed or not by sol_stat.csv's STATUS, the row every model has.
    RowValues first;
    readRow(reports[0], *fields[0], first);
    // A solution found not feasible is solved again too.
    kept.failed = first.status == statusFieldText(Outcome::ReadError) ||
                  first.status == statusFieldText(Outcome::SolveError) || values.infeasibleSolution;
    kept.check = values.check;
    if (values.fileSize && values.fileModified) {
        kept.stamp = FileStamp{static_cast<long long>(*values.fileSize), static_cast<long long>(*values.fileModified)};
    }
    return kept;
}

}  // namespace

std::string reportFileName(const ReportTable& report, const std::optional<Shard>& shard) {
    return outputFileName(report.fileName, shard);
}

std::string journalName(const std::optional<Shard>& shard) { return outputFileName(kJournalFile, shard); }

std::string journalInTodaysLayout(const std::string& text) {
    const Journal journal = readJournal(text);
    std::string entries;
    for (const std::vector<std::string>& entry : journal.entries) {
        if (std::optional<ModelFields> fields = entryFields(journal, entry)) {
            entries += journalEntry(keptRow(std::move(*fields)).lines);
        }
    }
    return entries.empty() ? "" : journalStart() + entries;
}

std::string journalStart() {
    std::string text;
    for (const ReportTable& report : batchReports())
        text += kLayoutMark + std::string(report.fileName) + ";" + headerLine(report);
    return text;
}

std::string journalEntry(const std::vector<std::string>& rows) {
    std::string entry = "R";
    for (const std::string& row : rows) entry += " " + std::to_string(row.size());
    entry += "\n";
    for (const std::string& row : rows) entry += row;
    return entry;
}

size_t journalKeptLength(const std::string& text) {
    const std::string start = journalStart();
    return text.compare(0, start.size(), start) == 0 ? readJournal(text).wholeLength : 0;
}

std::string reportText(const ReportTable& report, const std::vector<std::string>& rows) {
    std::string text = headerLine(report);
    for (const std::string& row : rows) text += row + "\n";
    return text;
}

std::optional<std::vector<std::string>> rowsInTodaysLayout(const ReportTable& report, const std::string& text) {
    const std::optional<std::vector<TableRow>> rows = readTable(report, text);
    if (!rows) return std::nullopt;
    std::vector<std::string> lines;
    for (const TableRow& row : *rows) lines.push_back(tableRow(report, row.fields));
    return lines;
}

std::map<std::string, KeptRow> readKeptRows(const std::string& outputFolder, const std::optional<Shard>& shard) {
    std::map<std::string, KeptRow> kept;
    for (auto& [name, fields] : earlierRows(outputFolder, shard)) kept[name] = keptRow(std::move(fields));
    return kept;
}

std::optional<std::map<std::string, double>> earlierSeconds(const std::string& text) {
    const std::optional<std::vector<TableRow>> rows = readTable(completeReport(), text);
    if (!rows) return std::nullopt;
    std::map<std::string, double> seconds;
    for (const TableRow& row : *rows) {
        RowValues values;
        readRow(completeReport(), row.fields, values);
        if (values.seconds && *values.seconds >= 0.0) seconds[values.name] = *values.seconds;
    }
    return seconds;
}

std::optional<EarlierTimes> readEarlierTimes(const std::string& folder) {
    const std::string path = joinPath(folder, kCompleteReportFile);
    const std::optional<std::string> text = readTextFile(path);
    std::optional<std::map<std::string, double>> seconds = text ? earlierSeconds(*text) : std::nullopt;
    if (!seconds) return std::nullopt;
    return EarlierTimes{path, std::move(*seconds)};
}

bool writeReport(const std::string& outputFolder, const ReportTable& report, const std::string& name,
                 const std::vector<std::string>& rows, std::string* err) {
    const std::string path = joinPath(outputFolder, name);
    std::string reason;
    if (replaceFile(outputFolder, path, withSystemLineEnds(reportText(report, rows)), &reason)) return true;
    if (err != nullptr) *err = ioErrorLine(msg::reportNotWritten, path, reason);
    return false;
}

std::vector<std::string> seedFoldersOf(const std::string& folder, std::string* err, std::vector<std::string>* odd) {
    if (!folderExists(folder) || isRegularFile(joinPath(folder, kCompleteReportFile))) return {};
    std::vector<std::pair<long long, std::string>> found;
    for (const std::string& path : listFolder(folder, err)) {
        const std::string name = baseName(path);
        const std::optional<long long> seed = seedOfFolder(name);
        if (seed && folderExists(path)) {
            found.emplace_back(*seed, name);
        } else if (odd != nullptr && name.rfind(kSeedFolderPrefix, 0) == 0) {
            odd->push_back(path);
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (const auto& entry : found) names.push_back(entry.second);
    return names;
}

std::vector<std::string> variantFoldersOf(const std::string& folder, std::string* err) {
    if (!folderExists(folder) || isRegularFile(joinPath(folder, kCompleteReportFile))) return {};
    std::vector<std::string> names;
    for (const std::string& path : listFolder(folder, err)) {
        if (variantOfFolder(baseName(path)) && folderExists(path)) names.push_back(baseName(path));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> batchFoldersUnder(const std::string& folder, std::string* err) {
    std::vector<std::string> folders;
    for (const std::string& seed : seedFoldersOf(folder, err)) folders.push_back(joinPath(folder, seed));
    for (const std::string& name : variantFoldersOf(folder, err)) {
        const std::string variant = joinPath(folder, name);
        const std::vector<std::string> seeds = seedFoldersOf(variant, err);
        if (seeds.empty()) folders.push_back(variant);
        for (const std::string& seed : seeds) folders.push_back(joinPath(variant, seed));
    }
    return folders;
}
