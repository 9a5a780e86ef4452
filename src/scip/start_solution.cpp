// What SCIP made of a start solution.
#include "scip/start_solution.h"

#include "platform/files.h"
#include "scip/scip_handles.h"
#include "text/format.h"
#include "text/messages.h"
#include "text/solution_text.h"

namespace {

constexpr size_t kNamedUnknown = 3;

void noteUnknownVariables(SCIP* scip, const std::string& path, StartSolutionVerdict& verdict) {
    for (const std::string& name : solutionFileVariables(readTextFile(path).value_or(""))) {
        if (lib().SCIPfindVar(scip, name.c_str()) != nullptr) continue;
        ++verdict.unknownCount;
        if (verdict.unknownNames.size() < kNamedUnknown) verdict.unknownNames.push_back(name);
    }
}

// SCIP's own check of its first candidate, the one the transform makes, with
// what SCIP prints of each violation caught in a file in memory; the handler
// SCIP had is back on return.
SCIP_RETCODE checkCandidate(SCIP* scip, StartSolutionVerdict& verdict) {
    const NamedMemoryFile printed = makeNamedMemoryFile("loteotimizador-sol-inicial", nullptr);
    if (printed.path.empty()) return SCIP_OKAY;  // the verdict stands without SCIP's words
    ScipMessageHandler previous;
    previous.handler = lib().SCIPgetMessagehdlr(scip);
    if (previous.handler != nullptr) lib().SCIPmessagehdlrCapture(previous.handler);
    ScipMessageHandler capture;
    LOTE_SCIP_CALL(lib().SCIPcreateMessagehdlrDefault(&capture.handler, 0, printed.path.c_str(), 1));
    LOTE_SCIP_CALL(lib().SCIPsetMessagehdlr(scip, capture.handler));
    SCIP_Bool feasible = 1;
    const SCIP_RETCODE checked = lib().SCIPcheckSolOrig(scip, lib().SCIPgetSols(scip)[0], &feasible, 1, 0);
    LOTE_SCIP_CALL(lib().SCIPsetMessagehdlr(scip, previous.handler));
    LOTE_SCIP_CALL(checked);
    if (feasible == 0) verdict.reason = oneLineReason(readMemoryFile(printed).value_or(""));
    return SCIP_OKAY;
}

}  // namespace

SCIP_RETCODE judgeStartSolution(SCIP* scip, const std::string& path, StartSolutionVerdict& verdict) {
    noteUnknownVariables(scip, path, verdict);
    if (lib().SCIPgetNSols(scip) > 0) LOTE_SCIP_CALL(checkCandidate(scip, verdict));
    // The transform checks SCIP's candidates and keeps those that hold; no
    // other solution exists before it.
    LOTE_SCIP_CALL(lib().SCIPtransformProb(scip));
    verdict.kept = lib().SCIPgetNSols(scip) > 0;
    return SCIP_OKAY;
}

std::string startSolutionLines(const StartSolutionVerdict& verdict, const std::string& path) {
    std::string lines;
    if (verdict.unknownCount > 0) {
        std::string names;
        for (const std::string& name : verdict.unknownNames) names += (names.empty() ? "" : ", ") + name;
        if (verdict.unknownCount > verdict.unknownNames.size()) names += ", …";
        lines += verdict.unknownCount == 1
                     ? formatMessage(msg::startSolutionUnknownVariable, path, names)
                     : formatMessage(msg::startSolutionUnknownVariables, path, verdict.unknownCount, names);
    }
    if (!verdict.kept) {
        lines += verdict.reason.empty() ? formatMessage(msg::startSolutionRejected, path)
                                        : formatMessage(msg::startSolutionRejectedBecause, path, verdict.reason);
    }
    return lines;
}
