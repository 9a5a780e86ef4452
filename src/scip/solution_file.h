// A model's solution file, <name>.sol in the output folder: written whole,
// or removed so that the folder never contradicts the report.
#pragma once

#include <optional>
#include <string>

#include "batch/batch.h"
#include "scip/scip_api.h"

// Writes `text` (SCIP's solution format) as the model's solution file,
// through a temporary file renamed over it. A failure's line goes to `err`.
SolutionFile writeSolutionFile(const std::string& outputFolder, const std::string& modelName, const std::string& text,
                               std::string* err);
// Removes an older solution file of the model, if there is one.
SolutionFile removeSolutionFile(const std::string& outputFolder, const std::string& modelName, std::string* err);
// The solution SCIP holds, as SCIP's own "write solution" lays it out,
// printed by SCIP into files in memory that it opens by name, through the
// quiet handler it has (no FILE* of the program's crosses into SCIP), before
// the outcome is shown. A failed SCIP call goes to `failure` and gives
// nothing; so does a file in memory that cannot be made or read (its line in `err`).
std::optional<std::string> solutionText(SCIP* scip, const std::string& modelName, SCIP_RETCODE& failure,
                                        std::string* err);
