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

// What SCIP prints for the console while the program's handler is set: kept
// in the text that its data points to.
void keepPrinted(SCIP_MESSAGEHDLR* handler, FILE*, const char* text) {
    std::string* into = *reinterpret_cast<std::string**>(scipLibrary().SCIPmessagehdlrGetData(handler));
    if (text != nullptr) into->append(text);
}

// SCIP's status and its best solution, as SCIP prints them with no file
// given, into `status` and `values`; the handler SCIP had is set back.
SCIP_RETCODE printSolution(SCIP* scip, std::string& status, std::string& values) {
    const ScipApi& lib = scipLibrary();
    ScipMessageHandler previous;
    previous.handler = lib.SCIPgetMessagehdlr(scip);
    if (previous.handler != nullptr) lib.SCIPmessagehdlrCapture(previous.handler);
    std::string* into = &status;
    ScipMessageHandler keeping;
    LOTE_SCIP_CALL(lib.SCIPmessagehdlrCreate(&keeping.handler, 0, nullptr, 0, nullptr, nullptr, keepPrinted, nullptr,
                                             reinterpret_cast<SCIP_MESSAGEHDLRDATA*>(&into)));
    LOTE_SCIP_CALL(lib.SCIPsetMessagehdlr(scip, keeping.handler));
    LOTE_SCIP_CALL(lib.SCIPprintStatus(scip, nullptr));
    into = &values;
    LOTE_SCIP_CALL(lib.SCIPprintBestSol(scip, nullptr, 0));
    LOTE_SCIP_CALL(lib.SCIPsetMessagehdlr(scip, previous.handler));
    return SCIP_OKAY;
}

}  // namespace

std::optional<std::string> solutionText(SCIP* scip, SCIP_RETCODE& failure) {
    std::string status, values;
    failure = printSolution(scip, status, values);
    if (failure != SCIP_OKAY) return std::nullopt;
    // The layout of SCIP's own "write solution": status, objective, values.
    return "solution status: " + status + "\n" + values;
}
