// The charts of the comparison page, as inline SVG: the performance profile
// and the time of each model in each folder. Pure: no I/O.
#pragma once

#include <string>

#include "compare/comparison.h"

// Text made safe inside HTML (and SVG) elements and attribute values.
std::string htmlEscape(const std::string& text);
// The colour of folder `folder` in every chart and legend.
const char* folderColour(size_t folder);

// The Dolan–Moré profile: per folder, the share of the models present
// everywhere that it solved within τ times the best folder's time, τ on a
// log axis, as steps; a legend beside. Empty when no model is present everywhere.
std::string profileChart(const Comparison& comparison);
// Every model's time in each folder on a log axis: a filled dot when
// solved, a ring when stopped by a limit, a cross otherwise; a legend above.
std::string timeChart(const Comparison& comparison);
