// What each part of a sharded batch leaves beside its reports
// (sol_stat.parte-K-de-N.info): the listing it was made from, the folder
// positions of its rows, and whether it finished. merge reads it back.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"

// Name of a part's info file.
std::string partInfoName(const Shard& shard);
// A digest of the entry names of a folder listing (FNV-1a, 64 bits, hex);
// for the models of a list (`modelList`, its file), of the list's path and
// every model's whole path: a list edited between parts is another listing.
std::string listingDigest(const std::vector<std::string>& modelPaths, const std::string& modelList);
// The info's text: listing length and digest; once the part has run
// (`ran`, its batch's result), the positions of the rows of its target
// `target` (a seed's folder; 0 without seeds), the workers and SCIP's memory
// limit for each, and, when every entry of it finished, a last line that
// says so.
std::string partInfoText(const Shard& shard, const std::vector<std::string>& modelPaths, const std::string& modelList,
                         const std::optional<BatchResult>& ran, size_t target = 0);
// Writes the part's info in `outputFolder`; false, with the line that says
// so in `err`, when it cannot.
bool writePartInfo(const std::string& outputFolder, const Shard& shard, const BatchPlan& plan,
                   const std::optional<BatchResult>& ran, size_t target, std::string* err);

// A part's info as read back.
struct PartInfo {
    std::string entries, digest;
    std::vector<size_t> positions;
    bool finished = false;
};
PartInfo readPartInfo(const std::string& text);
