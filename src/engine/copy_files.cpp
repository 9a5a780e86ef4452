// The files of a racing batch's copies.
#include "engine/copy_files.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "batch/model_names.h"
#include "platform/files.h"
#include "scip/solution_file.h"
#include "text/messages.h"

std::string makeRaceFolder(const std::string& outputFolder) {
    std::string path;
    const int error = createTempFolder(outputFolder, path);
    if (error == 0) return path;
    printIoError(msg::raceFolderNotMade, outputFolder, error);
    return "";
}

std::string copyFolder(const std::string& raceFolder, size_t index, unsigned copy) {
    return joinPath(raceFolder, std::to_string(index) + "-" + std::to_string(copy));
}

bool makeCopyFolder(const std::string& raceFolder, size_t index, unsigned copy) {
    return makePrivateFolder(copyFolder(raceFolder, index, copy)) == 0;
}

void keepCopyFiles(const std::string& outputFolder, const std::string& raceFolder, size_t index, unsigned copy,
                   unsigned copies, bool keepLogs, ModelResult& result, std::ostream& errors) {
    const std::string solution = solutionFileName(result.name);
    const std::string log = logFileName(result.name);
    const std::string from = copyFolder(raceFolder, index, copy);
    if (result.solutionFile == SolutionFile::Written) {
        const std::string path = joinPath(outputFolder, solution);
        if (std::rename(joinPath(from, solution).c_str(), path.c_str()) != 0) {
            printIoError(msg::solutionNotWritten, path, errno, errors);
            result.solutionFile = SolutionFile::WriteFailed;
            removeSolutionFile(outputFolder, result.name, errors);  // an older one would contradict the report
        }
    } else {
        // No solution of this copy: an older file would contradict the report.
        const SolutionFile removed = removeSolutionFile(outputFolder, result.name, errors);
        if (result.solutionFile != SolutionFile::WriteFailed) result.solutionFile = removed;
    }
    if (keepLogs && !result.logLost) {
        const std::string path = joinPath(outputFolder, log);
        if (std::rename(joinPath(from, log).c_str(), path.c_str()) != 0) {
            printIoError(msg::logNotWritten, path, errno, errors);
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
