// The reports a batch keeps: their list, their text, and reading them back.
#include "reports/reports.h"

#include <charconv>
#include <sstream>

#include "platform/files.h"
#include "reports/report_rows.h"
#include "text/format.h"

namespace {

// The four fields known from sol_stat.csv, then empty ones.
std::string completeFromShortRow(const std::string& shortRowLine) {
    return shortRowLine.substr(0, shortRowLine.size() - 1) + std::string(10, ';');
}

// The STATUS field of a sol_stat.csv row ("name;time;status;bound;"): the
// field before the last one (neither holds a ";").
std::string statusField(const std::string& shortRowLine) {
    const size_t end = shortRowLine.size() > 0 ? shortRowLine.rfind(';', shortRowLine.size() - 2) : std::string::npos;
    if (end == std::string::npos || end == 0) return "";
    const size_t start = shortRowLine.rfind(';', end - 1);
    return start == std::string::npos ? "" : shortRowLine.substr(start + 1, end - start - 1);
}

// The model name of one report row (nothing when it has no name field).
std::optional<std::string> rowName(const std::string& line) {
    const std::vector<ReportRow> rows = parseReport("\n" + line);  // parseReport skips a header line
    if (rows.size() != 1) return std::nullopt;
    return rows[0].name;
}

// A name, and no file known.
std::string stampFromShortRow(const std::string& shortRowLine) {
    return csvName(rowName(shortRowLine).value_or("")) + ";;";
}

// The size and time of change that end a row of the record of model files.
std::optional<FileStamp> stampOfRow(const std::string& line) {
    const size_t last = line.rfind(';');
    const size_t before = last == std::string::npos || last == 0 ? std::string::npos : line.rfind(';', last - 1);
    if (before == std::string::npos) return std::nullopt;
    constexpr unsigned long long kLargest = 9223372036854775807ULL;  // a long long
    const auto size = parseWholeNumber(line.substr(before + 1, last - before - 1), kLargest);
    const auto modified = parseWholeNumber(line.substr(last + 1), kLargest);
    if (!size || !modified) return std::nullopt;
    return FileStamp{static_cast<long long>(*size), static_cast<long long>(*modified)};
}

std::vector<ReportRow> rowsOf(const std::string& outputFolder, const std::string& report) {
    return parseReport(readTextFile(joinPath(outputFolder, report)).value_or(""));
}

}  // namespace

std::string partName(const std::string& reportName, const Shard& shard) {
    const size_t dot = reportName.rfind('.');
    return reportName.substr(0, dot) + ".parte-" + std::to_string(shard.index) + "-de-" +
           std::to_string(shard.count) + reportName.substr(dot);
}

std::string journalName(const std::optional<Shard>& shard) {
    return shard ? partName("sol_stat.diario", *shard) : "sol_stat.diario";
}

std::string journalRecord(const std::vector<std::string>& rows) {
    std::string record = "R";
    for (const std::string& row : rows) record += " " + std::to_string(row.size());
    record += "\n";
    for (const std::string& row : rows) record += row;
    return record;
}

namespace {

// The records of a journal's text and where its whole records end.
struct Journal {
    std::vector<std::vector<std::string>> records;
    size_t wholeLength = 0;
};

Journal readJournal(const std::string& text) {
    Journal journal;
    std::vector<std::vector<std::string>>& records = journal.records;
    size_t at = 0;
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
        records.push_back(std::move(rows));
        at = journal.wholeLength = next;
    }
    return journal;
}

}  // namespace

std::vector<std::vector<std::string>> parseJournal(const std::string& text) { return readJournal(text).records; }

size_t wholeJournalLength(const std::string& text) { return readJournal(text).wholeLength; }

std::string reportFileName(const ReportFile& report, const std::optional<Shard>& shard) {
    return shard ? partName(report.name, *shard) : report.name;
}

const std::vector<ReportFile>& batchReports() {
    static const std::vector<ReportFile> reports = {
        {"sol_stat.csv", msg::reportHeader, shortRow, nullptr},
        {"sol_stat_completo.csv", msg::completeReportHeader, completeRow, completeFromShortRow},
        {"sol_stat_arquivos.csv", msg::stampReportHeader, stampRow, stampFromShortRow}};
    return reports;
}

std::string reportText(const std::vector<std::string>& rows, const std::string& header) {
    std::string text = header;
    for (const std::string& row : rows) text += row + "\n";
    return text;
}

std::vector<ReportRow> parseReport(const std::string& text) {
    std::vector<ReportRow> rows;
    size_t at = text.find('\n');  // the header
    if (at == std::string::npos) return rows;
    ++at;
    while (at < text.size()) {
        const size_t start = at;
        std::string name;
        bool named = false;
        if (text[at] == '"') {
            // Between quotes, "" is one quote; the name ends at a lone quote.
            ++at;
            while (at < text.size()) {
                if (text[at] == '"' && at + 1 < text.size() && text[at + 1] == '"') {
                    name += '"';
                    at += 2;
                } else if (text[at] == '"') {
                    ++at;
                    break;
                } else {
                    name += text[at++];
                }
            }
            named = at < text.size() && text[at] == ';';
        } else {
            const size_t end = text.find_first_of(";\n", at);
            if (end != std::string::npos && text[end] == ';') {
                name = text.substr(at, end - at);
                named = true;
                at = end;
            }
        }
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        if (named) rows.push_back({name, text.substr(start, end - start)});
        at = end + 1;
    }
    return rows;
}

std::map<std::string, KeptRow> readKeptRows(const std::string& outputFolder, const std::optional<Shard>& shard) {
    const std::vector<ReportFile>& reports = batchReports();
    // The other reports' rows, by model name.
    std::vector<std::map<std::string, std::string>> others(reports.size());
    for (size_t report = 1; report < reports.size(); ++report) {
        for (const ReportRow& row : rowsOf(outputFolder, reportFileName(reports[report], shard))) {
            others[report][row.name] = row.line;
        }
    }
    // Every model's rows: the reports', then the journal's, which are newer.
    std::vector<std::pair<std::string, std::vector<std::string>>> found;
    for (const ReportRow& row : rowsOf(outputFolder, reportFileName(reports[0], shard))) {
        std::vector<std::string> lines = {row.line};
        for (size_t report = 1; report < reports.size(); ++report) {
            const auto other = others[report].find(row.name);
            lines.push_back(other != others[report].end() ? other->second : reports[report].fromShortRow(row.line));
        }
        found.emplace_back(row.name, std::move(lines));
    }
    const std::string journal = readTextFile(joinPath(outputFolder, journalName(shard))).value_or("");
    for (std::vector<std::string>& lines : parseJournal(journal)) {
        const std::optional<std::string> name = lines.empty() ? std::nullopt : rowName(lines[0]);
        if (lines.size() != reports.size() || !name) continue;
        found.emplace_back(*name, std::move(lines));
    }
    std::map<std::string, KeptRow> kept;
    for (auto& [name, lines] : found) {
        const ReportRow row{name, lines[0]};
        KeptRow& entry = kept[name];
        entry.lines = std::move(lines);
        const std::string status = statusField(row.line) + ";";
        entry.failed = status == msg::statusReadErrorRow || status == msg::statusSolveErrorRow;
        // CONFERE ends the complete report's row; the file's stamp, the record's.
        const std::string& complete = entry.lines[1];
        entry.check = checkFromText(complete.substr(complete.rfind(';') + 1));
        entry.stamp = stampOfRow(entry.lines[2]);
    }
    return kept;
}

bool writeReport(const std::string& outputFolder, const std::vector<std::string>& rows, std::ostream& errors,
                 const std::string& name, const std::string& header) {
    const std::string path = outputFolder + "/" + name;
    if (const int error = replaceFile(outputFolder, path, reportText(rows, header))) {
        printIoError(msg::reportNotWritten, path, error, errors);
        return false;
    }
    return true;
}
