// A solution file checked against its model.
#include "scip/solution_check.h"

#include <algorithm>
#include <iostream>

#include "platform/files.h"
#include "scip/scip_api.h"
#include "scip/scip_handles.h"
#include "scip/scip_parameters.h"
#include "text/messages.h"
#include "text/format.h"
#include "text/solution_text.h"

namespace {

// A solution of `scip`, freed before its instance.
struct ScipSolution {
    SCIP* scip = nullptr;
    SCIP_SOL* sol = nullptr;
    explicit ScipSolution(SCIP* s) : scip(s) {}
    ScipSolution(const ScipSolution&) = delete;
    ScipSolution& operator=(const ScipSolution&) = delete;
    ~ScipSolution() {
        if (sol != nullptr) lib().SCIPfreeSol(scip, &sol);
    }
};

// SCIP set up as for the model's solve, its output into `printed` only,
// and the model read.
SCIP_RETCODE readModel(SCIP* scip, const BatchSettings& settings, const std::string& modelPath,
                       const std::string& printed, ScipMessageHandler& handler, void (*say)(const std::string& lines)) {
    LOTE_SCIP_CALL(lib().SCIPcreateMessagehdlrDefault(&handler.handler, 0, printed.c_str(), 1));
    LOTE_SCIP_CALL(lib().SCIPsetMessagehdlr(scip, handler.handler));
    LOTE_SCIP_CALL(lib().SCIPincludeDefaultPlugins(scip));
    LOTE_SCIP_CALL(applyModelParameters(scip, settings, modelPath, say));
    LOTE_SCIP_CALL(lib().SCIPsetBoolParam(scip, "misc/catchctrlc", 0));
    LOTE_SCIP_CALL(lib().SCIPreadProb(scip, modelPath.c_str(), nullptr));
    return SCIP_OKAY;
}

// The solution read into the original problem and checked there, every
// constraint (so that the largest violation is known); SCIP prints why
// each violated one is. A file that is not read whole is no check.
SCIP_RETCODE checkSolution(SCIP* scip, const std::string& solutionPath, SolutionCheck& check) {
    ScipSolution solution(scip);
    LOTE_SCIP_CALL(lib().SCIPcreateOrigSol(scip, &solution.sol, nullptr));
    SCIP_Bool partial = 0, error = 0;
    LOTE_SCIP_CALL(lib().SCIPreadSolFile(scip, solutionPath.c_str(), solution.sol, 0, &partial, &error));
    if (error != 0 || partial != 0) return SCIP_READERROR;
    lib().SCIPactivateSolViolationUpdates(scip);
    SCIP_Bool feasible = 0;
    LOTE_SCIP_CALL(lib().SCIPcheckSolOrig(scip, solution.sol, &feasible, 1, 1));
    lib().SCIPdeactivateSolViolationUpdates(scip);
    check.verified = feasible != 0 ? Verification::Yes : Verification::No;
    const std::pair<double, const char*> violations[] = {
        {lib().SCIPsolGetAbsBoundViolation(solution.sol), msg::violationBound},
        {lib().SCIPsolGetAbsIntegralityViolation(solution.sol), msg::violationIntegrality},
        {std::max(lib().SCIPsolGetAbsLPRowViolation(solution.sol), lib().SCIPsolGetAbsConsViolation(solution.sol)),
         msg::violationConstraint}};
    for (const auto& [amount, kind] : violations) {
        if (amount > check.largest) check.largest = amount, check.kind = kind;
    }
    return SCIP_OKAY;
}

}  // namespace

SolutionCheck checkSolutionFile(const std::string& modelPath, const std::string& solutionPath,
                                const BatchSettings& settings, void (*say)(const std::string& lines)) {
    SolutionCheck check;
    // What SCIP prints goes to a file in memory, read back for its reasons.
    const NamedMemoryFile printed = makeNamedMemoryFile("loteotimizador-verificacao", nullptr);
    if (printed.path.empty()) return check;
    const std::string& printedPath = printed.path;
    // Released after the instance, which holds it while it lives (SCIP
    // keeps its own reference): the one handle not freed in reverse order.
    ScipMessageHandler handler;
    ScipInstance instance;
    if (instance.create() != SCIP_OKAY) {
        instance.scip = nullptr;
        return check;
    }
    if (readModel(instance.scip, settings, modelPath, printedPath, handler, say) != SCIP_OKAY) return check;
    // Only what SCIP prints from here on gives the reasons (not what it said of the read).
    const size_t printedBefore = readMemoryFile(printed).value_or("").size();
    if (checkSolution(instance.scip, solutionPath, check) != SCIP_OKAY) {
        check.verified = Verification::NotChecked;
        return check;
    }
    const std::string printedText = readMemoryFile(printed).value_or("");
    if (check.verified == Verification::No)
        check.reason = oneLineReason(printedText.substr(std::min(printedBefore, printedText.size())));
    return check;
}

std::string checkMessage(const SolutionCheck& check, const std::string& modelPath, const std::string& solutionPath) {
    if (check.verified == Verification::No && check.largest > 0.0) {
        return formatMessage(msg::solutionViolates, modelPath, check.kind, decimalComma(check.largest, 6),
                             check.reason);
    }
    if (check.verified == Verification::No) {
        return formatMessage(msg::solutionViolatesUnmeasured, modelPath, check.reason);
    }
    if (check.verified == Verification::NotChecked) {
        return formatMessage(msg::solutionNotChecked, solutionPath, modelPath);
    }
    return "";
}
