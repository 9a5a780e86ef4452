// What SCIP's status codes mean, by the numbering of SCIP's major version
// (SCIP 10 numbered them anew). Pure: no call into SCIP.
#pragma once

#include <optional>
#include <string>

#include "batch/batch.h"

// Maps SCIP's status code to an outcome by the numbering of SCIP's major
// version. Versions whose numbering is unknown give nothing.
std::optional<Outcome> outcomeFromScipStatus(int scipMajorVersion, int status);
// The complete report's STATUS for SCIP's status code: the text of
// sol_stat.csv where it has one, otherwise the name of the limit or event
// that stopped the solve ("DESCONHECIDO" for anything else).
std::string completeStatusText(int scipMajorVersion, int status);
// Whether a solve ended with what was asked of it: an answer (optimal,
// infeasible, unbounded, either) or a limit set on the answer (gap,
// solutions, primal or dual bound). Limits of time, nodes, memory or
// restarts, an interrupt, SCIP's own stop and errors are no answer.
bool endsWithAnswer(const ModelResult& result);
