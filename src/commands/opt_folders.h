// opt's folders around the batch: the checks and the question that only the
// command line or only the shell makes, what becomes of the model folder's
// old report, and the output folder made ready for the batch.
#pragma once

#include <optional>
#include <string>

#include "batch/batch.h"
#include "commands/model_listing.h"

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
// The output folder made ready for the batch `plan` (its shard and models
// set): temporary files of killed runs removed, an earlier journal removed
// unless resuming, and for a part, its entries chosen and its record started.
void prepareBatchOutput(const std::string& outputFolder, Resume resume, BatchPlan& plan);
