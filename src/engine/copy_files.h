// The files of a racing batch's copies. Every copy of a model writes its
// solution and log into a folder of its own, inside a private folder of the
// batch in the output folder; only the copy that is kept gives the model its
// files there, and the copies' folders go as soon as the race is decided.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "batch/batch.h"

// Makes the batch's private folder in `outputFolder`, named like a
// temporary file of the program, so that one a killed batch left is removed
// as stale. Its path, or "" when it could not be made (said on standard error).
std::string makeRaceFolder(const std::string& outputFolder);
// The folder of copy `copy` of entry `index` inside the private folder.
std::string copyFolder(const std::string& raceFolder, size_t index, unsigned copy);
// In a worker: makes that folder (one left by an earlier copy is kept). False when it cannot.
bool makeCopyFolder(const std::string& raceFolder, size_t index, unsigned copy);
// The model of entry `index`, solved by copy `copy`, gets that copy's
// solution file (or none, when the copy wrote none) and, with `keepLogs`,
// its log in the output folder; what fails is said on `errors` and noted in
// `result`. Then the folders of every copy of it (0 to copies-1) go.
void keepCopyFiles(const std::string& outputFolder, const std::string& raceFolder, size_t index, unsigned copy,
                   unsigned copies, bool keepLogs, ModelResult& result, std::ostream& errors);
// Removes the private folder with all it holds.
void removeRaceFolder(const std::string& raceFolder);
