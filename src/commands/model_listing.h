// The model folder of a batch: its old report removed, its entries listed,
// and the initial-solution folder beside it looked for.
#pragma once

#include <optional>
#include <string>

#include "platform/files.h"

// What becomes of an old "sol_stat.csv" in the model folder.
enum class OldReport {
    Remove,             // removed; one that cannot be removed stays an entry
    RemoveAndLeaveOut,  // removed, and never an entry
    LeaveOut,           // left where it is, and never an entry (parts after the first)
};

// What becomes of a model folder that cannot be listed whole.
enum class IncompleteListing {
    Accept,  // the entries found form the batch
    Refuse,  // the folder is left as it was (its old report too)
};

// Says that the model folder (which exists) was found, lists it, deals with
// its old report and says whether its initial-solution folder exists.
FolderListing collectModels(const std::string& lpFolder, OldReport oldReport, IncompleteListing incomplete);
// Says whether the initial-solution folder of a model exists; returns it when it does.
std::optional<std::string> reportInitialSolutionFolder(const std::string& modelPath);
