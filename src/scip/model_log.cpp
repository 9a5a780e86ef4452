// SCIP's log of one model.
#include "scip/model_log.h"

#include <cerrno>
#include <cstdio>

#include "batch/model_names.h"
#include "platform/files.h"
#include "text/messages.h"

ModelLog::ModelLog(bool keep, const std::string& outputFolder, const std::string& name) : wanted(keep) {
    if (!keep) return;
    path = joinPath(outputFolder, logFileName(name));
    const FileDescriptor file(createTempFile(outputFolder, tempPath));
    if (file.fd < 0) {
        printIoError(msg::logNotWritten, path, errno);
        tempPath.clear();
    }
}

bool ModelLog::finish() {
    if (tempPath.empty()) return !wanted;
    const std::string temp = tempPath;
    tempPath.clear();
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        printIoError(msg::logNotWritten, path, errno);
        removeFile(temp);
        return false;
    }
    return true;
}

ModelLog::~ModelLog() { finish(); }
