// The check of a batch's SCIP parameters, made in a child process so that
// the program itself never loads SCIP.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "batch/variants.h"
#include "process/worker.h"
#include "scip/scip_parameters.h"

// The name a worker looks the check of parameters up by.
inline constexpr const char* kParameterCheckJob = "parametros";

// What the worker that checks a batch's parameters is told.
struct ParameterCheckRequest {
    ScipRequest scip;
    double timeLimit = 0.0;
};
template <typename S, typename F, IfFieldsOf<S, ParameterCheckRequest> = 0>
void visitFields(S& s, F&& f) {
    f(s.scip);
    f(s.timeLimit);
}

// In a worker: the check of a ParameterCheckRequest's bytes, as bytes.
std::string parameterCheckJob(const std::string& request, const Task& task,
                              const std::function<void(const std::string&)>& solveStarting);

// scip/'s checkParameters in a child process; a child that cannot be
// started, or whose answer does not arrive whole, fails the check.
ParameterCheck checkBatchParameters(const ScipRequest& request, double timeLimit);

// A batch's targets with SCIP's parameters checked: one, or one per seed of
// `seeds` and variant of `variants` (seed by seed, each seed's variants in
// their order), each checked with its seed as --semente K would be and its
// variant's file after the batch's parameters. Nothing, after
// the check's message, when SCIP refused them, or is missing and parameters
// or a library of its own (--scip, LOTE_SCIP) were asked for.
struct CheckedTargets {
    std::vector<BatchTarget> targets;
    ScipBuild scip;  // the library the check ran under ("" fields: not loaded)
};
std::optional<CheckedTargets> checkTargets(const ScipRequest& scip, const std::vector<int>& seeds,
                                           const std::vector<Variant>& variants, const BatchSettings& settings);
