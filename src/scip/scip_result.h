// The result of a solved SCIP instance, read as data.
#pragma once

#include <string>

#include "batch/batch.h"
#include "scip/scip_api.h"

// Shows the outcome of a solved instance ("NOME:", "TEMPO:" and status
// lines) and gives its result; `initialSolution` says whether SCIP started
// from a solution of the initial-solution folder.
ModelResult recordResult(SCIP* scip, std::string modelPath, InitialSolution initialSolution);
