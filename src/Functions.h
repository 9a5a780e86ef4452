// The commands of LoteOtimizador (opt, mod_lp) and the helpers they use:
// folder services, the solve of one model, result rows and the report file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scip_api.h"

// ---- Program-wide state -------------------------------------------------

// Seconds allowed for each model solve; 0.0 means no limit.
extern double timeLimit;
// Entries of the model folder of the latest `opt` batch.
extern std::vector<std::string> modelPaths;
// Report rows of the running batch (without line breaks).
extern std::vector<std::string> resultRows;

// ---- Console input ------------------------------------------------------

// Reads one line from standard input (without its line feed). Returns false
// when no more input can come; the caller then gives up what it was doing.
bool readLine(std::string& line);
// True once standard input has ended.
bool inputEnded();

// ---- Folder services ----------------------------------------------------

// Entries of `folder` ("." and ".." left out), each joined to the folder
// path, sorted by name. Errors are reported on standard error and give the
// entries found so far.
std::vector<std::string> listFolder(const std::string& folder);
// Pieces of `path` between "/" separators, empty pieces included.
std::vector<std::string> splitPath(std::string path);
// True when `path` names an existing folder (links followed).
bool folderExists(std::string path);
// True when `path` is a regular file (links followed) that can be opened.
bool fileIsReadable(const std::string& path);
// True when `path` is a regular file (links followed); never opens it.
bool isRegularFile(const std::string& path);

// ---- Pure helpers -------------------------------------------------------

// `folder` + "/" + `name`, without doubling a trailing separator.
std::string joinPath(const std::string& folder, const std::string& name);
// Last component of a path (the whole path when it has no separator).
std::string baseName(const std::string& path);
// True when `text` ends with `suffix` (case-sensitive).
bool endsWith(const std::string& text, const std::string& suffix);
// SCIP's largest time limit, in seconds.
inline constexpr double kLargestTimeLimit = 1e20;
// Reads a time limit as typed: leading blanks skipped, a decimal comma or
// point ("2,5" and "2.5" are 2.5), an optional exponent, and the rest of the
// line ignored ("30s" is 30). No number, a negative one, one above
// kLargestTimeLimit, hexadecimal, "inf" and "nan" give nothing.
std::optional<double> parseTimeLimit(const std::string& line);
// `%f` with a decimal comma, whatever the process locale: 0.0625 -> "0,062500".
std::string formatReportNumber(double value);
// "initial_sol" beside a model folder (inside it when typed with a trailing "/").
std::string initialSolutionFolderOfFolder(const std::string& modelFolder);
// "initial_sol" beside the folder that holds a model file.
std::string initialSolutionFolderOfModel(const std::string& modelPath);
// Host and process of a temporary file named by this program
// (".loteotimizador-<host>-<pid>-XXXXXX.tmp"); nothing for any other name.
struct TempFileOwner {
    std::string host;
    int pid = 0;
};
std::optional<TempFileOwner> tempFileOwner(const std::string& name);
// Removes the temporary files that killed runs left in `folder`: those of
// this host whose process is gone, and any older than a day.
void removeStaleTempFiles(const std::string& folder);
// File name of a model's solution: its name without a final ".lp", plus ".sol".
std::string solutionFileName(const std::string& modelName);

// How a solve ended, as the report tells it.
enum class Outcome { TimeLimit, Optimal, Infeasible, Unbounded, InfeasibleOrUnbounded, Other, ReadError };

// Maps SCIP's status code to an outcome by the numbering of SCIP's major
// version. Versions whose numbering is unknown give nothing.
std::optional<Outcome> outcomeFromScipStatus(int scipMajorVersion, int status);
// Console line ("STATUS: ...\n") and row text ("...;") of an outcome; empty
// for Outcome::Other.
const char* statusLine(Outcome outcome);
const char* statusRowText(Outcome outcome);
// A file name as a report field: between double quotes, inner quotes
// doubled, when it holds ";", a double quote, CR or LF; otherwise as it is.
std::string csvName(const std::string& name);
// One report row: name;time;status;bound; (an empty status field for
// Outcome::Other, an empty bound field when there is no bound).
std::string buildResultRow(const std::string& name, double seconds, Outcome outcome,
                           std::optional<double> primalBound);
// The whole report file: header and one line per row.
std::string reportText(const std::vector<std::string>& rows);

// ---- Commands -----------------------------------------------------------

// opt: asks for a model folder and an output folder, solves every LP entry
// and rewrites the report after each entry.
void optimizeFolder();
void collectModels(std::string lpFolder);
// Solves one entry (skipped unless its name ends in "lp") and records its
// result; the solution, if any, goes to `outputFolder`.
void solveModel(std::string modelPath, const std::string& outputFolder);
// Says whether the initial-solution folder of a model exists; returns it when it does.
std::optional<std::string> reportInitialSolutionFolder(std::string modelPath);
void recordResult(SCIP* scip, std::string modelPath);
// Rewrites `outputFolder`/sol_stat.csv from `resultRows`, atomically.
// Returns false (after a message on standard error) when it cannot.
bool writeReport(std::string outputFolder);

// mod_lp: asks for a folder and translates every .mod file into an .lp file.
void convertFolder();
void convertModel(std::string modelPath);
