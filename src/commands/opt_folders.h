// opt's folders around the batch: the checks and the question that only the
// command line or only the shell makes, what becomes of the model folder's
// old report, and the output folder made ready for the batch.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "commands/model_listing.h"
#include "commands/opt_request.h"
#include "commands/held_folders.h"

// The targets' folders under the output folder: the folder itself, or one
// "semente-K" folder per seed, one "variante-NOME" per variant, or a
// variant's folder of seed folders (each with its blocks' label). False
// (said) when a plain batch would go beside a seed or variant run's
// folders, seeds or variants beside a batch's own report (whole or a
// part's), or one kind of run beside the other's folders (none would be
// read as what it is). A fresh run says which such folders already there
// it does not write.
bool placeTargets(std::vector<BatchTarget>& targets, bool seeds, const std::string& outputFolder, Resume resume);
// The targets' folders made when missing (once the models are listed).
// False (said) when one cannot be made.
bool makeTargetFolders(const std::vector<BatchTarget>& targets, bool nested);

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
// The times of the folder `request` names for them (the complete report
// there) into the plan; nothing to read when it names none. False, said
// with the usage, when that folder has no complete report that can be read.
bool readHistory(const OptRequest& request, BatchPlan& plan);
// The targets' folders made ready for the batch `plan` (its shard and
// models set): the times that order the hand-out read (the plan's, else
// each folder's earlier report), temporary files of killed runs removed, an
// earlier journal removed unless `request` resumes, and for a part, its
// entries chosen and its info started; each target described for its
// record, with the command line and SCIP's version.
void prepareBatchOutputs(BatchPlan& plan, const OptRequest& request, const ScipBuild& scip);
// A seed or variant run's folders (`seeds`; the targets' variants), made
// and held for it; true for a batch into the output folder itself.
bool holdTargetFolders(const std::vector<BatchTarget>& targets, bool seeds, const std::optional<Shard>& shard,
                       const std::string& holder, HeldFolders& held);
// --retomar: false (said, naming both) when a target's folder was solved
// under another SCIP than `scip`, as its record (the part's, for a part) says.
bool resumableUnder(const std::vector<BatchTarget>& targets, const std::optional<Shard>& shard, Resume resume,
                    const ScipBuild& scip);
// The rows each target's folder kept of an earlier run (--retomar).
void readTargetsKeptRows(BatchPlan& plan);
