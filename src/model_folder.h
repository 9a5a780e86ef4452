// The model folder of a batch: its old report removed, its entries listed,
// and the initial-solution folder beside it (or beside a model) looked for.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "files.h"

// What becomes of an old "sol_stat.csv" in the model folder.
enum class OldReport {
    Remove,            // removed; one that cannot be removed stays an entry
    RemoveAndLeaveOut, // removed, and never an entry
    LeaveOut,          // left where it is, and never an entry (parts after the first)
};

// Says that the model folder (which exists) was found, deals with its old
// report, lists it and says whether its initial-solution folder exists.
FolderListing openModelFolder(const std::string& lpFolder, OldReport oldReport);
// The entries of the model folder; says whether its initial-solution folder exists.
FolderListing collectModels(std::string lpFolder);
// Says whether the initial-solution folder of a model exists; returns it when it does.
std::optional<std::string> reportInitialSolutionFolder(std::string modelPath);
