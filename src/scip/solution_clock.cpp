// The primal-dual integral and the times of the first and best solution.
#include "scip/solution_clock.h"

#include <algorithm>

namespace {

SolutionClock* clockOf(SCIP_EVENTHDLR* handler) {
    return reinterpret_cast<SolutionClock*>(lib().SCIPeventhdlrGetData(handler));
}

// Each new best solution: the earliest time seen is the first solution's.
SCIP_RETCODE onBestSolution(SCIP*, SCIP_EVENTHDLR* handler, SCIP_EVENT* event, SCIP_EVENTDATA*) {
    SolutionClock* clock = clockOf(handler);
    SCIP_SOL* solution = lib().SCIPeventGetSol(event);
    if (clock != nullptr && solution != nullptr) {
        const double found = lib().SCIPsolGetTime(solution);
        clock->first = clock->first ? std::min(*clock->first, found) : found;
    }
    return SCIP_OKAY;
}

// As SCIP transforms the problem (inside its solve, and so within its
// solving time), the clock starts; it stops before the transformed problem goes.
SCIP_RETCODE startClock(SCIP* scip, SCIP_EVENTHDLR* handler) {
    LOTE_SCIP_CALL(lib().SCIPcatchEvent(scip, bestSolutionEvent(lib().SCIPmajorVersion()), handler, nullptr,
                                        &clockOf(handler)->filterPosition));
    return SCIP_OKAY;
}

SCIP_RETCODE stopClock(SCIP* scip, SCIP_EVENTHDLR* handler) {
    SolutionClock* clock = clockOf(handler);
    if (clock->filterPosition < 0) return SCIP_OKAY;
    LOTE_SCIP_CALL(lib().SCIPdropEvent(scip, bestSolutionEvent(lib().SCIPmajorVersion()), handler, nullptr,
                                       clock->filterPosition));
    clock->filterPosition = -1;
    return SCIP_OKAY;
}

}  // namespace

SCIP_RETCODE includeSolutionClock(SCIP* scip, SolutionClock& clock) {
    LOTE_SCIP_CALL(lib().SCIPincludeEventhdlrBasic(scip, &clock.handler, "lote_tempos_solucoes",
                                                   "time of the first solution found", onBestSolution,
                                                   reinterpret_cast<SCIP_EVENTHDLRDATA*>(&clock)));
    LOTE_SCIP_CALL(lib().SCIPsetEventhdlrInit(scip, clock.handler, startClock));
    LOTE_SCIP_CALL(lib().SCIPsetEventhdlrExit(scip, clock.handler, stopClock));
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
