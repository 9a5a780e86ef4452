// SCIP's parameters: those of a batch, checked once (in a child process:
// the program itself never loads SCIP), and those of one model, applied in
// its worker.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "batch/batch.h"
#include "scip/scip_api.h"

struct ParameterCheck {
    enum State { Checked, Refused, ScipMissing };
    State state = Refused;
    std::string message;  // Refused, ScipMissing: the line that says why
    ScipBuild scip;       // Checked: the library's version, git hash, file and LP solver
    std::string changed;  // Checked: SCIP's lines for the parameters that differ from its defaults
};

// The fields of a check, as a child process sends it (process/codec.h).
template <typename S, typename F, IfFieldsOf<S, ParameterCheck> = 0>
void visitFields(S& check, F&& f) {
    f(check.state, ParameterCheck::ScipMissing);
    f(check.message);
    f(check.scip);
    f(check.changed);
}

// SCIP with its default plug-ins, Ctrl-C left to the program, then the
// settings file of `request`, its -p parameters, its seed and `timeLimit`
// (when not 0), each as SCIP reads a settings file. The memory limit is
// left out: it is set per worker. Loads SCIP's library, and leaves its
// instance behind when the check fails: run it in a child process.
ParameterCheck checkParameters(const ScipRequest& request, double timeLimit);

// A line of settings that SCIP did not take.
struct Refusal {
    size_t line = 0;       // its number, from 1
    bool unknown = false;  // no such parameter (else: a value SCIP refused)
    std::string text;      // the line as it stands
};
// Applies settings in SCIP's format line by line, up to the first line SCIP
// refuses. SCIP's own error messages about it are not shown.
std::optional<Refusal> applySettingsLines(SCIP* scip, const std::string& text);

// For one model, after SCIP's plug-ins are included: the batch's parameters,
// then the model's own settings file (`x.set` beside `x.lp`) when there is
// one. A line of it that SCIP refuses fails the call; `say` (when given)
// is handed the line that says so, to show it before SCIP's own error line
// for the failure. Last, a racing copy's seed.
SCIP_RETCODE applyModelParameters(SCIP* scip, const BatchSettings& settings, const std::string& modelPath,
                                  void (*say)(const std::string& lines));

// The time limit a model's solve gets once it is read: the batch's, or what
// is left of a racing copy's deadline (never 0, which would mean none).
double solveTimeLimit(const BatchSettings& settings);
