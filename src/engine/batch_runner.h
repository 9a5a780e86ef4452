// A batch from its plan to its result: which entries are solved, kept or
// only shown, what each finished model means, and what the whole batch
// gives. Its workers (process/worker_pool.h) and what it shows and writes
// (batch_output.h) live apart.
#pragma once

#include <string>

#include "batch/batch.h"
#include "process/worker_pool.h"  // JobRunner

// Solves the entries of `plan` whose names end in one of the formats, once
// per target (`plan.targets`, at least one; the first's jobs, memory, time
// limit and racing hold for all), in the first's `jobs` worker processes
// (one per CPU when 0) that run opt's job, or on `runner` when one is given
// (a test's stand-in for the workers). Each entry's block (dash line, "MODELO i",
// what its solve printed) goes to standard output in entry order, then
// target order, and each target's reports in its folder are rewritten as
// its entries finish. SIGINT and SIGTERM stop the batch: the workers end,
// the finished entries keep their rows. Models in a target's `keptRows` are
// not solved for it.
BatchResult runBatch(const BatchPlan& plan, JobRunner* runner = nullptr);
