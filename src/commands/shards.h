// A batch split into shards (parts) run apart, for example as the tasks of a
// Slurm job array, and the merge of their reports.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"

// "K/N" with 1 <= K <= N, or "slurm" with K and N taken from a job array's
// task id, lowest id and task count (as Slurm sets them). Nothing otherwise.
std::optional<Shard> parseShard(const std::string& text, const char* taskId, const char* taskMin,
                                const char* taskCount);
// Name of the file that records what a part was made from and whether it finished.
std::string partRecordName(const Shard& shard);
// A digest of the entry names of a folder listing (FNV-1a, 64 bits, hex).
std::string listingDigest(const std::vector<std::string>& modelPaths);
// The record's text: listing length and digest; once the part has run
// (`ran`, its batch's result), the positions of the rows of its target
// `target` (a seed's folder; 0 without seeds), the workers and SCIP's memory
// limit for each, and, when every entry of it finished, a last line that
// says so.
std::string partRecord(const Shard& shard, const std::vector<std::string>& modelPaths,
                       const std::optional<BatchResult>& ran, size_t target = 0);

// Per entry of a listing of `count`: whether it belongs to `shard`.
std::vector<bool> shardEntries(size_t count, const Shard& shard);
// Writes the part's record in `outputFolder` (a failure is said on standard
// error and gives false).
bool writePartRecord(const std::string& outputFolder, const Shard& shard, const std::vector<std::string>& modelPaths,
                     const std::optional<BatchResult>& ran, size_t target = 0);

// Whether `folder` holds a part's report.
bool holdsParts(const std::string& folder);
// merge: joins the finished parts in `outputFolder` into its reports, rows
// in folder order (of a batch under several seeds, those of each seed's
// folder that holds parts into its reports). Says what is missing, unfinished or
// inconsistent on standard error and writes nothing then (into that
// folder). Returns the exit status (0 or 1).
int mergeParts(const std::string& outputFolder);
