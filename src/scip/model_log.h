// SCIP's log of one model, kept in the output folder when asked for: SCIP
// writes it into a temporary file there, which takes the log's name once
// SCIP has let it go, so that a reader never finds half a log.
#pragma once

#include <string>

struct ModelLog {
    std::string tempPath;  // "": no log
    std::string path;
    // A temporary file in `outputFolder` for the log of model `name`, when
    // `keep`; a file that cannot be made is said, and there is no log.
    ModelLog(bool keep, const std::string& outputFolder, const std::string& name);
    ModelLog(const ModelLog&) = delete;
    ModelLog& operator=(const ModelLog&) = delete;
    // Gives the log its name once SCIP has closed it; false when it could
    // not (said on standard error), or when there was to be a log and is none.
    bool finish();
    // Gives the log its name, if that was not done (SCIP has let it go).
    ~ModelLog();
    bool wanted = false;
};
