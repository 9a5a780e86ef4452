// The models of a batch solved side by side in worker processes, their
// console blocks printed in model order and the report kept up to date.
#pragma once

#include <map>
#include <map>
#include <string>
#include <vector>

#include "Functions.h"

struct BatchResult {
    size_t entries = 0;
    size_t finished = 0;   // entries whose block was printed
    int interruptedBy = 0; // SIGINT or SIGTERM when the batch was stopped, else 0
    bool anyError = false; // a model not read or not solved, or a file not written
};

// Solves every entry of `modelPaths` whose name ends in "lp" in
// `settings.jobs` worker processes (one per CPU when 0). Each entry's block
// (dash line, "MODELO i", what its solve printed) goes to standard output in
// entry order, and sol_stat.csv in `outputFolder` is rewritten as each entry
// finishes. SIGINT and SIGTERM stop the batch: the workers end, the
// finished entries keep their rows. Models named in `keptRows` are not
// solved: their rows (whole report lines) are kept as they are.
BatchResult runBatch(const std::vector<std::string>& modelPaths, const std::string& outputFolder,
                     const BatchSettings& settings, const std::map<std::string, std::string>& keptRows);

// CPUs that this process may run on (at least 1).
int availableCpus();
// SCIP's memory limit in MB for each of `jobs` workers: the available memory
// shared out (0 when it cannot be read).
double memoryPerWorkerMb(int jobs);
