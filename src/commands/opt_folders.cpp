// opt's folders around the batch.
#include "commands/opt_folders.h"

#include <cstdio>
#include <iostream>

#include "commands/shards.h"
#include "platform/console.h"
#include "platform/files.h"
#include "reports/reports.h"
#include "text/Messages.h"

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

void prepareBatchOutput(const std::string& outputFolder, Resume resume, BatchPlan& plan) {
    removeStaleTempFiles(outputFolder);
    // A batch started afresh owes nothing to the journal of an earlier one.
    if (resume == Resume::No) removeIfPresent(joinPath(outputFolder, journalName(plan.shard)));
    if (plan.shard) {
        plan.solve = shardEntries(plan.modelPaths.size(), *plan.shard);
        writePartRecord(outputFolder, *plan.shard, plan.modelPaths, std::nullopt);
    }
}
