// opt: the folders and SCIP's parameters checked, the models listed, the batch run.
#include "commands/opt_command.h"

#include <iostream>

#include "batch/model_list.h"
#include "commands/held_folders.h"
#include "commands/model_listing.h"
#include "commands/opt_folders.h"
#include "commands/parameter_check.h"
#include "engine/batch_runner.h"
#include "platform/console.h"
#include "platform/files.h"
#include "reports/part_info.h"
#include "text/messages.h"

OptResult optimizeFolder(const BatchSettings& settings) {
    std::cout << msg::lpFolderPrompt << std::flush;
    OptRequest request;
    if (!readLine(request.lpFolder)) return {};
    return runOpt(request, settings);
}

namespace {

// The batch's models into `plan`: the list's, or the model folder's entries
// (its old report dealt with). False when the command line's folder could
// not be listed whole: it never solves part of one; the shell solves what it found.
bool listModels(const OptRequest& request, const std::optional<ModelList>& list, BatchPlan& plan) {
    if (list) {
        announceModelList(*list);
        plan.modelPaths = list->paths;
        plan.modelList = list->file;
        return true;
    }
    const bool commandLine = request.caller == Caller::CommandLine;
    const FolderListing listing = collectModels(
        request.lpFolder, oldReportFor(request.lpFolder, plan.targets[0].folder, request.resume, request.shard),
        commandLine ? IncompleteListing::Refuse : IncompleteListing::Accept);
    plan.modelPaths = listing.paths;
    return listing.whole || !commandLine;
}

}  // namespace

OptResult runOpt(const OptRequest& request, const BatchSettings& settings) {
    OptResult result;
    // The folders this run writes, held until it ends (its part's info written).
    HeldFolders locks;
    const std::string holder = lockHolder(request.commandLine);
    BatchPlan plan;
    if (!readHistory(request, plan)) return result;
    // The shell asks for the output folder once the models are listed; the
    // command line makes it ready first, and is stricter with both folders.
    const bool commandLine = request.caller == Caller::CommandLine;
    // On the command line a file is a list of models, read whole before anything is touched.
    std::optional<ModelList> list;
    BatchSettings batchSettings = settings;
    if (commandLine && isRegularFile(request.lpFolder)) {
        list = readModelList(request.lpFolder, settings.formats);
        if (!list) return result;
        batchSettings.formats = listFormats(list->paths, settings.formats);  // every listed file is a model
    } else if (!folderExists(request.lpFolder)) {
        // In the shell a folder that is not there is said with the prompts;
        // on the command line it is an error, with the usage.
        (commandLine ? std::cerr : std::cout) << msg::lpFolderInvalid << (commandLine ? msg::usage : "") << std::flush;
        return result;
    }
    // SCIP's parameters are checked, in a child process, before anything is touched.
    std::optional<CheckedTargets> checked = checkTargets(request.scip, request.seeds, request.variants, batchSettings);
    if (!checked) return result;
    plan.shard = request.shard;
    plan.targets = std::move(checked->targets);
    const bool seeds = !request.seeds.empty();
    std::string outputFolder = request.outputFolder;
    if (commandLine && !(prepareCommandLineOutput(request.lpFolder, outputFolder, request.shard) &&
                         holdFolder(outputFolder, request.shard, holder, locks) &&
                         placeTargets(plan.targets, seeds, outputFolder, request.resume) &&
                         resumableUnder(plan.targets, request.shard, request.resume, checked->scip) &&
                         holdTargetFolders(plan.targets, seeds, request.shard, holder, locks))) {
        return result;
    }
    // Rows kept from an earlier run are read before the model folder's old
    // report is removed (the two folders may be one).
    if (request.resume == Resume::KeepRows) readTargetsKeptRows(plan);
    if (!listModels(request, list, plan)) return result;
    if (!commandLine && !(askOutputFolder(outputFolder) && holdFolder(outputFolder, request.shard, holder, locks) &&
                          placeTargets(plan.targets, seeds, outputFolder, request.resume) &&
                          holdTargetFolders(plan.targets, seeds, request.shard, holder, locks))) {
        return result;
    }
    prepareBatchOutputs(plan, request, checked->scip);
    const BatchResult batch = runBatch(plan);
    result.interruptedBy = batch.interruptedBy;
    result.exitStatus = batch.anyError || batch.wrong > 0 ? 1 : 0;
    // The record says the part finished only when every entry of it did.
    for (size_t t = 0; request.shard && t < plan.targets.size(); ++t) {
        std::string err;
        if (!writePartInfo(plan.targets[t].folder, *request.shard, plan, batch, t, &err)) {
            printErrors(err);
            result.exitStatus = 1;
        }
    }
    return result;
}
