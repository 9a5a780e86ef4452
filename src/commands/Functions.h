// The solve of one model with SCIP, and the job each kind of worker runs.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "process/worker.h"

// Solves one entry in a worker process (nothing unless its name ends in one
// of the batch's formats, "lp" by default); its solution, if any, goes to
// `outputFolder`. `solveStarting` is called with "" just before SCIP starts
// to solve, and with the result so far (encoded) before the solution's
// check, so that a check that cannot finish costs no solved model. Loads
// SCIP's library first.
std::optional<ModelResult> solveModel(std::string modelPath, const std::string& outputFolder,
                                      const BatchSettings& settings,
                                      const std::function<void(const std::string&)>& solveStarting);

// The job a worker of the kind `name` runs (opt's solve of a model, mod_lp's
// translation, the check of a batch's SCIP parameters); nothing for an
// unknown name.
std::optional<JobFunction> workerJob(const std::string& name);
