// opt's folders around the batch.
#include "commands/opt_folders.h"

#include <cstdio>
#include <iostream>

#include "batch/model_names.h"
#include "batch/shard.h"
#include "commands/held_folders.h"
#include "commands/merge.h"
#include "platform/console.h"
#include "platform/files.h"
#include "reports/batch_record.h"
#include "reports/output_files.h"
#include "reports/part_info.h"
#include "reports/reports.h"
#include "text/format.h"
#include "text/messages.h"

namespace {

// Whether `folder` holds a batch's own report, whole or a part's.
bool holdsBatchReport(const std::string& folder) {
    return isRegularFile(joinPath(folder, kReportFile)) || isRegularFile(joinPath(folder, kCompleteReportFile)) ||
           holdsParts(folder);
}

// Seed folders of `outputFolder` that this run under `targets` does not
// write, said: comparar reads them with this run's.
void sayOtherSeedFolders(const std::vector<BatchTarget>& targets, const std::string& outputFolder) {
    std::string others, err;
    for (const std::string& name : seedFoldersOf(outputFolder, &err)) {
        bool ours = false;
        for (const BatchTarget& target : targets) ours |= baseName(target.folder) == name;
        if (!ours) others += (others.empty() ? "" : ", ") + name;
    }
    printErrors(err);
    if (!others.empty()) std::fprintf(stderr, msg::seedFoldersBesides, outputFolder.c_str(), others.c_str());
}

}  // namespace

bool placeTargets(std::vector<BatchTarget>& targets, bool seeds, const std::string& outputFolder, Resume resume) {
    if (!seeds) {
        // A batch written beside a seed run's folders would make them one batch's.
        std::string err;
        const bool seedRun = !seedFoldersOf(outputFolder, &err).empty();
        printErrors(err);
        if (seedRun) {
            std::fprintf(stderr, msg::batchIntoSeedFolder, outputFolder.c_str());
            return false;
        }
        targets[0].folder = outputFolder;
        return true;
    }
    if (holdsBatchReport(outputFolder)) {
        std::fprintf(stderr, msg::seedsIntoBatchFolder, outputFolder.c_str());
        return false;
    }
    for (BatchTarget& target : targets) {
        target.folder = joinPath(outputFolder, seedFolderName(*target.settings.seed));
        target.label = formatMessage(msg::blockSeedLabel, *target.settings.seed);
    }
    if (resume == Resume::No) sayOtherSeedFolders(targets, outputFolder);
    return true;
}

bool makeTargetFolders(const std::vector<BatchTarget>& targets) {
    for (const BatchTarget& target : targets) {
        std::string reason;
        if (!prepareOutputFolder(target.folder, &reason)) {
            printErrors(ioErrorLine(msg::outputFolderNotWritable, target.folder, reason));
            return false;
        }
    }
    return true;
}

bool holdSeedFolders(const std::vector<BatchTarget>& targets, bool seeds, const std::optional<Shard>& shard,
                     const std::string& holder, HeldFolders& held) {
    if (!seeds) return true;
    if (!makeTargetFolders(targets)) return false;
    for (const BatchTarget& target : targets) {
        if (!holdFolder(target.folder, shard, holder, held)) return false;
    }
    return true;
}

bool prepareCommandLineOutput(const std::string& lpFolder, const std::string& outputFolder,
                              const std::optional<Shard>& shard) {
    std::string reason;
    if (!prepareOutputFolder(outputFolder, &reason)) {
        printErrors(ioErrorLine(msg::outputFolderNotWritable, outputFolder, reason) + msg::usage);
        return false;
    }
    if (shard && sameFolder(lpFolder, outputFolder)) {
        std::fprintf(stderr, msg::shardIntoModelFolder, outputFolder.c_str());
        std::cerr << msg::usage << std::flush;
        return false;
    }
    return true;
}

bool askOutputFolder(std::string& outputFolder) {
    std::cout << msg::outputFolderPrompt << std::flush;
    if (!readLine(outputFolder)) return false;
    if (!folderExists(outputFolder)) {
        std::cout << msg::outputFolderInvalid << std::flush;
        return false;
    }
    return true;
}

OldReport oldReportFor(const std::string& lpFolder, const std::string& outputFolder, Resume resume,
                       const std::optional<Shard>& shard) {
    // A batch resumed into its own model folder leaves its report in place
    // until the first rewrite replaces it: removed earlier, a kill in between
    // would lose its rows.
    const bool ownFolder = sameFolder(lpFolder, outputFolder);
    if (resume == Resume::KeepRows && ownFolder) return OldReport::LeaveOut;
    // The report of a batch that another run is writing there is not this run's to remove.
    if (!ownFolder && folderHeldByAnother(lpFolder)) return OldReport::LeaveOut;
    // Every part lists the folder as the whole batch would after removing
    // an old report; only the first removes it.
    if (shard) return shard->index > 1 ? OldReport::LeaveOut : OldReport::RemoveAndLeaveOut;
    return OldReport::Remove;
}

bool resumableUnder(const std::vector<BatchTarget>& targets, const std::optional<Shard>& shard, Resume resume,
                    const ScipBuild& scip) {
    if (resume != Resume::KeepRows) return true;
    for (const BatchTarget& target : targets) {
        const std::optional<std::string> record = readTextFile(joinPath(target.folder, recordFileName(shard)));
        if (!record) continue;  // nothing solved there yet, or by a run that kept no record
        const ScipBuild before = recordedScip(*record);
        if (!sameScip(before, scip)) {
            std::fprintf(stderr, msg::resumeOtherScip, target.folder.c_str(), scipBuildText(before).c_str(),
                         scipBuildText(scip).c_str());
            return false;
        }
    }
    return true;
}

void readTargetsKeptRows(BatchPlan& plan) {
    for (BatchTarget& target : plan.targets) target.keptRows = readKeptRows(target.folder, plan.shard);
}

void prepareBatchOutputs(BatchPlan& plan, const OptRequest& request, const ScipBuild& scip) {
    if (plan.shard) plan.solve = shardEntries(plan.modelPaths.size(), *plan.shard);
    for (BatchTarget& target : plan.targets) {
        // Read before any report is rewritten.
        target.earlier = plan.history ? *plan.history : readEarlierTimes(target.folder).value_or(EarlierTimes{});
        removeStaleTempFiles(target.folder);
        // A batch started afresh owes nothing to the journal of an earlier one.
        if (request.resume == Resume::No) removeIfPresent(joinPath(target.folder, journalName(plan.shard)), nullptr);
        std::string err;
        if (plan.shard) writePartInfo(target.folder, *plan.shard, plan, std::nullopt, 0, &err);
        printErrors(err);
        target.record =
            describeBatch(target.settings, request.commandLine, scip, target.settings.scipParameters, plan.modelPaths);
        target.record->modelList = plan.modelList;
    }
}

bool readHistory(const OptRequest& request, BatchPlan& plan) {
    const std::string& folder = request.historyFolder;
    if (folder.empty()) return true;
    plan.history = readEarlierTimes(folder);
    if (plan.history) return true;
    std::fprintf(stderr, msg::historyUnreadable, folder.c_str());
    std::cerr << msg::usage << std::flush;
    return false;
}
