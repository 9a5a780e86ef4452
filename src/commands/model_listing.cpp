// The models of a batch: a model folder's entries, or a list's models.
#include "commands/model_listing.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <set>

#include "batch/model_folder.h"
#include "batch/model_list.h"
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

namespace {

// The most faults of a list said one by one; the rest are counted.
constexpr size_t kFaultsSaid = 20;

// Every fault of the listed `models`: a path that is not a file, two that
// would be one in the output folder.
std::vector<std::string> listFaults(const std::string& file, const std::vector<ListedModel>& models) {
    std::vector<std::string> faults;
    for (const ListedModel& model : models) {
        if (!isRegularFile(model.path)) {
            faults.push_back(formatMessage(msg::modelListNotAFile, file.c_str(), model.line, model.path.c_str()));
        }
    }
    for (const auto& [first, second] : sameNamePairs(models)) {
        const ListedModel &a = models[first], &b = models[second];
        const std::string name = baseName(a.path);
        faults.push_back(name == baseName(b.path)
                             ? formatMessage(msg::modelListSameName, file.c_str(), a.line, b.line, name.c_str(),
                                             a.path.c_str(), b.path.c_str())
                             : formatMessage(msg::modelListSameSolution, file.c_str(), a.line, b.line, a.path.c_str(),
                                             b.path.c_str(), solutionFileName(name).c_str()));
    }
    return faults;
}

// Whether the list's file name is a model's (an ending SCIP reads, or one of `formats`, after a dot).
bool namesAModel(const std::string& name, const std::vector<std::string>& formats) {
    return hasScipModelEnding(name) || std::any_of(formats.begin(), formats.end(),
                                                   [&name](const std::string& f) { return endsWith(name, "." + f); });
}

// The models of a list, each in its folder's real path: the initial-solution
// folder beside it is then the one beside its real folder ("../x.lp" too),
// and each folder is one path however the list spells it.
std::vector<ListedModel> modelsInRealFolders(const std::string& text, const std::string& listFolder) {
    std::vector<ListedModel> models = listedModels(text, listFolder);
    for (ListedModel& model : models) {
        if (const std::optional<std::string> folder = realPath(parentFolder(model.path))) {
            model.path = joinPath(*folder, baseName(model.path));
        }
    }
    return models;
}

}  // namespace

std::optional<ModelList> readModelList(const std::string& listPath, const std::vector<std::string>& formats) {
    // Read where its links lead, as the Slurm script reads it.
    const std::string file = realPath(listPath).value_or(listPath);
    if (namesAModel(baseName(file), formats)) {
        std::fprintf(stderr, msg::modelListIsAModel, listPath.c_str());
        return std::nullopt;
    }
    const std::optional<std::string> text = readTextFile(file);
    if (!text || holdsNul(*text)) {
        std::fprintf(stderr, text ? msg::modelListNotText : msg::modelListUnreadable, listPath.c_str());
        return std::nullopt;
    }
    const std::vector<ListedModel> models = modelsInRealFolders(*text, parentFolder(file));
    if (models.empty()) {
        std::fprintf(stderr, msg::modelListEmpty, listPath.c_str());
        return std::nullopt;
    }
    const std::vector<std::string> faults = listFaults(listPath, models);
    for (size_t i = 0; i < faults.size() && i < kFaultsSaid; ++i) std::cerr << faults[i];
    if (faults.size() > kFaultsSaid) {
        std::fprintf(stderr, msg::modelListMoreFaults, listPath.c_str(), faults.size() - kFaultsSaid);
    }
    std::cerr << std::flush;
    if (!faults.empty()) return std::nullopt;
    ModelList list{file, {}};
    for (const ListedModel& model : models) list.paths.push_back(model.path);
    return list;
}

void announceModelList(const ModelList& list) {
    const size_t count = list.paths.size();
    std::cout << (count == 1 ? std::string(msg::modelListFoundOne) : formatMessage(msg::modelListFound, count));
    forgetListedInitialFolders();  // a new batch lists them again
    std::set<std::string> seen;
    bool any = false;
    for (const std::string& path : list.paths) {
        const std::string folder = initialSolutionFolderOfModel(path);
        if (!seen.insert(folder).second || !folderExists(folder)) continue;
        any = true;
        std::cout << formatMessage(msg::initialSolFolderOfList, folder.c_str()) << std::flush;
        printErrors(listInitialSolutionFolder(folder));
    }
    if (!any) std::cout << msg::initialSolFolderMissing;
    std::cout << std::flush;
}
