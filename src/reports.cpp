// The reports a batch keeps: their list, their text, and reading them back.
#include "reports.h"

#include "files.h"
#include "report_rows.h"

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

std::vector<ReportRow> rowsOf(const std::string& outputFolder, const std::string& report) {
    return parseReport(readTextFile(joinPath(outputFolder, report)).value_or(""));
}

}  // namespace

const std::vector<ReportFile>& batchReports() {
    static const std::vector<ReportFile> reports = {
        {"sol_stat.csv", msg::reportHeader, shortRow, nullptr},
        {"sol_stat_completo.csv", msg::completeReportHeader, completeRow, completeFromShortRow}};
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

std::map<std::string, KeptRow> readKeptRows(const std::string& outputFolder) {
    const std::vector<ReportFile>& reports = batchReports();
    // The other reports' rows, by model name.
    std::vector<std::map<std::string, std::string>> others(reports.size());
    for (size_t report = 1; report < reports.size(); ++report) {
        for (const ReportRow& row : rowsOf(outputFolder, reports[report].name)) others[report][row.name] = row.line;
    }
    std::map<std::string, KeptRow> kept;
    for (const ReportRow& row : rowsOf(outputFolder, reports[0].name)) {
        KeptRow& entry = kept[row.name];
        entry.lines = {row.line};
        for (size_t report = 1; report < reports.size(); ++report) {
            const auto found = others[report].find(row.name);
            entry.lines.push_back(found != others[report].end() ? found->second
                                                                 : reports[report].fromShortRow(row.line));
        }
        const std::string status = statusField(row.line) + ";";
        entry.failed = status == msg::statusReadErrorRow || status == msg::statusSolveErrorRow;
        // CONFERE ends the complete report's row.
        const std::string& complete = entry.lines[1];
        entry.check = checkFromText(complete.substr(complete.rfind(';') + 1));
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
