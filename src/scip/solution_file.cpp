// A model's solution file in the output folder.
#include "scip/solution_file.h"

#include <cerrno>
#include <cstdio>

#include "batch/model_names.h"
#include "platform/files.h"
#include "scip/scip_handles.h"
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

// What SCIP prints for the console goes nowhere, or into the text that the
// handler's `printed` points to.
void keepPrinted(SCIP_MESSAGEHDLR* handler, FILE*, const char* text) {
    const auto* owner = reinterpret_cast<const ScipMessageHandler*>(scipLibrary().SCIPmessagehdlrGetData(handler));
    if (owner->printed != nullptr && text != nullptr) owner->printed->append(text);
}

}  // namespace

SCIP_RETCODE createQuietHandler(ScipMessageHandler& handler, const std::string& logPath) {
    LOTE_SCIP_CALL(scipLibrary().SCIPmessagehdlrCreate(&handler.handler, 0, logPath.empty() ? nullptr : logPath.c_str(),
                                                       0, nullptr, nullptr, keepPrinted, nullptr,
                                                       reinterpret_cast<SCIP_MESSAGEHDLRDATA*>(&handler)));
    return SCIP_OKAY;
}

namespace {

// SCIP's status and its best solution, as SCIP prints them with no file
// given, into `status` and `values`.
SCIP_RETCODE printSolution(SCIP* scip, ScipMessageHandler& quiet, std::string& status, std::string& values) {
    quiet.printed = &status;
    LOTE_SCIP_CALL(scipLibrary().SCIPprintStatus(scip, nullptr));
    quiet.printed = &values;
    LOTE_SCIP_CALL(scipLibrary().SCIPprintBestSol(scip, nullptr, 0));
    return SCIP_OKAY;
}

}  // namespace

std::optional<std::string> solutionText(SCIP* scip, ScipMessageHandler& quiet, SCIP_RETCODE& failure) {
    std::string status, values;
    failure = printSolution(scip, quiet, status, values);
    quiet.printed = nullptr;
    if (failure != SCIP_OKAY) return std::nullopt;
    // The layout of SCIP's own "write solution": status, objective, values.
    return "solution status: " + status + "\n" + values;
}
