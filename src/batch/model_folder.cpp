// The initial-solution folders of a batch.
#include "batch/model_folder.h"

#include <set>

#include "batch/model_names.h"
#include "platform/files.h"

namespace {

// The initial-solution folders listed in this batch: each once (the workers
// are told what the program listed before it handed them their jobs), since
// only a folder that cannot be listed is said, and a batch of many models
// must not list it for each of them.
std::set<std::string>& listedFolders() {
    static std::set<std::string> listed;
    return listed;
}

}  // namespace

void forgetListedInitialFolders() { listedFolders().clear(); }

std::vector<std::string> listedInitialFolders() { return {listedFolders().begin(), listedFolders().end()}; }

void noteInitialFoldersListed(const std::vector<std::string>& folders) {
    listedFolders().insert(folders.begin(), folders.end());
}

std::string listInitialSolutionFolder(const std::string& folder) {
    std::string err;
    if (listedFolders().insert(folder).second) listFolder(folder, &err);
    return err;
}

std::optional<std::string> initialSolutionFolder(const std::string& modelPath, std::string* err) {
    const std::string folder = initialSolutionFolderOfModel(modelPath);
    if (!folderExists(folder)) return std::nullopt;
    const std::string listing = listInitialSolutionFolder(folder);
    if (err != nullptr) *err = listing;
    return folder;
}
