// One model's job in opt's batch: its solve in a worker, and what its
// finished job gives the program.
#pragma once

#include <functional>
#include <string>

#include "batch/batch.h"
#include "engine/race.h"
#include "process/workers.h"

// A model that was not read or not solved, whose solution is not feasible,
// or whose solution file could not be written or removed, fails the batch.
bool failsBatch(const ModelResult& result);

// In a worker: the model of `task` solved. A racing batch's copies each
// write into a folder of their own, under their own seed and time limit.
std::string solveTask(const Task& task, const std::string& modelPath, const std::string& outputFolder,
                      const std::string& raceFolder, const BatchSettings& settings, SolveFunction solve,
                      const std::function<void()>& solveStarting);

// The result of a finished job: what its worker reported, or what became of
// a model it did not report. A raced model's time counts from its first
// copy's start, and its files are the chosen copy's.
ModelResult jobResult(const FinishedJob& job, const JobEnd& end, const std::string& modelPath,
                      const std::string& outputFolder, const std::string& raceFolder, const BatchSettings& settings);
