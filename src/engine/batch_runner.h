// A batch from its plan to its result: which entries are solved, kept or
// only shown, what each finished model means, and what the whole batch
// gives. Its workers (workers.h) and what it shows and writes
// (batch_output.h) live apart.
#pragma once

#include <string>

#include "batch/batch.h"

// Solves the entries of `plan` whose names end in one of the formats with `solve`, in
// `settings.jobs` worker processes (one per CPU when 0). Each entry's block
// (dash line, "MODELO i", what its solve printed) goes to standard output in
// entry order, and the reports in `outputFolder` are rewritten as each entry
// finishes. SIGINT and SIGTERM stop the batch: the workers end, the finished
// entries keep their rows. Models in `plan.keptRows` are not solved.
BatchResult runBatch(const BatchPlan& plan, const std::string& outputFolder, const BatchSettings& settings,
                     SolveFunction solve);
