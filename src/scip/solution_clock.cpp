// The primal-dual integral and the times of the first and best solution.
#include "scip/solution_clock.h"

#include <algorithm>

namespace {

// Each new best solution: the earliest time seen is the first solution's.
SCIP_RETCODE onBestSolution(SCIP*, SCIP_EVENTHDLR* handler, SCIP_EVENT* event, SCIP_EVENTDATA*) {
    auto* clock = reinterpret_cast<SolutionClock*>(lib().SCIPeventhdlrGetData(handler));
    SCIP_SOL* solution = lib().SCIPeventGetSol(event);
    if (clock != nullptr && solution != nullptr) {
        const double found = lib().SCIPsolGetTime(solution);
        clock->first = clock->first ? std::min(*clock->first, found) : found;
    }
    return SCIP_OKAY;
}

}  // namespace

SCIP_RETCODE includeSolutionClock(SCIP* scip, SolutionClock& clock) {
    LOTE_SCIP_CALL(lib().SCIPincludeEventhdlrBasic(scip, &clock.handler, "lote_tempos_solucoes",
                                                   "time of the first solution found", onBestSolution,
                                                   reinterpret_cast<SCIP_EVENTHDLRDATA*>(&clock)));
    return SCIP_OKAY;
}

SCIP_RETCODE startSolutionClock(SCIP* scip, SolutionClock& clock) {
    if (lib().SCIPgetStage(scip) == SCIP_STAGE_PROBLEM) LOTE_SCIP_CALL(lib().SCIPtransformProb(scip));
    LOTE_SCIP_CALL(
        lib().SCIPcatchEvent(scip, bestSolutionEvent(lib().SCIPmajorVersion()), clock.handler, nullptr, nullptr));
    return SCIP_OKAY;
}

void readSolutionTimes(SCIP* scip, const SolutionClock& clock, ModelResult& result) {
    if (lib().SCIPgetStage(scip) <= SCIP_STAGE_PROBLEM) return;
    result.primalDualIntegral = lib().SCIPgetPrimalDualIntegral(scip);
    const int count = lib().SCIPgetNSols(scip);
    if (count <= 0) return;
    result.bestSolutionSeconds = lib().SCIPsolGetTime(lib().SCIPgetBestSol(scip));
    double first = clock.first ? std::min(*clock.first, *result.bestSolutionSeconds) : *result.bestSolutionSeconds;
    SCIP_SOL** kept = lib().SCIPgetSols(scip);
    for (int i = 0; kept != nullptr && i < count; ++i) first = std::min(first, lib().SCIPsolGetTime(kept[i]));
    result.firstSolutionSeconds = first;
}
