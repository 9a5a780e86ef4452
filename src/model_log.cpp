// SCIP's log of one model.
#include "model_log.h"

#include <cerrno>
#include <cstdio>

#include <unistd.h>

#include "Messages.h"
#include "files.h"
#include "model_names.h"

ModelLog::ModelLog(bool keep, const std::string& outputFolder, const std::string& name) : wanted(keep) {
    if (!keep) return;
    path = joinPath(outputFolder, logFileName(name));
    const int fd = createTempFile(outputFolder, tempPath);
    if (fd < 0) {
        printIoError(msg::logNotWritten, path, errno);
        tempPath.clear();
        return;
    }
    ::close(fd);
}

bool ModelLog::finish() {
    if (tempPath.empty()) return !wanted;
    const std::string temp = tempPath;
    tempPath.clear();
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        printIoError(msg::logNotWritten, path, errno);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

ModelLog::~ModelLog() { finish(); }
