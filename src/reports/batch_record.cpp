// The record of how a batch was solved.
#include "reports/batch_record.h"

#include <algorithm>
#include <cstdio>

extern "C" {
#include <glpk.h>
}

#include "batch/model_names.h"
#include "platform/files.h"
#include "platform/system.h"
#include "reports/output_files.h"
#include "text/format.h"
#include "text/messages.h"

namespace {

// A number as SCIP writes a real parameter.
std::string number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

std::string joined(const std::vector<std::string>& words, const char* separator) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : separator) + word;
    return text;
}

// One word for a POSIX shell: as it stands when it holds nothing special,
// else in single quotes.
std::string quoted(const std::string& word) {
    if (!word.empty() && word.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
                                                "-_./=,:+%@") == std::string::npos) {
        return word;
    }
    std::string text = "'";
    for (const char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}

}  // namespace

BatchRecord describeBatch(const BatchSettings& settings, const std::string& commandLine, const ScipBuild& scip,
                          const std::string& changedParameters, const std::vector<std::string>& modelPaths) {
    BatchRecord record;
    record.programVersion = msg::versionProgram;
    record.scip = scip;
    record.glpkVersion = glp_version();
    record.commandLine = commandLine.empty() ? std::string(msg::recordFromShell) : commandLine;
    record.host = machineName();
    record.startTime = localTimeNow(kRecordTimeFormat);
    record.timeLimit = settings.timeLimit;
    record.memoryGiven = settings.memoryLimitMb > 0.0;
    record.formats = settings.formats;
    record.seed = settings.seed;
    record.race = settings.race;
    if (settings.knownResults) record.knownResultsFile = settings.knownResultsFile;
    record.changedParameters = changedParameters;
    // The models with a settings file of their own beside them.
    for (const std::string& path : modelPaths) {
        const std::string name = baseName(path);
        if (!modelFormat(name, settings.formats)) continue;
        const std::string settingsFile = modelSettingsFileName(name, settings.formats);
        if (isRegularFile(joinPath(parentFolder(path), settingsFile))) {
            record.modelSettingsFiles.push_back(settingsFile);
        }
    }
    return record;
}

std::string recordFileName(const std::optional<Shard>& shard) { return outputFileName(kRecordFile, shard); }

std::string quoteCommandLine(int argc, const char* const* argv) {
    std::vector<std::string> words;
    for (int i = 0; i < argc; ++i) words.push_back(quoted(argv[i]));
    return joined(words, " ");
}

std::string recordText(const BatchRecord& record, size_t workers, double memoryMb, const std::string& earlierReport,
                       bool racing) {
    std::string text;
    const auto comment = [&text](const std::string& line) {
        // A line break in a value would end the comment.
        std::string flat = line;
        for (char& c : flat) c = c == '\n' || c == '\r' ? ' ' : c;
        text += "# " + flat + "\n";
    };
    comment(msg::recordIntro);
    comment(msg::recordProgram + record.programVersion);
    comment(msg::recordScip +
            (record.scip.version.empty() ? std::string(msg::recordScipNotLoaded) : record.scip.version));
    if (!record.scip.version.empty()) {
        comment(msg::recordScipGit + record.scip.gitHash);
        comment(msg::recordScipLibrary + record.scip.library);
        comment(msg::recordScipDigest + record.scip.digest);
        comment(msg::recordScipLpSolver + record.scip.lpSolver);
    }
    comment(msg::recordGlpk + record.glpkVersion);
    comment(msg::recordCommandLine + record.commandLine);
    if (!record.modelList.empty()) comment(msg::recordModelList + record.modelList);
    if (!record.variant.empty()) {
        comment(msg::recordVariant + record.variant + " (" +
                (record.variantFile.empty() ? std::string(msg::recordVariantDefaults) : record.variantFile) + ")");
        comment(msg::recordVariantOrder + record.variantOrder);
    }
    comment(msg::recordHost + record.host);
    comment(msg::recordWorkers + std::to_string(workers));
    comment(msg::recordStart + record.startTime);
    if (!record.endTime.empty()) comment(msg::recordEnd + record.endTime);
    if (record.keptRows > 0) comment(msg::recordKeptRows + std::to_string(record.keptRows));
    comment(msg::recordTimeLimit + (record.timeLimit != 0.0 ? number(record.timeLimit) + msg::recordSeconds
                                                            : std::string(msg::recordNoTimeLimit)));
    comment(msg::recordMemory + number(memoryMb) + msg::recordMemoryPerWorker +
            (record.memoryGiven ? msg::recordMemoryGiven : msg::recordMemoryShared));
    comment(msg::recordFormats + joined(record.formats, ","));
    comment(msg::recordSeed + (record.seed ? std::to_string(*record.seed) : std::string(msg::recordScipSeed)));
    if (!record.knownResultsFile.empty()) comment(msg::recordSolu + record.knownResultsFile + msg::recordSoluTolerance);
    if (record.race) {
        comment(msg::recordRace + (racing ? msg::recordRaceOn + std::to_string(workers) + msg::recordRaceProcesses
                                          : std::string(msg::recordRaceOff)));
    }
    comment(msg::recordHistory + (earlierReport.empty() ? std::string(msg::recordNoHistory) : earlierReport));
    comment(msg::recordModelSettings + (record.modelSettingsFiles.empty() ? std::string(msg::recordNoModelSettings)
                                                                          : joined(record.modelSettingsFiles, ", ")));
    text += record.changedParameters;
    if (!text.empty() && text.back() != '\n') text += "\n";
    if (!record.scip.version.empty()) text += "limits/memory = " + number(memoryMb) + "\n";
    return text;
}

ScipBuild recordedScip(const std::string& recordText) {
    ScipBuild scip;
    scip.version = recordedValue(recordText, msg::recordScip);
    scip.gitHash = recordedValue(recordText, msg::recordScipGit);
    scip.library = recordedValue(recordText, msg::recordScipLibrary);
    scip.digest = recordedValue(recordText, msg::recordScipDigest);
    scip.lpSolver = recordedValue(recordText, msg::recordScipLpSolver);
    if (scip.version == msg::recordScipNotLoaded) scip.version.clear();
    return scip;
}

std::string recordedValue(const std::string& recordText, const char* label) {
    const std::string prefix = std::string("# ") + label;
    size_t start = 0;
    while (start < recordText.size()) {
        const size_t end = std::min(recordText.find('\n', start), recordText.size());
        if (recordText.compare(start, prefix.size(), prefix) == 0 && start + prefix.size() <= end) {
            return recordText.substr(start + prefix.size(), end - start - prefix.size());
        }
        start = end + 1;
    }
    return "";
}

bool sameScip(const ScipBuild& a, const ScipBuild& b) {
    const auto agree = [](const std::string& x, const std::string& y) { return x.empty() || y.empty() || x == y; };
    return agree(a.version, b.version) && agree(a.gitHash, b.gitHash) && agree(a.digest, b.digest);
}

std::string scipBuildText(const ScipBuild& scip) {
    const auto known = [](const std::string& field) { return field.empty() ? std::string("?") : field; };
    return formatMessage(msg::scipBuildDescription, known(scip.version), known(scip.gitHash), known(scip.library),
                         known(scip.digest));
}
