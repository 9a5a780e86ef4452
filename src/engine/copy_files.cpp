// The files of a racing batch's copies.
#include "engine/copy_files.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include "batch/model_names.h"
#include "platform/files.h"
#include "scip/solution_file.h"
#include "text/Messages.h"

std::string makeRaceFolder(const std::string& outputFolder) {
    std::string path;
    const int fd = createTempFile(outputFolder, path);
    // The temporary file's unique name becomes the folder's.
    const bool made = fd >= 0 && ::close(fd) == 0 && ::unlink(path.c_str()) == 0 && ::mkdir(path.c_str(), 0700) == 0 &&
                      ::mkdir(copyFolder(path, 0).c_str(), 0700) == 0;
    if (made) return path;
    printIoError(msg::raceFolderNotMade, outputFolder, errno);
    removeRaceFolder(path);
    return "";
}

std::string copyFolder(const std::string& raceFolder, unsigned copy) {
    return joinPath(raceFolder, std::to_string(copy));
}

bool makeCopyFolder(const std::string& raceFolder, unsigned copy) {
    const std::string path = copyFolder(raceFolder, copy);
    if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) return true;
    printIoError(msg::raceFolderNotMade, path, errno);
    return false;
}

void keepCopyFiles(const std::string& outputFolder, const std::string& raceFolder, unsigned copy, unsigned copies,
                   bool keepLogs, ModelResult& result, std::ostream& errors) {
    const std::string solution = solutionFileName(result.name);
    const std::string log = logFileName(result.name);
    const std::string from = copyFolder(raceFolder, copy);
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
        removeIfPresent(joinPath(copyFolder(raceFolder, c), solution));
        removeIfPresent(joinPath(copyFolder(raceFolder, c), log));
    }
}

void removeRaceFolder(const std::string& raceFolder) {
    std::error_code error;
    if (!raceFolder.empty()) std::filesystem::remove_all(raceFolder, error);
}
