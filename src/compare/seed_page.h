// The page's section on how a seed run's models vary with the seed: per run
// a table with one strip of seed times per model. Pure: no I/O.
#pragma once

#include <string>
#include <vector>

#include "compare/seed_runs.h"

// Empty without seed runs.
std::string variabilitySection(const std::vector<SeedRun>& runs);
