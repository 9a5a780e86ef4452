// Lines typed at the prompts, and the time limit as typed.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

// Reads one line from standard input (without its line feed). Returns false
// when no more input can come; the caller then gives up what it was doing.
bool readLine(std::string& line);
// True once standard input has ended.
bool inputEnded();

// SCIP's largest time limit, in seconds.
inline constexpr double kLargestTimeLimit = 1e20;
// Reads a time limit as typed: leading blanks skipped, a decimal comma or
// point ("2,5" and "2.5" are 2.5), an optional exponent, and the rest of the
// line ignored ("30s" is 30). No number, a negative one, one above
// kLargestTimeLimit, hexadecimal, "inf" and "nan" give nothing.
std::optional<double> parseTimeLimit(const std::string& line);

// Writes `lines` (whole lines, or nothing) on standard error at once: what a
// failure below the commands said it was.
void printErrors(const std::string& lines);
