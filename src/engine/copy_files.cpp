// The files of a racing batch's copies.
#include "engine/copy_files.h"

#include <filesystem>
#include <iostream>

#include "batch/model_names.h"
#include "platform/console.h"
#include "platform/files.h"
#include "scip/solution_file.h"
#include "text/format.h"
#include "text/messages.h"

std::string makeRaceFolder(const std::string& outputFolder) {
    std::string path;
    std::string err;
    if (createTempFolder(outputFolder, path, &err)) return path;
    printErrors(ioErrorLine(msg::raceFolderNotMade, outputFolder, err));
    return "";
}

std::string copyFolder(const std::string& raceFolder, size_t index, unsigned copy) {
    return joinPath(raceFolder, std::to_string(index) + "-" + std::to_string(copy));
}

bool makeCopyFolder(const std::string& raceFolder, size_t index, unsigned copy) {
    return makePrivateFolder(copyFolder(raceFolder, index, copy), nullptr);
}

void keepCopyFiles(const std::string& outputFolder, const std::string& raceFolder, size_t index, unsigned copy,
                   unsigned copies, bool keepLogs, ModelResult& result, std::ostream& errors) {
    const std::string solution = solutionFileName(result.name);
    const std::string log = logFileName(result.name);
    const std::string from = copyFolder(raceFolder, index, copy);
    if (result.solutionFile == SolutionFile::Written) {
        const std::string path = joinPath(outputFolder, solution);
        std::string err;
        if (!renameFile(joinPath(from, solution), path, &err)) {
            errors << ioErrorLine(msg::solutionNotWritten, path, err) << std::flush;
            result.solutionFile = SolutionFile::WriteFailed;
            err.clear();
            removeSolutionFile(outputFolder, result.name, &err);  // an older one would contradict the report
            errors << err << std::flush;
        }
    } else {
        // No solution of this copy: an older file would contradict the report.
        std::string err;
        const SolutionFile removed = removeSolutionFile(outputFolder, result.name, &err);
        errors << err << std::flush;
        if (result.solutionFile != SolutionFile::WriteFailed) result.solutionFile = removed;
    }
    if (keepLogs && !result.logLost) {
        const std::string path = joinPath(outputFolder, log);
        std::string err;
        if (!renameFile(joinPath(from, log), path, &err)) {
            errors << ioErrorLine(msg::logNotWritten, path, err) << std::flush;
            result.logLost = true;
        }
    }
    for (unsigned c = 0; c < copies; ++c) {
        std::error_code error;
        std::filesystem::remove_all(copyFolder(raceFolder, index, c), error);
    }
}

void removeRaceFolder(const std::string& raceFolder) {
    std::error_code error;
    if (!raceFolder.empty()) std::filesystem::remove_all(raceFolder, error);
}
