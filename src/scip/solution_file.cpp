// A model's solution file in the output folder.
#include "scip/solution_file.h"

#include <cerrno>
#include <cstdio>

#include "batch/model_names.h"
#include "platform/files.h"
#include "scip/scip_handles.h"
#include "text/messages.h"

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

// While it lives, what SCIP prints with no file given goes into the file at
// `path`, opened by SCIP (its handler is quiet: the console gets none of
// it); SCIP closes the file when it ends.
struct PrintedInto {
    SCIP* scip;
    PrintedInto(SCIP* s, const std::string& path) : scip(s) {
        scipLibrary().SCIPsetMessagehdlrLogfile(scip, path.c_str());
    }
    PrintedInto(const PrintedInto&) = delete;
    PrintedInto& operator=(const PrintedInto&) = delete;
    ~PrintedInto() { scipLibrary().SCIPsetMessagehdlrLogfile(scip, nullptr); }
};

SCIP_RETCODE printStatus(SCIP* scip, const std::string& path) {
    const PrintedInto into(scip, path);
    LOTE_SCIP_CALL(scipLibrary().SCIPprintStatus(scip, nullptr));
    return SCIP_OKAY;
}

SCIP_RETCODE printBestSolution(SCIP* scip, const std::string& path) {
    const PrintedInto into(scip, path);
    LOTE_SCIP_CALL(scipLibrary().SCIPprintBestSol(scip, nullptr, 0));
    return SCIP_OKAY;
}

}  // namespace

std::optional<std::string> solutionText(SCIP* scip, const std::string& name, SCIP_RETCODE& failure) {
    // Without a handler SCIP prints nothing.
    if (scipLibrary().SCIPgetMessagehdlr(scip) == nullptr) return std::string("solution status: \n");
    const NamedMemoryFile status = makeNamedMemoryFile("loteotimizador-status");
    const NamedMemoryFile values = makeNamedMemoryFile("loteotimizador-solucao");
    if (status.path.empty() || values.path.empty()) {
        printIoError(msg::solutionNotWritten, solutionFileName(name), errno);
        return std::nullopt;
    }
    failure = printStatus(scip, status.path);
    if (failure == SCIP_OKAY) failure = printBestSolution(scip, values.path);
    if (failure != SCIP_OKAY) return std::nullopt;
    const std::optional<std::string> statusText = readTextFile(status.path), valuesText = readTextFile(values.path);
    if (!statusText || !valuesText) {
        printIoError(msg::solutionNotWritten, solutionFileName(name), EIO);
        return std::nullopt;
    }
    // The layout of SCIP's own "write solution": status, objective, values.
    return "solution status: " + *statusText + "\n" + *valuesText;
}
