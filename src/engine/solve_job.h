// One model's job in opt's batch: its solve in a worker, and what its
// finished job gives the program.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "engine/race.h"
#include "process/worker_pool.h"

// A model that was not read or not solved, whose solution is not feasible,
// or whose solution file could not be written or removed, fails the batch.
bool failsBatch(const ModelResult& result);

// The name a worker looks opt's job up by.
inline constexpr const char* kSolveJob = "opt";

// What a worker is told of one model's job.
struct SolveRequest {
    std::string modelPath, outputFolder;
    std::string raceFolder;  // a racing batch's private folder, else ""
    BatchSettings settings;
    // The initial-solution folders the program has listed (and said, when
    // they could not be listed): the worker does not list them again.
    std::vector<std::string> listedFolders;
};
template <typename S, typename F, IfFieldsOf<S, SolveRequest> = 0>
void visitFields(S& s, F&& f) {
    f(s.modelPath);
    f(s.outputFolder);
    f(s.raceFolder);
    f(s.settings);
    f(s.listedFolders);
}

// In a worker: the model of the request (a SolveRequest's bytes) solved with
// `solve`, its result as bytes (nothing for an entry that gives no row, or a
// request that cannot be read). A racing batch's copies each write into a
// folder of their own, under their own seed and time limit.
std::string solveJob(const std::string& request, const Task& task, SolveFunction solve,
                     const std::function<void(const std::string&)>& solveStarting);

// The result of a finished job: what its worker reported, or what became of
// a model it did not report. A raced model's time counts from its first
// copy's start, and its files are the chosen copy's.
ModelResult jobResult(const FinishedJob& job, const JobEnd& end, const std::string& modelPath,
                      const std::string& outputFolder, const std::string& raceFolder, const BatchSettings& settings);

// The racing rules of opt's copies: a copy answered when it ended with an
// answer (scip/scip_status.h's endsWithAnswer) whose solution is not
// found infeasible; of two copies without an answer, one that reported is
// better than one that did not, a feasible solution better than one found
// infeasible, then the one SCIP solved, then the better primal bound.
bool copyAnswered(const FinishedJob& job);
// Whether a finished job gave its result: it reported, or was cut short in
// the check of its solution after it gave it.
bool givenResult(const FinishedJob& job);
bool betterCopy(const FinishedJob& a, const FinishedJob& b);
// Of two results of one model: solved by SCIP where `b` was not, else a
// better primal bound (one where `b` has none).
bool betterResult(const ModelResult& a, const ModelResult& b);
