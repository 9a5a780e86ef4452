// The model folder of a batch.
#include "commands/model_listing.h"

#include <algorithm>
#include <iostream>

#include "batch/model_folder.h"
#include "batch/model_names.h"
#include "platform/console.h"
#include "platform/folder_lock.h"
#include "reports/output_files.h"
#include "text/format.h"
#include "text/messages.h"

FolderListing collectModels(const std::string& lpFolder, OldReport oldReport, IncompleteListing incomplete) {
    std::cout << msg::lpFolderFound;
    removeStaleTempFiles(lpFolder);
    FolderListing listing = readFolder(lpFolder);
    printErrors(listing.error);
    // A folder refused for an incomplete listing is left as it was.
    if (!listing.whole && incomplete == IncompleteListing::Refuse) return listing;
    const std::string reportName = kReportFile;
    const std::string oldReportPath = lpFolder + "/" + reportName;
    bool leaveOut = oldReport != OldReport::Remove;
    if (oldReport != OldReport::LeaveOut) {
        std::string reason;
        bool removed = false;
        if (!removeFile(oldReportPath, removed, &reason)) {
            printErrors(ioErrorLine(msg::oldReportNotRemoved, oldReportPath, reason));
        } else if (removed) {
            std::cout << msg::oldReportRemoved;
            leaveOut = true;  // it is gone
        }
    }
    std::vector<std::string>& paths = listing.paths;
    // A run's lock files, when the output folder is the model folder, are no entries.
    paths.erase(std::remove_if(paths.begin(), paths.end(),
                               [](const std::string& path) { return baseName(path).rfind(kLockFile, 0) == 0; }),
                paths.end());
    if (leaveOut) {
        paths.erase(std::remove_if(paths.begin(), paths.end(),
                                   [&reportName](const std::string& path) { return baseName(path) == reportName; }),
                    paths.end());
    }
    const std::string initialFolder = initialSolutionFolderOfFolder(lpFolder);
    forgetListedInitialFolders();  // a new batch lists them again
    if (folderExists(initialFolder)) {
        std::cout << msg::initialSolFolderExists;
        printErrors(listInitialSolutionFolder(initialFolder));
    } else {
        std::cout << msg::initialSolFolderMissing;
    }
    return listing;
}

std::optional<std::string> reportInitialSolutionFolder(const std::string& modelPath) {
    std::string err;
    const std::optional<std::string> folder = initialSolutionFolder(modelPath, &err);
    std::cout << (folder ? msg::initialSolFolderExists : msg::initialSolFolderMissing);
    printErrors(err);
    return folder;
}
