// The models of a batch solved side by side in worker processes, their
// console blocks printed in model order and the report kept up to date.
#pragma once

#include <map>
#include <map>
#include <string>
#include <vector>

#include "Functions.h"
#include "Messages.h"

struct BatchResult {
    size_t entries = 0;    // entries of this run
    size_t finished = 0;   // entries whose block was printed
    int interruptedBy = 0; // SIGINT or SIGTERM when the batch was stopped, else 0
    bool anyError = false; // a model not read or not solved, or a file not written
    std::vector<size_t> rowPositions;  // folder positions of the report's rows, in order
    size_t agree = 0, wrong = 0, unreferenced = 0;  // answers checked against known results
};

// What a batch runs on.
struct BatchPlan {
    std::vector<std::string> modelPaths;  // the folder's entries, in listing order
    std::vector<bool> solve;              // per entry: part of this run (empty: all)
    // Rows kept from an earlier run, by model name: one per report.
    std::map<std::string, std::vector<std::string>> keptRows;
    std::vector<std::string> reportNames = {"sol_stat.csv", "sol_stat_completo.csv"};
    std::vector<std::string> reportHeaders = {msg::reportHeader, msg::completeReportHeader};
};

// Solves the entries of `plan` whose names end in "lp" in `settings.jobs`
// worker processes (one per CPU when 0). Each entry's block (dash line,
// "MODELO i", what its solve printed) goes to standard output in entry
// order, and the reports in `outputFolder` are rewritten as each entry
// finishes. SIGINT and SIGTERM stop the batch: the workers end, the finished
// entries keep their rows. Models in `plan.keptRows` are not solved.
BatchResult runBatch(const BatchPlan& plan, const std::string& outputFolder, const BatchSettings& settings);

// CPUs that this process may run on (at least 1).
int availableCpus();
// SCIP's memory limit in MB for each of `jobs` workers: the available memory
// shared out (0 when it cannot be read).
double memoryPerWorkerMb(int jobs);
