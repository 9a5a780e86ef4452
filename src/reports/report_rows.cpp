// Status texts, the number format, quoted names.
#include "reports/report_rows.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <sstream>

#include "text/messages.h"
#include "text/format.h"

std::string formatReportNumber(double value) { return decimalComma(value, 6); }

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

std::string statusFieldText(Outcome outcome) {
    const std::string row = statusRowText(outcome);
    return row.empty() ? row : row.substr(0, row.size() - 1);
}

std::optional<double> finiteValue(double value) {
    if (!(value > -1e20 && value < 1e20)) return std::nullopt;
    return value;
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

const char* checkText(Check check) {
    switch (check) {
        case Check::Ok: return msg::checkOk;
        case Check::Wrong: return msg::checkWrong;
        case Check::NoReference: return msg::checkNoReference;
        case Check::Compatible: return msg::checkCompatible;
        case Check::Better: return msg::checkBetter;
        case Check::None: break;
    }
    return "";
}

const char* verificationText(Verification verified) {
    switch (verified) {
        case Verification::Yes: return msg::verifiedYes;
        case Verification::No: return msg::verifiedNo;
        case Verification::NotChecked: return msg::verifiedNotChecked;
        case Verification::None: break;
    }
    return "";
}

std::string checkReasonsText(unsigned reasons) {
    const std::pair<unsigned, const char*> words[] = {{kReasonValue, msg::reasonValue},
                                                      {kReasonDualBound, msg::reasonDualBound},
                                                      {kReasonStatus, msg::reasonStatus},
                                                      {kReasonInfeasibleSolution, msg::reasonInfeasibleSolution}};
    std::string text;
    for (const auto& [reason, word] : words) {
        if ((reasons & reason) != 0) text += (text.empty() ? "" : "+") + std::string(word);
    }
    return text;
}

Check checkFromText(const std::string& text) {
    for (const Check check : {Check::Ok, Check::Wrong, Check::NoReference, Check::Compatible, Check::Better}) {
        if (text == checkText(check)) return check;
    }
    return Check::None;
}

const char* initialSolutionText(InitialSolution use) {
    switch (use) {
        case InitialSolution::Stored: return msg::initialSolStored;
        case InitialSolution::Rejected: return msg::initialSolRejected;
        case InitialSolution::None: break;
    }
    return msg::initialSolNone;
}
