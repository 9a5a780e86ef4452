// The initial-solution folders of a batch.
#include "batch/model_folder.h"

#include <iostream>
#include <set>

#include "batch/model_names.h"
#include "platform/files.h"
#include "text/Messages.h"

namespace {

// The initial-solution folders listed in this batch: each once (the workers
// inherit what the program listed before they started), since only a folder
// that cannot be listed is said, and a batch of many models must not list it
// for each of them.
std::set<std::string>& listedInitialFolders() {
    static std::set<std::string> listed;
    return listed;
}

}  // namespace

void forgetListedInitialFolders() { listedInitialFolders().clear(); }

void listInitialSolutionFolder(const std::string& folder) {
    if (listedInitialFolders().insert(folder).second) listFolder(folder);
}

std::optional<std::string> reportInitialSolutionFolder(std::string modelPath) {
    const std::string folder = initialSolutionFolderOfModel(modelPath);
    if (folderExists(folder)) {
        std::cout << msg::initialSolFolderExists;
        listInitialSolutionFolder(folder);
        return folder;
    }
    std::cout << msg::initialSolFolderMissing;
    return std::nullopt;
}
