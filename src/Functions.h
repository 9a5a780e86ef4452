// The commands of LoteOtimizador: opt (solve every model of a folder) and
// mod_lp (translate every MathProg model of a folder), and the solve of one
// model with SCIP.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "answers.h"
#include "scip_api.h"
#include "shards.h"

// What a batch is run with, set at the shell.
struct BatchSettings {
    // Seconds allowed for each model solve; 0.0 means no limit.
    double timeLimit = 0.0;
    // Models solved at once, each in its own worker process; 0 means one per
    // CPU that the program may run on.
    int jobs = 0;
    // SCIP's memory limit per worker in MB; 0 means the available memory
    // shared out among the workers.
    double memoryLimitMb = 0.0;
    // Known results to check the answers against (--solu); none: no check.
    std::shared_ptr<const KnownResults> knownResults;
};

struct BatchResult;

// opt: asks for a model folder and an output folder, solves every LP entry
// and rewrites the report after each entry.
BatchResult optimizeFolder(const BatchSettings& settings);
// Checks the model folder, removes an old report from it (unless told not
// to) and lists it; says each step on the console. Nothing when it is not a
// folder. `leaveOutReport`: "sol_stat.csv" is not an entry of the listing.
std::optional<std::vector<std::string>> openModelFolder(const std::string& lpFolder, bool removeOldReport = true,
                                                        bool leaveOutReport = false);
// The entries of the model folder; says whether its initial-solution folder exists.
std::vector<std::string> collectModels(std::string lpFolder);
// Solves one entry (skipped unless its name ends in "lp") and appends its
// row to `resultRows`; the solution, if any, goes to `outputFolder`.
// `solveStarting` is called just before SCIP starts to solve. Loads SCIP's
// library first: only worker processes call it.
void solveModel(std::string modelPath, const std::string& outputFolder, const BatchSettings& settings,
                std::vector<std::string>& resultRows, const std::function<void()>& solveStarting = {});
// Says whether the initial-solution folder of a model exists; returns it when it does.
std::optional<std::string> reportInitialSolutionFolder(std::string modelPath);
// Shows the outcome of a solved instance and appends its rows to
// `resultRows`: the report's, then the complete report's.
// `initialSolution`: SIM, REJEITADA or NAO.
void recordResult(SCIP* scip, std::string modelPath, std::vector<std::string>& resultRows,
                  const BatchSettings& settings, const std::string& initialSolution);

// opt without the shell: the same batch on two folders given at once. A
// missing output folder whose parent exists is made. `status` is the exit
// status: 0 all solved, 1 a model or a file failed, 2 a folder is invalid.
// With `resume`, models that have a row in the output folder's report keep
// it and are not solved again.
// With `shard`, only that part of the entries is solved, into part reports
// and a record that `merge` reads.
BatchResult optimizeFolders(const std::string& lpFolder, const std::string& outputFolder,
                            const BatchSettings& settings, bool resume, const std::optional<Shard>& shard,
                            int& status);

// mod_lp: asks for a folder and translates every .mod file into an .lp file.
void convertFolder();
// The same on a folder given at once; the number of models that failed, or
// nothing when it is not a folder.
std::optional<size_t> convertFolderAt(const std::string& folder);
