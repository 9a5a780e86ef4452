// mod_lp's batch: the MathProg models of a folder translated in worker
// processes, as many at once as `opt` solves, each entry's block printed
// whole and in folder order, as one process would print it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "batch/batch.h"

struct TranslationResult {
    size_t failures = 0;      // entries that could not be translated
    int interruptedBy = 0;    // SIGINT or SIGTERM when it was stopped by one
    bool listedWhole = true;  // the folder could be listed whole
};

// The name a worker looks mod_lp's job up by; its request is the model's
// path, its result whether the translation succeeded (a bool).
inline constexpr const char* kTranslationJob = "mod_lp";

// Translates the entries (those whose names end in "mod") in `settings.jobs`
// workers (one per CPU when 0). Each entry's block (dash line, "MODELO i
// gerado", what its translation printed) goes out in entry order. SIGINT and
// SIGTERM stop it; the entries not finished then count as failed.
// `folder` holds them (its temporary files of stopped workers are removed).
// The models are handed out by the size of the LP file their earlier
// translation left (engine/hand_out.h): a model's LP file is about as large
// as its translation is costly, so the largest start first and a long one
// does not start last; models never translated before go first, in folder
// order, as their cost is not known.
TranslationResult translateEntries(const std::string& folder, const std::vector<std::string>& entries,
                                   const BatchSettings& settings);
