// A model's solution file, <name>.sol in the output folder: written whole,
// or removed so that the folder never contradicts the report.
#pragma once

#include <iostream>
#include <optional>
#include <string>

#include "batch/batch.h"
#include "scip/scip_api.h"
#include "scip/scip_handles.h"

// Writes `text` (SCIP's solution format) as the model's solution file,
// through a temporary file renamed over it.
SolutionFile writeSolutionFile(const std::string& outputFolder, const std::string& modelName, const std::string& text,
                               std::ostream& errors = std::cerr);
// Removes an older solution file of the model, if there is one.
SolutionFile removeSolutionFile(const std::string& outputFolder, const std::string& modelName,
                                std::ostream& errors = std::cerr);
// A message handler of the program's for a model's solve: it shows nothing
// on the console, writes SCIP's log into `logPath` (none when ""), and keeps
// what SCIP prints with no file given while its `printed` points somewhere.
SCIP_RETCODE createQuietHandler(ScipMessageHandler& handler, const std::string& logPath);
// The solution SCIP holds, as SCIP's own "write solution" lays it out,
// printed into memory through `quiet` (SCIP's handler, made by
// createQuietHandler) before the outcome is shown. A failed SCIP call goes
// to `failure` (said) and gives nothing.
std::optional<std::string> solutionText(SCIP* scip, ScipMessageHandler& quiet, SCIP_RETCODE& failure);
