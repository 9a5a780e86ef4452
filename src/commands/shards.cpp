// Shards of a batch: which entries a part solves, the record it leaves, and
// the merge of the parts' reports.
#include "commands/shards.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>

#include "platform/files.h"
#include "reports/batch_record.h"
#include "reports/reports.h"
#include "text/messages.h"
#include "text/format.h"

namespace {

// A whole number that an int holds, nothing else.
std::optional<long> wholeNumber(const char* text) {
    if (text == nullptr) return std::nullopt;
    const auto value = parseWholeNumber(text, kLargestInt);
    return value ? std::optional<long>(static_cast<long>(*value)) : std::nullopt;
}

struct PartRecord {
    std::string entries, digest;
    std::vector<size_t> positions;
    bool finished = false;
};

PartRecord readRecord(const std::string& text) {
    PartRecord record;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "entradas") words >> record.entries;
        if (key == "nomes") words >> record.digest;
        if (key == "linhas") {
            size_t position = 0;
            while (words >> position) record.positions.push_back(position);
        }
        if (key == "concluida") record.finished = true;
    }
    return record;
}

}  // namespace

std::optional<Shard> parseShard(const std::string& text, const char* taskId, const char* taskMin,
                                const char* taskCount) {
    Shard shard;
    if (text == "slurm") {
        const std::optional<long> id = wholeNumber(taskId);
        const std::optional<long> min = wholeNumber(taskMin);
        const std::optional<long> count = wholeNumber(taskCount);
        if (!id || !min || !count || *id < *min) return std::nullopt;
        shard.index = static_cast<int>(*id - *min + 1);
        shard.count = static_cast<int>(*count);
    } else {
        const size_t slash = text.find('/');
        if (slash == std::string::npos) return std::nullopt;
        const std::optional<long> index = wholeNumber(text.substr(0, slash).c_str());
        const std::optional<long> count = wholeNumber(text.substr(slash + 1).c_str());
        if (!index || !count) return std::nullopt;
        shard.index = static_cast<int>(*index);
        shard.count = static_cast<int>(*count);
    }
    if (shard.index < 1 || shard.index > shard.count) return std::nullopt;
    return shard;
}

std::string partRecordName(const Shard& shard) { return partName(kPartRecordFile, shard); }

std::string listingDigest(const std::vector<std::string>& modelPaths) {
    uint64_t hash = 1469598103934665603ULL;
    for (const std::string& path : modelPaths) {
        for (const char c : baseName(path) + '\0') {
            hash ^= static_cast<unsigned char>(c);
            hash *= 1099511628211ULL;
        }
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string partRecord(const Shard& shard, const std::vector<std::string>& modelPaths,
                       const std::optional<BatchResult>& ran, size_t target) {
    std::string text = "LoteOtimizador parte " + std::to_string(shard.index) + " de " + std::to_string(shard.count) +
                       "\nentradas " + std::to_string(modelPaths.size()) + "\nnomes " + listingDigest(modelPaths) +
                       "\nlinhas";
    if (ran) {
        for (size_t position : ran->rowPositions.at(target)) text += " " + std::to_string(position);
    }
    text += "\n";
    if (ran) {
        char memory[64];
        std::snprintf(memory, sizeof memory, "%.0f", ran->memoryPerWorkerMb);
        text += "processos " + std::to_string(ran->workers) + "\nmemoria_por_processo_mb " + memory + "\n";
        if (ran->interruptedBy == 0 && ran->finished == ran->entries) text += "concluida\n";
    }
    return text;
}

std::vector<bool> shardEntries(size_t count, const Shard& shard) {
    std::vector<bool> entries(count);
    for (size_t i = 0; i < count; ++i)
        entries[i] = static_cast<int>(i % static_cast<size_t>(shard.count)) == shard.index - 1;
    return entries;
}

bool writePartRecord(const std::string& outputFolder, const Shard& shard, const std::vector<std::string>& modelPaths,
                     const std::optional<BatchResult>& ran, size_t target) {
    const std::string path = joinPath(outputFolder, partRecordName(shard));
    if (const int error = replaceFile(outputFolder, path, partRecord(shard, modelPaths, ran, target))) {
        printIoError(msg::reportNotWritten, path, error);
        return false;
    }
    return true;
}

namespace {

// The parts' count, from the names of the part reports found; nothing,
// after a message, when there are none or their counts differ.
std::optional<int> partCount(const std::string& outputFolder) {
    std::map<int, int> counts;
    for (const std::string& path : listFolder(outputFolder)) {
        if (const std::optional<Shard> part = partOfFile(baseName(path), kReportFile)) ++counts[part->count];
    }
    if (counts.empty()) {
        std::fprintf(stderr, msg::mergeNoParts, outputFolder.c_str());
        return std::nullopt;
    }
    if (counts.size() > 1) {
        std::fprintf(stderr, msg::mergeMixedCounts, outputFolder.c_str());
        return std::nullopt;
    }
    return counts.begin()->first;
}

// The records of all `count` parts; nothing, after a message, when a part
// is missing or unfinished, or the parts were made from other listings.
std::optional<std::vector<PartRecord>> finishedParts(const std::string& outputFolder, int count) {
    bool complete = true;
    std::vector<PartRecord> records;
    for (int index = 1; index <= count; ++index) {
        const Shard shard{index, count};
        const std::string report = joinPath(outputFolder, partName(kReportFile, shard));
        const std::string recordPath = joinPath(outputFolder, partRecordName(shard));
        const bool haveReport = readTextFile(report).has_value();
        const std::optional<std::string> recordText = readTextFile(recordPath);
        const bool haveRecord = recordText.has_value();
        const PartRecord record = readRecord(recordText.value_or(""));
        if (!haveReport || !haveRecord) {
            std::fprintf(stderr, msg::mergeMissingPart, index, count, (haveReport ? recordPath : report).c_str());
            complete = false;
        } else if (!record.finished) {
            std::fprintf(stderr, msg::mergeUnfinishedPart, index, count, recordPath.c_str());
            complete = false;
        }
        records.push_back(record);
    }
    if (!complete) return std::nullopt;
    for (const PartRecord& record : records) {
        if (record.entries != records[0].entries || record.digest != records[0].digest) {
            std::fprintf(stderr, msg::mergeListingChanged, outputFolder.c_str());
            return std::nullopt;
        }
    }
    return records;
}

// One report: the parts' rows, under this program's header, put back in
// folder order; nothing when no part kept it. False, after a message, when
// a part lacks it or lacks rows.
bool mergeReport(const std::string& outputFolder, const ReportTable& report, const std::vector<PartRecord>& records,
                 std::optional<std::vector<std::string>>& merged) {
    const int count = static_cast<int>(records.size());
    std::map<size_t, std::string> rows;
    std::vector<std::pair<int, std::string>> absent;  // parts without it
    for (int index = 1; index <= count; ++index) {
        const std::string path = joinPath(outputFolder, partName(report.fileName, Shard{index, count}));
        const std::optional<std::string> text = readTextFile(path);
        if (!text) {
            absent.emplace_back(index, path);
            continue;
        }
        const std::vector<std::string> partRows =
            rowsInTodaysLayout(report, *text).value_or(std::vector<std::string>{});
        const std::vector<size_t>& positions = records[index - 1].positions;
        if (partRows.size() != positions.size()) {
            std::fprintf(stderr, msg::mergeUnfinishedPart, index, count, path.c_str());
            return false;
        }
        for (size_t i = 0; i < partRows.size(); ++i) rows[positions[i]] = partRows[i];
    }
    // A report that no part kept is left out; one that some parts lack is not whole.
    if (absent.size() == static_cast<size_t>(count)) return true;
    for (const auto& [index, path] : absent) std::fprintf(stderr, msg::mergeMissingPart, index, count, path.c_str());
    if (!absent.empty()) return false;
    merged.emplace();
    for (const auto& [position, line] : rows) merged->push_back(line);
    return true;
}

// The batch's record is the first part's: the parts share their SCIP
// parameters; each part's own record (machine, start) stays beside it.
bool copyFirstRecord(const std::string& outputFolder, int count) {
    const std::optional<std::string> record = readTextFile(joinPath(outputFolder, recordFileName(Shard{1, count})));
    if (!record) return true;
    const std::string path = joinPath(outputFolder, recordFileName(std::nullopt));
    if (const int error = replaceFile(outputFolder, path, *record)) {
        printIoError(msg::recordNotWritten, path, error);
        return false;
    }
    return true;
}

}  // namespace

namespace {

// The finished parts of one batch's folder merged into its reports.
int mergeBatchParts(const std::string& outputFolder) {
    const std::optional<int> count = partCount(outputFolder);
    if (!count) return 1;
    const std::optional<std::vector<PartRecord>> records = finishedParts(outputFolder, *count);
    if (!records) return 1;
    // Every report is merged before any is written: a part found wanting
    // leaves the folder as it was.
    const std::vector<ReportTable>& reports = batchReports();
    std::vector<std::optional<std::vector<std::string>>> merged(reports.size());
    for (size_t r = 0; r < reports.size(); ++r) {
        if (!mergeReport(outputFolder, reports[r], *records, merged[r])) return 1;
    }
    for (size_t r = 0; r < reports.size(); ++r) {
        if (merged[r] && !writeReport(outputFolder, reports[r], reports[r].fileName, *merged[r], std::cerr)) return 1;
    }
    if (!copyFirstRecord(outputFolder, *count)) return 1;
    std::printf(msg::mergeDone, *count, joinPath(outputFolder, kReportFile).c_str());
    return 0;
}

}  // namespace

bool holdsParts(const std::string& folder) {
    for (const std::string& path : listFolder(folder)) {
        if (partOfFile(baseName(path), kReportFile)) return true;
    }
    return false;
}

int mergeParts(const std::string& outputFolder) {
    // A batch under several seeds: each seed's folder that holds parts is
    // merged as a batch (a seed run earlier without parts stays as it is).
    std::vector<std::string> parted;
    for (const std::string& seed : seedFoldersOf(outputFolder)) {
        if (holdsParts(joinPath(outputFolder, seed))) parted.push_back(joinPath(outputFolder, seed));
    }
    if (parted.empty() || holdsParts(outputFolder)) return mergeBatchParts(outputFolder);
    int status = 0;
    for (const std::string& folder : parted) status = std::max(status, mergeBatchParts(folder));
    return status;
}
