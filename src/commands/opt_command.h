// opt: every model of a folder solved with SCIP, the reports kept as they finish.
#pragma once

#include "batch/batch.h"
#include "commands/opt_request.h"

// opt in the shell: asks for the model folder, then runs the batch.
OptResult optimizeFolder(const BatchSettings& settings);
// opt: checks the folders and SCIP's parameters, lists the models and
// solves every model entry, keeping the reports as entries finish.
OptResult runOpt(const OptRequest& request, const BatchSettings& settings);
