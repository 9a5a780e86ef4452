// merge: the parts' reports joined into the batch's.
#include "commands/merge.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <vector>

#include "commands/held_folders.h"
#include "platform/console.h"
#include "platform/files.h"
#include "reports/batch_record.h"
#include "reports/part_info.h"
#include "reports/reports.h"
#include "text/format.h"
#include "text/messages.h"

namespace {

// The parts' count, from the names of the part reports found; nothing,
// after a message, when there are none or their counts differ.
std::optional<int> partCount(const std::string& outputFolder) {
    std::map<int, int> counts;
    std::string err;
    for (const std::string& path : listFolder(outputFolder, &err)) {
        if (const std::optional<Shard> part = partOfFile(baseName(path), kReportFile)) ++counts[part->count];
    }
    printErrors(err);
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

// The infos of all `count` parts; nothing, after a message, when a part
// is missing or unfinished, or the parts were made from other listings.
std::optional<std::vector<PartInfo>> finishedParts(const std::string& outputFolder, int count) {
    bool complete = true;
    std::vector<PartInfo> infos;
    for (int index = 1; index <= count; ++index) {
        const Shard shard{index, count};
        const std::string report = joinPath(outputFolder, partName(kReportFile, shard));
        const std::string infoPath = joinPath(outputFolder, partInfoName(shard));
        const bool haveReport = readTextFile(report).has_value();
        const std::optional<std::string> infoText = readTextFile(infoPath);
        const bool haveInfo = infoText.has_value();
        const PartInfo info = readPartInfo(infoText.value_or(""));
        if (!haveReport || !haveInfo) {
            std::fprintf(stderr, msg::mergeMissingPart, index, count, (haveReport ? infoPath : report).c_str());
            complete = false;
        } else if (!info.finished) {
            std::fprintf(stderr, msg::mergeUnfinishedPart, index, count, infoPath.c_str());
            complete = false;
        }
        infos.push_back(info);
    }
    if (!complete) return std::nullopt;
    for (const PartInfo& info : infos) {
        if (info.entries != infos[0].entries || info.digest != infos[0].digest) {
            std::fprintf(stderr, msg::mergeListingChanged, outputFolder.c_str());
            return std::nullopt;
        }
    }
    return infos;
}

// Whether every part was solved under the first part's SCIP, as their
// records say; false after a message naming two that differ.
bool partsShareScip(const std::string& outputFolder, int count) {
    std::optional<ScipBuild> first;
    int firstIndex = 0;
    for (int index = 1; index <= count; ++index) {
        const std::optional<std::string> record =
            readTextFile(joinPath(outputFolder, recordFileName(Shard{index, count})));
        if (!record) continue;
        const ScipBuild scip = recordedScip(*record);
        if (!first) {
            first = scip;
            firstIndex = index;
        } else if (!sameScip(*first, scip)) {
            std::fprintf(stderr, msg::mergeOtherScips, firstIndex, index, outputFolder.c_str(),
                         scipBuildText(*first).c_str(), scipBuildText(scip).c_str());
            return false;
        }
    }
    return true;
}

// One report: the parts' rows, under this program's header, put back in
// folder order; nothing when no part kept it. False, after a message, when
// a part lacks it or lacks rows.
bool mergeReport(const std::string& outputFolder, const ReportTable& report, const std::vector<PartInfo>& infos,
                 std::optional<std::vector<std::string>>& merged) {
    const int count = static_cast<int>(infos.size());
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
        const std::vector<size_t>& positions = infos[index - 1].positions;
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
    std::string reason;
    if (replaceFile(outputFolder, path, *record, &reason)) return true;
    printErrors(ioErrorLine(msg::recordNotWritten, path, reason));
    return false;
}

}  // namespace

namespace {

// The finished parts of one batch's folder merged into its reports.
int mergeBatchParts(const std::string& outputFolder) {
    const std::optional<int> count = partCount(outputFolder);
    if (!count) return 1;
    const std::optional<std::vector<PartInfo>> infos = finishedParts(outputFolder, *count);
    if (!infos) return 1;
    if (!partsShareScip(outputFolder, *count)) return 2;
    // Every report is merged before any is written: a part found wanting
    // leaves the folder as it was.
    const std::vector<ReportTable>& reports = batchReports();
    std::vector<std::optional<std::vector<std::string>>> merged(reports.size());
    for (size_t r = 0; r < reports.size(); ++r) {
        if (!mergeReport(outputFolder, reports[r], *infos, merged[r])) return 1;
    }
    for (size_t r = 0; r < reports.size(); ++r) {
        std::string err;
        if (merged[r] && !writeReport(outputFolder, reports[r], reports[r].fileName, *merged[r], &err)) {
            printErrors(err);
            return 1;
        }
    }
    if (!copyFirstRecord(outputFolder, *count)) return 1;
    std::printf(msg::mergeDone, *count, joinPath(outputFolder, kReportFile).c_str());
    return 0;
}

}  // namespace

bool holdsParts(const std::string& folder) {
    std::string err;
    bool holds = false;
    for (const std::string& path : listFolder(folder, &err)) holds = holds || partOfFile(baseName(path), kReportFile);
    printErrors(err);
    return holds;
}

int mergeParts(const std::string& outputFolder) {
    // No part may be running while its reports are merged, nor start before they are.
    HeldFolders locks;
    if (!holdFolder(outputFolder, std::nullopt, lockHolder("merge " + outputFolder), locks)) return 2;
    // A batch under several seeds or variants: each seed's or variant's
    // folder that holds parts is merged as a batch (one run earlier without
    // parts stays as it is).
    std::vector<std::string> parted;
    std::string err;
    for (const std::string& folder : batchFoldersUnder(outputFolder, &err)) {
        if (holdsParts(folder)) parted.push_back(folder);
    }
    printErrors(err);
    if (parted.empty() || holdsParts(outputFolder)) return mergeBatchParts(outputFolder);
    // Parts may have been started into a seed's or variant's folder itself:
    // every such folder is held before any is merged, so that a refusal writes nothing.
    for (const std::string& folder : parted) {
        if (!holdFolder(folder, std::nullopt, lockHolder("merge " + outputFolder), locks)) return 2;
    }
    int status = 0;
    for (const std::string& folder : parted) status = std::max(status, mergeBatchParts(folder));
    return status;
}
