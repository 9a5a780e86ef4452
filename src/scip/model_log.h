// SCIP's log of one model, kept in the output folder when asked for: SCIP
// writes it into a temporary file there, which takes the log's name once
// SCIP has let it go, so that a reader never finds half a log.
#pragma once

#include <string>

struct ModelLog {
    std::string tempPath;  // "": no log
    std::string path;
    // A temporary file in `outputFolder` for the log of model `name`, when
    // `keep`; when it cannot be made there is no log. What goes wrong with
    // the log, now or once it is named, is added to `*failures` (which must
    // outlive it) for the caller to show.
    ModelLog(bool keep, const std::string& outputFolder, const std::string& name, std::string* failures);
    ModelLog(const ModelLog&) = delete;
    ModelLog& operator=(const ModelLog&) = delete;
    // Gives the log its name once SCIP has closed it; false when it could
    // not, or when there was to be a log and is none.
    bool finish();
    // Gives the log its name, if that was not done (SCIP has let it go).
    ~ModelLog();
    bool wanted = false;
    std::string* failures;
};
