// How fast good solutions came in one solve: the primal-dual integral, and
// the solving seconds at which the first and the best solution were found.
#pragma once

#include <optional>

#include "batch/batch.h"
#include "scip/scip_api.h"

// SCIP keeps only its best solutions, so the first one's time is caught as
// it is found: an event handler is told of every new best solution (the
// first solution found is always one) from the moment SCIP transforms the
// problem, within SCIP's own clock. Outlives the SCIP instance it watches.
struct SolutionClock {
    std::optional<double> first;  // the earliest time of a new best solution seen
    SCIP_EVENTHDLR* handler = nullptr;
    int filterPosition = -1;  // where SCIP keeps the catch while the transformed problem lives
};

// Includes the clock's event handler; with SCIP's other plug-ins, before
// the model is read.
SCIP_RETCODE includeSolutionClock(SCIP* scip, SolutionClock& clock);
// After the solve: the result's primal-dual integral, and the times of its
// first and best solution when it has one. A solution SCIP held before the
// clock started (a start solution, kept as the problem is transformed)
// counts at its own time.
void readSolutionTimes(SCIP* scip, const SolutionClock& clock, ModelResult& result);
