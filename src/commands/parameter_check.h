// The check of a batch's SCIP parameters, made in a child process so that
// the program itself never loads SCIP.
#pragma once

#include "batch/batch.h"
#include "scip/scip_parameters.h"

// scip/'s checkParameters in a child process; a child that cannot be
// started, or whose answer does not arrive whole, fails the check.
ParameterCheck checkBatchParameters(const ScipRequest& request, double timeLimit);
