// A batch run under several seeds (a folder of semente-K/ folders) read as
// one run, and how much its models' times vary with the seed. Pure: no I/O.
#pragma once

#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "batch/model_names.h"
#include "compare/comparison.h"

// The seed folders as one run labelled `label`: per model (those every seed
// holds), the arithmetic mean of its charged times, with the rest of the row
// of the first seed that did not solve it right (status, Z, nodes, CONFERE:
// an error or a wrong answer under any seed counts as that), else of the
// first seed. Its time limit is the longest of the seeds'.
ComparedFolder combineSeeds(const std::string& label, const std::vector<ComparedFolder>& seeds);

// How one model's charged time varies over the seeds.
struct SeedSpread {
    std::string name;
    std::vector<double> seconds;                   // per seed, in the seeds' order
    size_t fastest = 0, slowest = 0;               // the seeds' positions
    double variation = 0.0;                        // sample standard deviation over the mean (0 with one seed)
    std::optional<double> fastestOf2, fastestOf4;  // expected fastest of 2 and of 4 seeds
};
std::vector<SeedSpread> seedSpreads(const std::vector<ComparedFolder>& seeds);
// The models some seed holds and another lacks, each with the first seed
// (its position) that lacks it: they are left out of the run.
std::vector<std::pair<std::string, size_t>> modelsMissing(const std::vector<ComparedFolder>& seeds);

// A compared folder that is a run under several seeds, and its spreads.
struct SeedRun {
    size_t folder = 0;                   // its place among the compared folders
    std::vector<std::string> seedNames;  // its seed folders, in seed order
    std::vector<SeedSpread> spreads;
    std::string label;  // as the comparison shows it
};
