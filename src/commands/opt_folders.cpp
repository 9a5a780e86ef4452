// opt's folders around the batch.
#include "commands/opt_folders.h"

#include <cstdio>
#include <iostream>

#include "batch/model_names.h"
#include "commands/parameter_check.h"
#include "commands/shards.h"
#include "platform/console.h"
#include "platform/files.h"
#include "reports/reports.h"
#include "text/Messages.h"

std::optional<CheckedTargets> checkTargets(const ScipRequest& scip, const std::vector<int>& seeds,
                                           const BatchSettings& settings) {
    CheckedTargets checked;
    const std::vector<std::optional<int>> targetSeeds =
        seeds.empty() ? std::vector<std::optional<int>>{scip.seed} : std::vector<std::optional<int>>(seeds.begin(), seeds.end());
    for (const std::optional<int>& seed : targetSeeds) {
        ScipRequest request = scip;
        request.seed = seed;
        const ParameterCheck check = checkBatchParameters(request, settings.timeLimit);
        // Without SCIP the batch goes on when none were asked for: each
        // model then says that SCIP could not be loaded.
        const bool asked = !request.parameterFile.empty() || !request.parameters.empty() || request.seed;
        if (check.state == ParameterCheck::Refused || (check.state == ParameterCheck::ScipMissing && asked)) {
            std::cerr << check.message << std::flush;
            return std::nullopt;
        }
        BatchTarget target;
        target.settings = settings;
        target.settings.seed = seed;
        target.settings.scipParameters = check.changed;
        checked.targets.push_back(std::move(target));
        checked.scipVersion = check.scipVersion;
    }
    return checked;
}

bool placeTargets(std::vector<BatchTarget>& targets, bool seeds, const std::string& outputFolder) {
    if (!seeds) {
        targets[0].folder = outputFolder;
        return true;
    }
    if (isRegularFile(joinPath(outputFolder, kCompleteReportFile))) {
        std::fprintf(stderr, msg::seedsIntoBatchFolder, outputFolder.c_str());
        return false;
    }
    for (BatchTarget& target : targets) {
        target.folder = joinPath(outputFolder, seedFolderName(*target.settings.seed));
        if (const int error = prepareOutputFolder(target.folder)) {
            printIoError(msg::outputFolderNotWritable, target.folder, error);
            return false;
        }
    }
    return true;
}

bool prepareCommandLineOutput(const std::string& lpFolder, const std::string& outputFolder,
                              const std::optional<Shard>& shard) {
    if (const int error = prepareOutputFolder(outputFolder)) {
        printIoError(msg::outputFolderNotWritable, outputFolder, error);
        std::cerr << msg::usage << std::flush;
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
    if (resume == Resume::KeepRows && sameFolder(lpFolder, outputFolder)) return OldReport::LeaveOut;
    // Every part lists the folder as the whole batch would after removing
    // an old report; only the first removes it.
    if (shard) return shard->index > 1 ? OldReport::LeaveOut : OldReport::RemoveAndLeaveOut;
    return OldReport::Remove;
}

void prepareBatchOutputs(BatchPlan& plan, Resume resume, const std::optional<EarlierTimes>& history) {
    if (plan.shard) plan.solve = shardEntries(plan.modelPaths.size(), *plan.shard);
    for (BatchTarget& target : plan.targets) {
        // Read before any report is rewritten.
        target.earlier = history ? *history : readEarlierTimes(target.folder).value_or(EarlierTimes{});
        removeStaleTempFiles(target.folder);
        // A batch started afresh owes nothing to the journal of an earlier one.
        if (resume == Resume::No) removeIfPresent(joinPath(target.folder, journalName(plan.shard)));
        if (plan.shard) writePartRecord(target.folder, *plan.shard, plan.modelPaths, std::nullopt);
    }
}
