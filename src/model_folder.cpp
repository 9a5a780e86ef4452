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

FolderListing openModelFolder(const std::string& lpFolder, OldReport oldReport) {
    std::cout << msg::lpFolderFound;
    const std::string reportName = batchReports().front().name;
    const std::string oldReportPath = lpFolder + "/" + reportName;
    if (oldReport != OldReport::LeaveOut) {
        if (::unlink(oldReportPath.c_str()) == 0) {
            std::cout << msg::oldReportRemoved;
        } else if (errno != ENOENT) {
            printIoError(msg::oldReportNotRemoved, oldReportPath, errno);
        }
    }
    removeStaleTempFiles(lpFolder);
    FolderListing listing = collectModels(lpFolder);
    std::vector<std::string>& modelPaths = listing.paths;
    if (oldReport != OldReport::Remove) {
        modelPaths.erase(std::remove_if(modelPaths.begin(), modelPaths.end(),
                                        [&reportName](const std::string& path) { return baseName(path) == reportName; }),
                         modelPaths.end());
    }
    return listing;
}

namespace {

// Lists an initial-solution folder once per process (workers inherit what the
// program listed before they started): only a folder that cannot be listed
// is said, and a batch of many models must not list it for each of them.
void listInitialSolutionFolder(const std::string& folder) {
    static std::set<std::string> listed;
    if (listed.insert(folder).second) listFolder(folder);
}

}  // namespace

FolderListing collectModels(std::string lpFolder) {
    const FolderListing listing = readFolder(lpFolder);
    const std::string initialFolder = initialSolutionFolderOfFolder(lpFolder);
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
