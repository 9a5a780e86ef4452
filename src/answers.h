// Known results of a test set (SCIP's .solu format) and the check of a
// batch's answers against them.
#pragma once

#include <iostream>
#include <map>
#include <optional>
#include <string>

#include "report.h"

struct Reference {
    enum Kind { Optimal, Best, Infeasible, Unbounded, Feasible, Unknown };
    Kind kind = Unknown;
    double value = 0.0;  // Optimal and Best
};
// By model name without its ".lp".
using KnownResults = std::map<std::string, Reference>;

// Reads lines "=opt= name value", "=best= name value", "=inf= name",
// "=unbd= name", "=feas= name", "=unkn= name". A bad line is named on
// `errors` with its number and left out; empty lines are skipped.
KnownResults parseKnownResults(const std::string& text, const std::string& fileName, std::ostream& errors);

// CONFERE for a solved model: "OK", "ERRADO" or "SEM REFERENCIA" (no
// reference, or =unkn=). `z` is the objective value (nothing when no
// solution was found); `minimize` the model's objective sense.
std::string checkAnswer(const std::optional<Reference>& reference, Outcome outcome, std::optional<double> z,
                        bool minimize);
