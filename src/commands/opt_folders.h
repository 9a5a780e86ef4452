// opt's folders around the batch: the checks and the question that only the
// command line or only the shell makes, what becomes of the model folder's
// old report, and the output folder made ready for the batch.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "commands/model_listing.h"

// A batch's targets with SCIP's parameters checked: one, or one per seed of
// `seeds`, each checked with its seed as --semente K would be. Nothing, after
// the check's message, when SCIP refused them (or is missing and parameters
// were asked for).
struct CheckedTargets {
    std::vector<BatchTarget> targets;
    std::string scipVersion;
};
std::optional<CheckedTargets> checkTargets(const ScipRequest& scip, const std::vector<int>& seeds,
                                           const BatchSettings& settings);
// The targets' folders under the output folder: the folder itself, or one
// "semente-K" folder per seed, made when missing. False (said) when a seed
// folder cannot be made, or when the output folder holds a batch's own
// report (its seed folders would not be read as one run).
bool placeTargets(std::vector<BatchTarget>& targets, bool seeds, const std::string& outputFolder);

// The command line's output folder: made when only its last folder is
// missing. False (said, with the usage) when no file can be made in it, or
// when a part of a batch would write into its own model folder.
bool prepareCommandLineOutput(const std::string& lpFolder, const std::string& outputFolder,
                              const std::optional<Shard>& shard);
// The shell's question for the output folder, asked once the models are
// listed. False when nothing was typed, or (said) when it is not a folder.
bool askOutputFolder(std::string& outputFolder);
// What becomes of the model folder's old report in this batch.
OldReport oldReportFor(const std::string& lpFolder, const std::string& outputFolder, Resume resume,
                       const std::optional<Shard>& shard);
// The targets' folders made ready for the batch `plan` (its shard and
// models set): the times that order the hand-out read (`history`'s, else
// each folder's earlier report), temporary files of killed runs removed, an
// earlier journal removed unless resuming, and for a part, its entries
// chosen and its record started.
void prepareBatchOutputs(BatchPlan& plan, Resume resume, const std::optional<EarlierTimes>& history);
