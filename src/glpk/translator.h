// The translation of one MathProg model into an LP file, with GLPK.
#pragma once

#include <string>

// Translates `modelPath` (skipped unless its name ends in "mod"), with the
// same-named data file ("dat" for "mod") when one can be read, into the
// same-named LP file ("lp"), written whole or not at all. Failures are said
// on standard error, and give false.
bool convertModel(std::string modelPath);
