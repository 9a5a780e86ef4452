// comparar: folders read, the comparison printed and written.
#include "commands/comparison_run.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>

#include "compare/comparison.h"
#include "compare/comparison_html.h"
#include "compare/comparison_text.h"
#include "platform/files.h"
#include "reports/output_files.h"
#include "text/Messages.h"

namespace {

// A folder's own name: its last part, trailing separators left out; for
// "." and the like, the last part of its real path.
std::string folderLabel(const std::string& folder) {
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    std::string label = baseName(path);
    if (label.empty() || label == "." || label == "..") {
        char real[PATH_MAX];
        if (realpath(path.c_str(), real) != nullptr) label = baseName(real);
    }
    return label.empty() ? path : label;
}

// The folder's report and settings; nothing, after a message, without a
// readable complete report.
std::optional<ComparedFolder> readComparedFolder(const std::string& folder) {
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
    }
    return compared;
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
bool protectedTarget(const std::string& target, const std::string& other, const std::vector<std::string>& folders) {
    if (target == other || sameFolder(target, other)) return true;
    for (const std::string& folder : folders) {
        for (const std::string& name : batchFileNames()) {
            if (sameFolder(target, joinPath(folder, name))) return true;
        }
    }
    return false;
}

bool writeOutput(const std::string& path, const std::string& content) {
    if (const int error = replaceFile(parentFolder(path), path, content)) {
        printIoError(msg::compareNotWritten, path, error);
        return false;
    }
    std::printf(msg::compareWritten, path.c_str());
    return true;
}

}  // namespace

int runComparison(const ComparisonRequest& request) {
    for (const auto& [target, other] : {std::pair{request.htmlPath, request.csvPath}, {request.csvPath, request.htmlPath}}) {
        if (!target.empty() && protectedTarget(target, other, request.folders)) {
            std::fprintf(stderr, msg::compareSameFile, target.c_str());
            return 2;
        }
    }
    std::vector<ComparedFolder> folders;
    bool readable = true;
    for (const std::string& folder : request.folders) {
        std::optional<ComparedFolder> compared = readComparedFolder(folder);
        readable = readable && compared.has_value();
        if (compared) folders.push_back(std::move(*compared));
    }
    if (!readable || folders.empty()) return 2;
    distinguishLabels(folders);
    const Comparison comparison = buildComparison(folders);
    std::cout << comparisonConsole(comparison) << std::flush;
    bool written = true;
    if (!request.htmlPath.empty()) written = writeOutput(request.htmlPath, comparisonPage(comparison)) && written;
    if (!request.csvPath.empty()) written = writeOutput(request.csvPath, comparisonCsv(comparison)) && written;
    std::fflush(stdout);
    return written ? 0 : 1;
}
