// The commands of LoteOtimizador: opt (solve every model of a folder) and
// mod_lp (translate every MathProg model of a folder), and the solve of one
// model with SCIP.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scip_api.h"

// What a batch is run with, set at the shell.
struct BatchSettings {
    // Seconds allowed for each model solve; 0.0 means no limit.
    double timeLimit = 0.0;
};

// opt: asks for a model folder and an output folder, solves every LP entry
// and rewrites the report after each entry.
void optimizeFolder(const BatchSettings& settings);
// The entries of the model folder; says whether its initial-solution folder exists.
std::vector<std::string> collectModels(std::string lpFolder);
// Solves one entry (skipped unless its name ends in "lp") and appends its
// row to `resultRows`; the solution, if any, goes to `outputFolder`.
void solveModel(std::string modelPath, const std::string& outputFolder, const BatchSettings& settings,
                std::vector<std::string>& resultRows);
// Says whether the initial-solution folder of a model exists; returns it when it does.
std::optional<std::string> reportInitialSolutionFolder(std::string modelPath);
// Shows the outcome of a solved instance and appends its row to `resultRows`.
void recordResult(SCIP* scip, std::string modelPath, std::vector<std::string>& resultRows);

// mod_lp: asks for a folder and translates every .mod file into an .lp file.
void convertFolder();
