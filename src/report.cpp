// Report rows, their number format and status texts, and the report file.
#include "report.h"

#include <algorithm>
#include <charconv>
#include <sstream>
#include <map>

#include "Messages.h"
#include "files.h"

std::string formatReportNumber(double value) {
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    std::string text(buffer, result.ptr);
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

std::optional<Outcome> outcomeFromScipStatus(int scipMajorVersion, int status) {
    if (scipMajorVersion >= 7 && scipMajorVersion <= 9) {
        switch (status) {
            case 5: return Outcome::TimeLimit;
            case 11: return Outcome::Optimal;
            case 12: return Outcome::Infeasible;
            case 13: return Outcome::Unbounded;
            case 14: return Outcome::InfeasibleOrUnbounded;
            default: return Outcome::Other;
        }
    }
    if (scipMajorVersion == 10) {
        switch (status) {
            case 1: return Outcome::Optimal;
            case 2: return Outcome::Infeasible;
            case 3: return Outcome::Unbounded;
            case 4: return Outcome::InfeasibleOrUnbounded;
            case 23: return Outcome::TimeLimit;
            default: return Outcome::Other;
        }
    }
    return std::nullopt;
}

const char* statusLine(Outcome outcome) {
    switch (outcome) {
        case Outcome::TimeLimit: return msg::statusTimeLimitLine;
        case Outcome::Optimal: return msg::statusOptimalLine;
        case Outcome::Infeasible: return msg::statusInfeasibleLine;
        case Outcome::Unbounded: return msg::statusUnboundedLine;
        case Outcome::InfeasibleOrUnbounded: return msg::statusInfOrUnbdLine;
        case Outcome::ReadError: return msg::statusReadErrorLine;
        case Outcome::SolveError: return msg::statusSolveErrorLine;
        case Outcome::Other: break;
    }
    return "";
}

const char* statusRowText(Outcome outcome) {
    switch (outcome) {
        case Outcome::TimeLimit: return msg::statusTimeLimitRow;
        case Outcome::Optimal: return msg::statusOptimalRow;
        case Outcome::Infeasible: return msg::statusInfeasibleRow;
        case Outcome::Unbounded: return msg::statusUnboundedRow;
        case Outcome::InfeasibleOrUnbounded: return msg::statusInfOrUnbdRow;
        case Outcome::ReadError: return msg::statusReadErrorRow;
        case Outcome::SolveError: return msg::statusSolveErrorRow;
        case Outcome::Other: break;
    }
    return "";
}

std::string completeStatusText(int scipMajorVersion, int status) {
    if (const std::optional<Outcome> outcome = outcomeFromScipStatus(scipMajorVersion, status)) {
        const std::string row = statusRowText(*outcome);
        if (!row.empty()) return row.substr(0, row.size() - 1);
    }
    // The other statuses by the numbering of each major version.
    static const std::map<int, const char*> before10 = {
        {1, msg::statusUserInterrupt}, {2, msg::statusNodeLimit},         {3, msg::statusTotalNodeLimit},
        {4, msg::statusStallNodeLimit}, {6, msg::statusMemoryLimit},      {7, msg::statusGapLimit},
        {8, msg::statusSolutionLimit},  {9, msg::statusBestSolutionLimit}, {10, msg::statusRestartLimit},
        {15, msg::statusTerminated}};
    static const std::map<int, const char*> from10 = {
        {10, msg::statusUserInterrupt},   {11, msg::statusTerminated},      {20, msg::statusNodeLimit},
        {21, msg::statusTotalNodeLimit},  {22, msg::statusStallNodeLimit},  {24, msg::statusMemoryLimit},
        {25, msg::statusGapLimit},        {26, msg::statusPrimalLimit},     {27, msg::statusDualLimit},
        {28, msg::statusSolutionLimit},   {29, msg::statusBestSolutionLimit}, {30, msg::statusRestartLimit}};
    const std::map<int, const char*>& table = scipMajorVersion >= 10 ? from10 : before10;
    const auto found = table.find(status);
    return found != table.end() ? found->second : msg::statusUnknown;
}

std::optional<double> finiteValue(double value) {
    if (!(value > -1e20 && value < 1e20)) return std::nullopt;
    return value;
}

std::string buildCompleteRow(const SolveFacts& f) {
    const auto number = [](const std::optional<double>& value) {
        return value && finiteValue(*value) ? formatReportNumber(*value) : std::string();
    };
    std::string row = csvName(f.name) + ";" + formatReportNumber(f.seconds) + ";" + f.status + ";" +
                      number(f.primalBound) + ";" + number(f.dualBound) + ";" + number(f.gapPercent) + ";";
    for (long long count : {f.nodes, f.lpIterations, static_cast<long long>(f.variables),
                            static_cast<long long>(f.integers), static_cast<long long>(f.constraints), f.solutions}) {
        row += std::to_string(count) + ";";
    }
    return row + f.initialSolution + ";" + f.check;
}

std::string incompleteRow(const std::string& name, double seconds, Outcome outcome) {
    const std::string status = statusRowText(outcome);
    return csvName(name) + ";" + formatReportNumber(seconds) + ";" + status.substr(0, status.size() - 1) +
           std::string(11, ';');
}

std::string outcomeLines(const std::string& name, double seconds, Outcome outcome) {
    std::ostringstream lines;
    lines << msg::nameLabel << name << "\n" << msg::timeLabel << seconds << "\n" << statusLine(outcome);
    return lines.str();
}

std::string csvName(const std::string& name) {
    if (name.find_first_of(";\"\r\n") == std::string::npos) return name;
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string buildResultRow(const std::string& name, double seconds, Outcome outcome,
                           std::optional<double> primalBound) {
    std::string row = csvName(name) + ";";
    row += formatReportNumber(seconds) + ";";
    // A status without a text keeps its field, empty, so Z stays in its column.
    row += outcome == Outcome::Other ? ";" : statusRowText(outcome);
    if (primalBound) row += formatReportNumber(*primalBound);
    row += ";";
    return row;
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

std::map<std::string, std::vector<std::string>> readKeptRows(const std::string& outputFolder) {
    const auto rowsOf = [&](const std::string& report) {
        std::string text;
        readTextFile(joinPath(outputFolder, report), text);
        return parseReport(text);
    };
    std::map<std::string, std::string> complete;
    for (const ReportRow& row : rowsOf("sol_stat_completo.csv")) complete[row.name] = row.line;
    std::map<std::string, std::vector<std::string>> kept;
    for (const ReportRow& row : rowsOf("sol_stat.csv")) {
        const auto found = complete.find(row.name);
        const std::string fallback = row.line.substr(0, row.line.size() - 1) + std::string(10, ';');
        kept[row.name] = {row.line, found != complete.end() ? found->second : fallback};
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
