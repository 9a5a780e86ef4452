// How much a seed run's models vary with the seed, as console text and as
// CSV. Pure: no I/O.
#pragma once

#include <string>
#include <vector>

#include "compare/seed_runs.h"

// Per seed run: its seeds, then per model the fastest and slowest seed with
// their times, the coefficient of variation and the expected fastest of 2
// and of 4 seeds. Nothing without seed runs.
std::string variabilityConsole(const std::vector<SeedRun>& runs);
// The same as CSV (a header, one row per model of each run), in the
// reports' number format; an empty field where there are too few seeds.
std::string variabilityCsv(const std::vector<SeedRun>& runs);
