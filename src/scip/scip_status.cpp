// What SCIP's status codes mean, by the numbering of each major version.
#include "scip/scip_status.h"

#include <map>

#include "reports/report_rows.h"
#include "text/messages.h"

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
