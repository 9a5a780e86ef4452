// The initial-solution folder beside a model folder (or beside a model),
// looked for and listed once per batch.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"

// Lists `folder` once per batch (a folder that cannot be listed is said
// once), so that a batch of many models does not list it for each of them.
void listInitialSolutionFolder(const std::string& folder);
// A new batch lists its folders again.
void forgetListedInitialFolders();
// The folders listed so far, and (in a worker) the ones its program listed.
std::vector<std::string> listedInitialFolders();
void noteInitialFoldersListed(const std::vector<std::string>& folders);
// Says whether the initial-solution folder of a model exists; returns it when it does.
std::optional<std::string> reportInitialSolutionFolder(std::string modelPath);
