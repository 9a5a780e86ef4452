// The model folder of a batch.
#include "commands/model_listing.h"

#include <algorithm>
#include <cerrno>
#include <iostream>

#include "batch/model_folder.h"
#include "batch/model_names.h"
#include "reports/output_files.h"
#include "text/messages.h"

FolderListing collectModels(const std::string& lpFolder, OldReport oldReport, IncompleteListing incomplete) {
    std::cout << msg::lpFolderFound;
    removeStaleTempFiles(lpFolder);
    FolderListing listing = readFolder(lpFolder);
    // A folder refused for an incomplete listing is left as it was.
    if (!listing.whole && incomplete == IncompleteListing::Refuse) return listing;
    const std::string reportName = kReportFile;
    const std::string oldReportPath = lpFolder + "/" + reportName;
    bool leaveOut = oldReport != OldReport::Remove;
    if (oldReport != OldReport::LeaveOut) {
        const int error = removeFile(oldReportPath);
        if (error == 0) {
            std::cout << msg::oldReportRemoved;
            leaveOut = true;  // it is gone
        } else if (error != ENOENT) {
            printIoError(msg::oldReportNotRemoved, oldReportPath, error);
        }
    }
    if (leaveOut) {
        std::vector<std::string>& paths = listing.paths;
        paths.erase(std::remove_if(paths.begin(), paths.end(),
                                   [&reportName](const std::string& path) { return baseName(path) == reportName; }),
                    paths.end());
    }
    const std::string initialFolder = initialSolutionFolderOfFolder(lpFolder);
    forgetListedInitialFolders();  // a new batch lists them again
    if (folderExists(initialFolder)) {
        std::cout << msg::initialSolFolderExists;
        listInitialSolutionFolder(initialFolder);
    } else {
        std::cout << msg::initialSolFolderMissing;
    }
    return listing;
}
