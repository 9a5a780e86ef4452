// The comparison of batches as one self-contained HTML page: inline style,
// SVG and script, nothing fetched. Pure: no I/O.
#pragma once

#include <string>

#include "compare/comparison.h"

// `text` as a JavaScript string literal that is safe inside a <script>
// element ("<", ">", "&" and the line separators escaped).
std::string scriptString(const std::string& text);
// The page: folders, summary table, tests and brackets, performance
// profile, time chart, how the seed runs vary with the seed (`extra`, as
// variabilitySection gives it), and the per-model table, built by its
// script from the data it holds and sorted by any column whose header is clicked.
std::string comparisonPage(const Comparison& comparison, const std::string& extra = "");
