// The result of a solved SCIP instance, read as data.
#pragma once

#include <string>

#include "batch/batch.h"
#include "scip/scip_api.h"

// The result of a solved instance, as data; `initialSolution` says whether
// SCIP started from a solution of the initial-solution folder.
ModelResult readScipResult(SCIP* scip, std::string modelPath, InitialSolution initialSolution);
