// The initial-solution folder beside a model folder (or beside a model),
// looked for and listed once per batch.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"

// Lists `folder` once per batch, so that a batch of many models does not
// list it for each of them; returns the line that says it cannot be listed
// (once), or "".
std::string listInitialSolutionFolder(const std::string& folder);
// A new batch lists its folders again.
void forgetListedInitialFolders();
// The folders listed so far, and (in a worker) the ones its program listed.
std::vector<std::string> listedInitialFolders();
void noteInitialFoldersListed(const std::vector<std::string>& folders);
// The initial-solution folder of a model, listed, when it exists; a folder
// that cannot be listed is said in `err`.
std::optional<std::string> initialSolutionFolder(const std::string& modelPath, std::string* err);
