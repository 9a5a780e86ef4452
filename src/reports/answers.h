// Known results of a test set (SCIP's .solu format) and the check of a
// batch's answers against them.
#pragma once

#include <optional>
#include <string>

#include "batch/batch.h"

// Reads lines "=opt= name value", "=best= name value", "=inf= name",
// "=unbd= name", "=feas= name", "=unkn= name". A bad line is named on
// `err` with its number and left out; empty lines are skipped.
KnownResults parseKnownResults(const std::string& text, const std::string& fileName, std::string* err);

// True when z agrees with v within CONFERE's tolerance: |z - v| <= max(1e-9, 1e-6 |v|).
bool valuesAgree(double z, double v);
// CONFERE, and why it is Wrong (kReason… bits).
struct CheckedAnswer {
    Check check = Check::None;
    unsigned reasons = 0;
};
// What SCIP said of a model, as the check reads it.
struct Answer {
    Outcome outcome = Outcome::Other;
    std::optional<double> z;     // the best solution's objective value; nothing without one
    std::optional<double> dual;  // the dual bound, SCIP's infinity (1e20) included; nothing if not known
    bool minimize = true;
};
// CONFERE for a model SCIP read: against =opt= v, =best= v and =inf=, a
// row that ends with an answer (optimal, infeasible, unbounded, either) is
// Ok, Better (=best= beaten) or Wrong; a row stopped by a limit is
// Compatible, Better or Wrong, by both bounds (a bound "passes" v when it
// claims more than v allows, beyond valuesAgree's tolerance). Against
// =unbd= and =feas= only a contradicting answer is Wrong; without a
// reference (or =unkn=) NoReference.
CheckedAnswer checkAnswer(const std::optional<Reference>& reference, const Answer& answer);
// CONFERE for a model's result: its reference is found by its name without
// "." and its format ending ("air05" for "air05.mps.gz"). A solution found
// not feasible (VERIFICADA NAO) makes it Wrong.
CheckedAnswer checkResult(const KnownResults& known, const ModelResult& result,
                          const std::vector<std::string>& formats);
