// The translation of one MathProg model into an LP file, with GLPK.
#pragma once

#include <string>

// What stopped a translation: nothing, the model (or its data) could not be
// read, generated, or its LP file written.
enum class TranslationFailure { None, Read, Generate, Write };

// Translates `modelPath` (skipped unless its name ends in "mod"), with the
// same-named data file ("dat" for "mod") when one can be read, into the
// same-named LP file ("lp"), written whole or not at all. What GLPK prints
// as it reads and generates the model goes to standard output, as GLPK
// prints it; what it says as it writes the LP file goes to `written`, and
// the failure is returned, both for the caller to say.
TranslationFailure convertModel(std::string modelPath, std::string& written);
