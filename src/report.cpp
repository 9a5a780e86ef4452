// Report rows, their number format and status texts, and the report file.
#include "report.h"

#include <algorithm>
#include <charconv>

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

bool writeReport(const std::string& outputFolder, const std::vector<std::string>& rows, std::ostream& errors,
                 const std::string& name, const std::string& header) {
    const std::string path = outputFolder + "/" + name;
    if (const int error = replaceFile(outputFolder, path, reportText(rows, header))) {
        printIoError(msg::reportNotWritten, path, error, errors);
        return false;
    }
    return true;
}
