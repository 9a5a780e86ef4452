// The model folder of a batch, and the initial-solution folders.
#include "model_folder.h"

#include <algorithm>
#include <cerrno>
#include <iostream>
#include <set>

#include <unistd.h>

#include "Messages.h"
#include "files.h"
#include "reports.h"

namespace {

// The initial-solution folders listed in this batch: each once (the workers
// inherit what the program listed before they started), since only a folder
// that cannot be listed is said, and a batch of many models must not list it
// for each of them.
std::set<std::string>& listedInitialFolders() {
    static std::set<std::string> listed;
    return listed;
}

void listInitialSolutionFolder(const std::string& folder) {
    if (listedInitialFolders().insert(folder).second) listFolder(folder);
}

}  // namespace

FolderListing collectModels(const std::string& lpFolder, OldReport oldReport, IncompleteListing incomplete) {
    std::cout << msg::lpFolderFound;
    removeStaleTempFiles(lpFolder);
    FolderListing listing = readFolder(lpFolder);
    // A folder refused for an incomplete listing is left as it was.
    if (!listing.whole && incomplete == IncompleteListing::Refuse) return listing;
    const std::string reportName = batchReports().front().name;
    const std::string oldReportPath = lpFolder + "/" + reportName;
    bool leaveOut = oldReport != OldReport::Remove;
    if (oldReport != OldReport::LeaveOut) {
        if (::unlink(oldReportPath.c_str()) == 0) {
            std::cout << msg::oldReportRemoved;
            leaveOut = true;  // it is gone
        } else if (errno != ENOENT) {
            printIoError(msg::oldReportNotRemoved, oldReportPath, errno);
        }
    }
    if (leaveOut) {
        std::vector<std::string>& paths = listing.paths;
        paths.erase(std::remove_if(paths.begin(), paths.end(),
                                   [&reportName](const std::string& path) { return baseName(path) == reportName; }),
                    paths.end());
    }
    const std::string initialFolder = initialSolutionFolderOfFolder(lpFolder);
    listedInitialFolders().clear();  // a new batch lists them again
    if (folderExists(initialFolder)) {
        std::cout << msg::initialSolFolderExists;
        listInitialSolutionFolder(initialFolder);
    } else {
        std::cout << msg::initialSolFolderMissing;
    }
    return listing;
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
