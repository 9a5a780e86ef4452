// Part `index` of `count` of a batch (Shard, batch.h): which entries it
// solves, and the part as the command line or a Slurm job array names it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"

// "K/N" with 1 <= K <= N, or "slurm" with K and N taken from a job array's
// task id, lowest id and task count (as Slurm sets them). Nothing otherwise.
std::optional<Shard> parseShard(const std::string& text, const char* taskId, const char* taskMin,
                                const char* taskCount);
// Per entry of a listing of `count`: whether it belongs to `shard`.
std::vector<bool> shardEntries(size_t count, const Shard& shard);
