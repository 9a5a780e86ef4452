// SCIP's log of one model.
#include "model_log.h"

#include <cerrno>
#include <cstdio>

#include <unistd.h>

#include "Messages.h"
#include "files.h"
#include "model_names.h"

ModelLog::ModelLog(bool keep, const std::string& outputFolder, const std::string& name) {
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

ModelLog::~ModelLog() {
    if (tempPath.empty()) return;
    if (std::rename(tempPath.c_str(), path.c_str()) != 0) {
        printIoError(msg::logNotWritten, path, errno);
        ::unlink(tempPath.c_str());
    }
}
