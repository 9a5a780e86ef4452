// opt's folders around the batch.
#include "commands/opt_folders.h"

#include <cstdio>
#include <iostream>

#include "batch/model_names.h"
#include "batch/shard.h"
#include "batch/variants.h"
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

// Seed or variant folders of `outputFolder` that this run under `targets`
// does not write, said: comparar reads them with this run's.
void sayOtherFolders(const std::vector<BatchTarget>& targets, const std::string& outputFolder, bool variants) {
    if (!folderExists(outputFolder)) return;  // a variant's folder made by this run holds nothing else
    std::string others, err;
    const std::vector<std::string> names =
        variants ? variantFoldersOf(outputFolder, &err) : seedFoldersOf(outputFolder, &err);
    for (const std::string& name : names) {
        bool ours = false;
        for (const BatchTarget& target : targets) {
            ours |= (variants ? variantFolderName(target.variant) : baseName(target.folder)) == name;
        }
        if (!ours) others += (others.empty() ? "" : ", ") + name;
    }
    printErrors(err);
    if (!others.empty()) {
        std::fprintf(stderr, variants ? msg::variantFoldersBesides : msg::seedFoldersBesides, outputFolder.c_str(),
                     others.c_str());
    }
}

// Whether a batch of this kind may go into `outputFolder`: a batch beside a
// seed or variant run's folders, or those folders beside a batch's own
// report or the other kind's folders, would no longer be read as what they are.
bool fitsOutputFolder(bool seeds, bool variants, const std::string& outputFolder) {
    // A folder not made yet (a variant's, in a new output folder) holds nothing in the way.
    if (!folderExists(outputFolder)) return true;
    std::string err;
    const bool seedRun = !seedFoldersOf(outputFolder, &err).empty();
    const bool variantRun = !variantFoldersOf(outputFolder, &err).empty();
    printErrors(err);
    const char* refusal = nullptr;
    if ((seeds || variants) && holdsBatchReport(outputFolder)) {
        refusal = variants ? msg::variantsIntoBatchFolder : msg::seedsIntoBatchFolder;
    } else if (seedRun && variants) {
        refusal = msg::variantsIntoSeedFolder;
    } else if (seedRun && !seeds) {
        refusal = msg::batchIntoSeedFolder;
    } else if (variantRun && !variants) {
        refusal = msg::batchIntoVariantFolder;
    }
    if (refusal != nullptr) std::fprintf(stderr, refusal, outputFolder.c_str());
    return refusal == nullptr;
}

}  // namespace

bool placeTargets(std::vector<BatchTarget>& targets, bool seeds, const std::string& outputFolder, Resume resume) {
    const bool variants = !targets[0].variant.empty();
    if (!fitsOutputFolder(seeds, variants, outputFolder)) return false;
    // Each variant's folder is the output folder of its seeds, or of its one batch.
    for (size_t t = 0; variants && t < targets.size(); ++t) {
        if (!fitsOutputFolder(seeds, false, joinPath(outputFolder, variantFolderName(targets[t].variant)))) {
            return false;
        }
    }
    if (!seeds && !variants) {
        targets[0].folder = outputFolder;
        return true;
    }
    for (BatchTarget& target : targets) {
        const std::string folder = variants ? joinPath(outputFolder, variantFolderName(target.variant)) : outputFolder;
        target.folder = seeds ? joinPath(folder, seedFolderName(*target.settings.seed)) : folder;
        target.label = !variants ? formatMessage(msg::blockSeedLabel, *target.settings.seed)
                       : seeds
                           ? formatMessage(msg::blockVariantSeedLabel, target.variant.c_str(), *target.settings.seed)
                           : formatMessage(msg::blockVariantLabel, target.variant.c_str());
    }
    if (resume == Resume::No) sayOtherFolders(targets, outputFolder, variants);
    return true;
}

bool makeTargetFolders(const std::vector<BatchTarget>& targets, bool nested) {
    for (const BatchTarget& target : targets) {
        // A variant's seed folder goes into its variant's folder, made first.
        for (const std::string& folder : nested ? std::vector<std::string>{parentFolder(target.folder), target.folder}
                                                : std::vector<std::string>{target.folder}) {
            std::string reason;
            if (!prepareOutputFolder(folder, &reason)) {
                printErrors(ioErrorLine(msg::outputFolderNotWritable, folder, reason));
                return false;
            }
        }
    }
    return true;
}

bool holdTargetFolders(const std::vector<BatchTarget>& targets, bool seeds, const std::optional<Shard>& shard,
                       const std::string& holder, HeldFolders& held) {
    const bool variants = !targets[0].variant.empty();
    if (!seeds && !variants) return true;
    if (!makeTargetFolders(targets, seeds && variants)) return false;
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
        for (const Variant& variant : request.variants) {
            if (variant.name == target.variant) target.record->variantFile = variant.settingsFile;
        }
        target.record->variant = target.variant;
        // One start for the whole batch: its variants are told apart from other batches by it.
        target.record->startTime = plan.targets[0].record->startTime;
        target.record->variantOrder = variantOrderText(request.variants);
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
