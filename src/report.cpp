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

std::string reportText(const std::vector<std::string>& rows) {
    std::string text = msg::reportHeader;
    for (const std::string& row : rows) text += row + "\n";
    return text;
}

bool writeReport(const std::string& outputFolder, const std::vector<std::string>& rows) {
    const std::string path = outputFolder + "/sol_stat.csv";
    if (const int error = replaceFile(outputFolder, path, reportText(rows))) {
        printIoError(msg::reportNotWritten, path, error);
        return false;
    }
    return true;
}
