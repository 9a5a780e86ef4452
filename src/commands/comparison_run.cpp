// comparar: folders read, the comparison printed and written.
#include "commands/comparison_run.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>

#include "batch/variants.h"
#include "compare/comparison.h"
#include "compare/comparison_html.h"
#include "compare/comparison_text.h"
#include "compare/seed_page.h"
#include "compare/seed_runs.h"
#include "compare/seed_text.h"
#include "platform/console.h"
#include "platform/files.h"
#include "reports/batch_record.h"
#include "reports/output_files.h"
#include "reports/reports.h"
#include "text/format.h"
#include "text/messages.h"

namespace {

// A folder's own name: its last part, trailing separators left out; for
// "." and the like, the last part of its real path.
std::string folderLabel(const std::string& folder) {
    std::string path = folder;
    while (path.size() > 1 && isPathSeparator(path.back())) path.pop_back();
    std::string label = baseName(path);
    if (label.empty() || label == "." || label == "..") {
        if (const std::optional<std::string> real = realPath(path)) label = baseName(*real);
    }
    return label.empty() ? path : label;
}

// When the batch whose record is `record` ran: from its start to its end,
// as the record says (not known for one that kept rows of an earlier run,
// or did not end); a variant is of the batch its start and command line name.
RunTimes runTimes(const std::string& record) {
    RunTimes ran;
    if (!recordedValue(record, msg::recordKeptRows).empty()) return ran;
    const std::string start = recordedValue(record, msg::recordStart);
    ran.start = recordTimeSeconds(start);
    ran.end = recordTimeSeconds(recordedValue(record, msg::recordEnd));
    if (!recordedValue(record, msg::recordVariantOrder).empty()) {
        ran.batch = start + "\n" + recordedValue(record, msg::recordCommandLine);
    }
    return ran;
}

// The folder's report and settings; nothing, after a message, without a
// readable complete report.
std::optional<ComparedFolder> readReportFolder(const std::string& folder) {
    const std::string reportPath = joinPath(folder, kCompleteReportFile);
    const std::optional<std::string> text = folderExists(folder) ? readTextFile(reportPath) : std::nullopt;
    const std::optional<CompleteReport> report = text ? parseCompleteReport(*text) : std::nullopt;
    if (!report) {
        std::fprintf(stderr, msg::compareNoReport, folder.c_str());
        return std::nullopt;
    }
    for (const std::string& line : report->badLines) {
        std::fprintf(stderr, msg::compareBadRow, reportPath.c_str(), line.c_str());
    }
    for (const std::string& name : report->repeatedNames) {
        std::fprintf(stderr, msg::compareRepeatedName, reportPath.c_str(), name.c_str());
    }
    ComparedFolder compared;
    compared.label = folderLabel(folder);
    compared.rows = report->rows;
    const std::string settingsPath = joinPath(folder, kRecordFile);
    if (isRegularFile(settingsPath)) {
        const std::optional<std::string> settings = readTextFile(settingsPath);
        const SettingsTimeLimit limit = settingsTimeLimit(settings.value_or(""));
        if (!settings) std::fprintf(stderr, msg::compareSettingsUnreadable, settingsPath.c_str());
        if (limit.unreadable) {
            std::fprintf(stderr, msg::compareBadTimeLimit, settingsPath.c_str(), limit.unreadable->c_str());
        }
        compared.timeLimit = limit.seconds;
        compared.scip = recordedScip(settings.value_or(""));
        compared.ran = runTimes(settings.value_or(""));
    }
    return compared;
}

// A compared folder, and its seed folders when it is a run under several seeds.
struct ReadFolder {
    ComparedFolder folder;
    std::vector<std::string> seedNames;  // "semente-K", in seed order
    std::vector<ComparedFolder> seeds;
};

// A folder of one batch, or of one batch under several seeds (read as one
// run), under `label`.
std::optional<ReadFolder> readComparedFolder(const std::string& folder, const std::string& label) {
    ReadFolder read;
    std::vector<std::string> odd;
    std::string err;
    read.seedNames = seedFoldersOf(folder, &err, &odd);
    printErrors(err);
    for (const std::string& path : odd) std::fprintf(stderr, msg::compareSeedFolderIgnored, path.c_str());
    if (read.seedNames.empty()) {
        std::optional<ComparedFolder> compared = readReportFolder(folder);
        if (!compared) return std::nullopt;
        read.folder = std::move(*compared);
        read.folder.label = label;
        return read;
    }
    for (const std::string& name : read.seedNames) {
        std::optional<ComparedFolder> seed = readReportFolder(joinPath(folder, name));
        if (!seed) return std::nullopt;
        read.seeds.push_back(std::move(*seed));
    }
    for (const auto& [model, seed] : modelsMissing(read.seeds)) {
        std::fprintf(stderr, msg::compareSeedMissing, folder.c_str(), model.c_str(), read.seedNames[seed].c_str());
    }
    read.folder = combineSeeds(label, read.seeds);
    return read;
}

// The folders that `folder` stands for: itself, or, for a batch under
// several variants, each variant's folder in the batch's order (as its
// records name it; the first is the reference), labelled by its variant
// (and, when `several` folders are compared, by the batch's folder too).
std::vector<std::pair<std::string, std::string>> comparedFolders(const std::string& folder, bool several) {
    std::string err;
    std::vector<std::string> names = variantFoldersOf(folder, &err);
    printErrors(err);
    if (names.empty()) return {{folder, folderLabel(folder)}};
    // The order of the newest run of variants there (an older run's folders may remain beside it).
    std::vector<std::string> order;
    std::optional<double> newest;
    for (const std::string& batch : batchFoldersUnder(folder, &err)) {
        const std::string record = readTextFile(joinPath(batch, kRecordFile)).value_or("");
        const std::optional<double> start = recordTimeSeconds(recordedValue(record, msg::recordStart));
        const std::vector<std::string> names = variantOrderOf(recordedValue(record, msg::recordVariantOrder));
        if (!names.empty() && (order.empty() || (start && (!newest || *start > *newest)))) {
            order = names;
            newest = start;
        }
    }
    const auto rank = [&order](const std::string& name) {
        const auto at = std::find(order.begin(), order.end(), *variantOfFolder(name));
        return static_cast<size_t>(at - order.begin());
    };
    std::stable_sort(names.begin(), names.end(),
                     [&rank](const std::string& a, const std::string& b) { return rank(a) < rank(b); });
    std::vector<std::pair<std::string, std::string>> folders;
    // Beside other folders, a variant is named with its batch's folder ("lote/rapida").
    const std::string prefix = several ? folderLabel(folder) + "/" : "";
    for (const std::string& name : names) folders.emplace_back(joinPath(folder, name), prefix + *variantOfFolder(name));
    return folders;
}

// Two folders of one name are told apart by their place on the command line.
void distinguishLabels(std::vector<ComparedFolder>& folders) {
    std::map<std::string, int> uses;
    for (const ComparedFolder& folder : folders) ++uses[folder.label];
    for (size_t f = 0; f < folders.size(); ++f) {
        if (uses[folders[f].label] > 1) folders[f].label += " (" + std::to_string(f + 1) + ")";
    }
}

// A file that comparar must not replace: what a compared batch wrote, or the
// other file it writes itself.
bool protectedTarget(const std::string& target, const std::vector<std::string>& others,
                     const std::vector<std::string>& folders) {
    for (const std::string& other : others) {
        if (!other.empty() && (target == other || sameFolder(target, other))) return true;
    }
    for (const std::string& folder : folders) {
        std::vector<std::string> batches = {folder};
        std::string err;
        for (const std::string& batch : batchFoldersUnder(folder, &err)) batches.push_back(batch);
        // A variant's folder of seed folders, too: a report there would make it a batch.
        for (const std::string& name : variantFoldersOf(folder, &err)) batches.push_back(joinPath(folder, name));
        printErrors(err);
        // By name in the folder, whether the file is there yet or not: a
        // report written into a seed run's folder would make it a batch.
        const std::vector<std::string> names = batchFileNames();
        const bool batchName = std::find(names.begin(), names.end(), baseName(target)) != names.end();
        for (const std::string& batch : batches) {
            if (batchName && sameFolder(parentFolder(target), batch)) return true;
        }
    }
    return false;
}

bool writeOutput(const std::string& path, const std::string& content) {
    std::string reason;
    if (!replaceFile(parentFolder(path), path, content, &reason)) {
        printErrors(ioErrorLine(msg::compareNotWritten, path, reason));
        return false;
    }
    std::printf(msg::compareWritten, path.c_str());
    return true;
}

}  // namespace

int runComparison(const ComparisonRequest& request) {
    const std::vector<std::string> outputs = {request.htmlPath, request.csvPath, request.variabilityPath};
    for (size_t i = 0; i < outputs.size(); ++i) {
        const std::string& target = outputs[i];
        std::vector<std::string> others = outputs;
        others.erase(others.begin() + static_cast<long>(i));
        if (!target.empty() && protectedTarget(target, others, request.folders)) {
            std::fprintf(stderr, msg::compareSameFile, target.c_str());
            return 2;
        }
    }
    std::vector<ComparedFolder> folders;
    std::vector<SeedRun> seedRuns;
    bool readable = true;
    for (const std::string& typed : request.folders) {
        for (const auto& [folder, label] : comparedFolders(typed, request.folders.size() > 1)) {
            std::optional<ReadFolder> read = readComparedFolder(folder, label);
            readable = readable && read.has_value();
            if (!read) continue;
            folders.push_back(std::move(read->folder));
            if (!read->seeds.empty()) {
                seedRuns.push_back(SeedRun{folders.size() - 1, read->seedNames, seedSpreads(read->seeds), ""});
            }
        }
    }
    if (!readable || folders.empty()) return 2;
    distinguishLabels(folders);
    for (SeedRun& run : seedRuns) run.label = folders[run.folder].label;
    const Comparison comparison = buildComparison(folders);
    std::cout << comparisonConsole(comparison) << variabilityConsole(seedRuns) << std::flush;
    bool written = true;
    if (!request.htmlPath.empty())
        written = writeOutput(request.htmlPath, comparisonPage(comparison, variabilitySection(seedRuns))) && written;
    if (!request.csvPath.empty()) written = writeOutput(request.csvPath, comparisonCsv(comparison)) && written;
    if (!request.variabilityPath.empty()) {
        written = writeOutput(request.variabilityPath, variabilityCsv(seedRuns)) && written;
    }
    std::fflush(stdout);
    return written ? 0 : 1;
}
