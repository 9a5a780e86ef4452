// The files of a racing batch's copies. Every copy of a model writes its
// solution and log into a folder of its own, inside a private folder of the
// batch in the output folder; only the copy that is kept gives the model its
// files there, and the others' are removed.
#pragma once

#include <ostream>
#include <string>

#include "batch/batch.h"

// Makes the batch's private folder in `outputFolder`, named like a
// temporary file of the program so that one a killed batch left is removed
// as stale, with the folder of the first copies. Its path, or "" when it
// could not be made (said on standard error).
std::string makeRaceFolder(const std::string& outputFolder);
// The folder of copy `copy` inside the private folder, made if missing.
std::string copyFolder(const std::string& raceFolder, unsigned copy);
bool makeCopyFolder(const std::string& raceFolder, unsigned copy);
// The model of `result`, solved by copy `copy`, gets that copy's solution
// file (or none, when the copy wrote none) and, with `keepLogs`, its log in
// the output folder; what fails is said on `errors` and noted in `result`.
// Then the files of every copy of it (0 to copies-1) are removed.
void keepCopyFiles(const std::string& outputFolder, const std::string& raceFolder, unsigned copy, unsigned copies,
                   bool keepLogs, ModelResult& result, std::ostream& errors);
// Removes the private folder with all it holds.
void removeRaceFolder(const std::string& raceFolder);
