// SCIP's log of one model.
#include "scip/model_log.h"

#include "batch/model_names.h"
#include "platform/files.h"
#include "text/format.h"
#include "text/messages.h"

ModelLog::ModelLog(bool keep, const std::string& outputFolder, const std::string& name, std::string* failures)
    : wanted(keep), failures(failures) {
    if (!keep) return;
    path = joinPath(outputFolder, logFileName(name));
    std::string reason;
    const FileDescriptor file(createTempFile(outputFolder, tempPath, &reason));
    if (file.fd < 0) {
        *failures += ioErrorLine(msg::logNotWritten, path, reason);
        tempPath.clear();
    }
}

bool ModelLog::finish() {
    if (tempPath.empty()) return !wanted;
    const std::string temp = tempPath;
    tempPath.clear();
    std::string reason;
    if (!renameFile(temp, path, &reason)) {
        *failures += ioErrorLine(msg::logNotWritten, path, reason);
        removeIfPresent(temp, nullptr);
        return false;
    }
    return true;
}

ModelLog::~ModelLog() { finish(); }
