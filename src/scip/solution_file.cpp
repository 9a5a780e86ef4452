// A model's solution file in the output folder.
#include "scip/solution_file.h"

#include <cerrno>
#include <cstdio>

#include "batch/model_names.h"
#include "platform/files.h"
#include "scip/scip_handles.h"
#include "text/format.h"
#include "text/messages.h"

SolutionFile writeSolutionFile(const std::string& outputFolder, const std::string& modelName, const std::string& text,
                               std::string* err) {
    const std::string path = joinPath(outputFolder, solutionFileName(modelName));
    std::string reason;
    if (replaceFile(outputFolder, path, text, &reason)) return SolutionFile::Written;
    if (err != nullptr) *err = ioErrorLine(msg::solutionNotWritten, path, reason);
    return SolutionFile::WriteFailed;
}

SolutionFile removeSolutionFile(const std::string& outputFolder, const std::string& modelName, std::string* err) {
    const std::string path = joinPath(outputFolder, solutionFileName(modelName));
    std::string reason;
    if (removeIfPresent(path, &reason)) return SolutionFile::Removed;
    if (err != nullptr) *err = ioErrorLine(msg::solutionNotRemoved, path, reason);
    return SolutionFile::RemoveFailed;
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

std::optional<std::string> solutionText(SCIP* scip, const std::string& name, SCIP_RETCODE& failure, std::string* err) {
    // Without a handler SCIP prints nothing.
    if (scipLibrary().SCIPgetMessagehdlr(scip) == nullptr) return std::string("solution status: \n");
    std::string reason;
    const NamedMemoryFile status = makeNamedMemoryFile("loteotimizador-status", &reason);
    const NamedMemoryFile values = makeNamedMemoryFile("loteotimizador-solucao", &reason);
    if (status.path.empty() || values.path.empty()) {
        if (err != nullptr) *err = ioErrorLine(msg::solutionNotWritten, solutionFileName(name), reason);
        return std::nullopt;
    }
    failure = printStatus(scip, status.path);
    if (failure == SCIP_OKAY) failure = printBestSolution(scip, values.path);
    if (failure != SCIP_OKAY) return std::nullopt;
    const std::optional<std::string> statusText = readMemoryFile(status), valuesText = readMemoryFile(values);
    if (!statusText || !valuesText) {
        if (err != nullptr) *err = ioErrorLine(msg::solutionNotWritten, solutionFileName(name), systemErrorText(EIO));
        return std::nullopt;
    }
    // The layout of SCIP's own "write solution": status, objective, values.
    return "solution status: " + *statusText + "\n" + *valuesText;
}
