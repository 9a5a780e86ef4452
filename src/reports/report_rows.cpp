// Status texts, the number format, quoted names.
#include "reports/report_rows.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <sstream>

#include "text/messages.h"
#include "text/format.h"

std::string formatReportNumber(double value) { return decimalComma(value, 6); }

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

bool endsWithAnswer(const ModelResult& result) {
    if (!result.fromScip || result.outcome == Outcome::ReadError || result.outcome == Outcome::SolveError) return false;
    const int status = result.scipStatus;
    // optimal, infeasible, unbounded, either; then the gap, solution, best solution, primal and dual limits
    if (result.scipMajorVersion >= 7 && result.scipMajorVersion <= 9) {
        return (status >= 11 && status <= 14) || (status >= 7 && status <= 9);
    }
    if (result.scipMajorVersion == 10) return (status >= 1 && status <= 4) || (status >= 25 && status <= 29);
    return false;  // a numbering not known: no answer is taken for one
}

bool betterResult(const ModelResult& a, const ModelResult& b) {
    if (a.fromScip != b.fromScip) return a.fromScip;
    const bool aHas = a.hasSolution && a.primalBound, bHas = b.hasSolution && b.primalBound;
    if (aHas != bHas) return aHas;
    if (!aHas) return false;
    return a.minimize ? *a.primalBound < *b.primalBound : *a.primalBound > *b.primalBound;
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

std::string statusFieldText(Outcome outcome) {
    const std::string row = statusRowText(outcome);
    return row.empty() ? row : row.substr(0, row.size() - 1);
}

std::string completeStatusText(int scipMajorVersion, int status) {
    if (const std::optional<Outcome> outcome = outcomeFromScipStatus(scipMajorVersion, status)) {
        const std::string text = statusFieldText(*outcome);
        if (!text.empty()) return text;
    }
    // The other statuses by the numbering of each major version.
    static const std::map<int, const char*> before10 = {
        {1, msg::statusUserInterrupt},  {2, msg::statusNodeLimit},         {3, msg::statusTotalNodeLimit},
        {4, msg::statusStallNodeLimit}, {6, msg::statusMemoryLimit},       {7, msg::statusGapLimit},
        {8, msg::statusSolutionLimit},  {9, msg::statusBestSolutionLimit}, {10, msg::statusRestartLimit},
        {15, msg::statusTerminated}};
    static const std::map<int, const char*> from10 = {
        {10, msg::statusUserInterrupt},  {11, msg::statusTerminated},        {20, msg::statusNodeLimit},
        {21, msg::statusTotalNodeLimit}, {22, msg::statusStallNodeLimit},    {24, msg::statusMemoryLimit},
        {25, msg::statusGapLimit},       {26, msg::statusPrimalLimit},       {27, msg::statusDualLimit},
        {28, msg::statusSolutionLimit},  {29, msg::statusBestSolutionLimit}, {30, msg::statusRestartLimit}};
    const std::map<int, const char*>& table = scipMajorVersion >= 10 ? from10 : before10;
    const auto found = table.find(status);
    return found != table.end() ? found->second : msg::statusUnknown;
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
