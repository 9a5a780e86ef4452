// mod_lp: every MathProg model (.mod) of a folder translated into an LP
// file, each in a worker.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "batch/batch.h"
#include "commands/model_listing.h"
#include "engine/translations.h"
#include "process/worker.h"

// Asks for a folder and translates every .mod file into an .lp file, in
// `settings.jobs` workers.
TranslationResult convertFolder(const BatchSettings& settings);
// The same on a folder given at once; nothing when it is not a folder.
// `incomplete` says whether a folder that cannot be listed whole is
// translated as far as it was listed, or not at all.
std::optional<TranslationResult> convertFolderAt(const std::string& folder, const BatchSettings& settings,
                                                 IncompleteListing incomplete);

// The job of a translating worker: the model a request names translated,
// what GLPK says of it printed, and whether it went well as the answer.
std::string translationJob(const std::string& request, const Task& task,
                           const std::function<void(const std::string&)>& starting);
