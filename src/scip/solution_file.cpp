// A model's solution file in the output folder.
#include "scip/solution_file.h"

#include <cerrno>
#include <cstdio>

#include "batch/model_names.h"
#include "platform/files.h"
#include "text/Messages.h"

SolutionFile writeSolutionFile(const std::string& outputFolder, const std::string& modelName, const std::string& text,
                               std::ostream& errors) {
    const std::string path = joinPath(outputFolder, solutionFileName(modelName));
    if (const int error = replaceFile(outputFolder, path, text)) {
        printIoError(msg::solutionNotWritten, path, error, errors);
        return SolutionFile::WriteFailed;
    }
    return SolutionFile::Written;
}

SolutionFile removeSolutionFile(const std::string& outputFolder, const std::string& modelName, std::ostream& errors) {
    const std::string path = joinPath(outputFolder, solutionFileName(modelName));
    if (const int error = removeIfPresent(path)) {
        printIoError(msg::solutionNotRemoved, path, error, errors);
        return SolutionFile::RemoveFailed;
    }
    return SolutionFile::Removed;
}

namespace {

// The layout of SCIP's own "write solution": status, objective, values.
SCIP_RETCODE printSolution(SCIP* scip, FILE* file) {
    std::fputs("solution status: ", file);
    LOTE_SCIP_CALL(scipLibrary().SCIPprintStatus(scip, file));
    std::fputs("\n", file);
    LOTE_SCIP_CALL(scipLibrary().SCIPprintBestSol(scip, file, 0));
    return SCIP_OKAY;
}

}  // namespace

std::optional<std::string> solutionText(SCIP* scip, const std::string& name, SCIP_RETCODE& failure) {
    MemoryStream buffer;
    if (buffer.file == nullptr) {
        printIoError(msg::solutionNotWritten, solutionFileName(name), errno);
        return std::nullopt;
    }
    failure = printSolution(scip, buffer.file);
    if (failure != SCIP_OKAY) return std::nullopt;
    return buffer.text();
}

