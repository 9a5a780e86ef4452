// What SCIP made of a start solution: kept after its check, or discarded
// and why, and the names in the file that the model lacks.
#pragma once

#include <string>
#include <vector>

#include "scip/scip_api.h"

struct StartSolutionVerdict {
    bool kept = false;
    // Why SCIP finds it infeasible, in SCIP's words on one line ("" when it
    // does not, or when its words could not be kept).
    std::string reason;
    size_t unknownCount = 0;
    std::vector<std::string> unknownNames;  // the first few, in file order
};

// Once SCIP has read the start solution in `path` into the model (still
// untransformed): the names of the file that the model lacks, SCIP's check of
// the solution with its reasons, then SCIP's transform, which keeps the
// solution or discards it. The model is transformed on return.
SCIP_RETCODE judgeStartSolution(SCIP* scip, const std::string& path, StartSolutionVerdict& verdict);

// The lines that say what came of the start solution in `path` (its unknown
// variables, its rejection); "" when it was kept whole. Pure.
std::string startSolutionLines(const StartSolutionVerdict& verdict, const std::string& path);
