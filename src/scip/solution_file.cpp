// A model's solution file in the output folder.
#include "scip/solution_file.h"

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
