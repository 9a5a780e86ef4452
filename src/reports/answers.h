// Known results of a test set (SCIP's .solu format) and the check of a
// batch's answers against them.
#pragma once

#include <iostream>
#include <optional>
#include <string>

#include "batch/batch.h"

// Reads lines "=opt= name value", "=best= name value", "=inf= name",
// "=unbd= name", "=feas= name", "=unkn= name". A bad line is named on
// `errors` with its number and left out; empty lines are skipped.
KnownResults parseKnownResults(const std::string& text, const std::string& fileName, std::ostream& errors);

// True when z agrees with v within CONFERE's tolerance: |z - v| <= max(1e-9, 1e-6 |v|).
bool valuesAgree(double z, double v);
// CONFERE for a solved model: Ok, Wrong or NoReference (no reference, or
// =unkn=). `z` is the objective value (nothing when no solution was found);
// `minimize` the model's objective sense.
Check checkAnswer(const std::optional<Reference>& reference, Outcome outcome, std::optional<double> z, bool minimize);
// CONFERE for a model's result: its reference is found by its name without
// "." and its format ending ("air05" for "air05.mps.gz").
Check checkResult(const KnownResults& known, const ModelResult& result, const std::vector<std::string>& formats);
