// The models of a batch: a model folder (its old report removed, its
// entries listed, the initial-solution folder beside it looked for) or a
// list of models (every line checked before anything is touched).
#pragma once

#include <optional>
#include <string>
#include <vector>

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

// A list of models that can be the batch: its file's path made absolute and
// the models it names, each a regular file and no two of one name.
struct ModelList {
    std::string file;
    std::vector<std::string> paths;
};
// The list in the file `listPath`; nothing (each fault said on one line, up
// to a few) when it cannot be read, is itself a model under `formats`,
// names nothing, or names a path that is not a file or two of one name.
std::optional<ModelList> readModelList(const std::string& listPath, const std::vector<std::string>& formats);
// Says that the list was found, and which initial-solution folders beside
// its models' folders exist (each listed once).
void announceModelList(const ModelList& list);
