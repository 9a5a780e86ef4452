// A solution file checked against its model as SCIP reads both again: the
// original problem's bounds, integrality and every constraint, with the
// batch's feasibility tolerance.
#pragma once

#include <string>

#include "batch/batch.h"

struct SolutionCheck {
    Verification verified = Verification::NotChecked;
    // Verification::No: the largest violation, by kind, and SCIP's words
    // for the violations it found; NotChecked: why the check could not run.
    double largest = 0.0;
    const char* kind = "";  // "limite", "integralidade", "restrição" (see messages.h)
    std::string reason;
};

// Checks the solution in `solutionPath` against the model in `modelPath`,
// under the batch's and the model's own SCIP parameters (for
// numerics/feastol); settings that SCIP refuses now are said through `say`
// (applyModelParameters). Loads nothing: SCIP's library must be loaded.
SolutionCheck checkSolutionFile(const std::string& modelPath, const std::string& solutionPath,
                                const BatchSettings& settings, void (*say)(const std::string& lines));
// What a check says when the solution is not feasible (the model, the
// largest violation and what SCIP said of it) or could not be checked; ""
// otherwise. Pure.
std::string checkMessage(const SolutionCheck& check, const std::string& modelPath, const std::string& solutionPath);
