// The comparison of batches as text: the console table and the summary CSV.
// Pure: no I/O.
#pragma once

#include <string>
#include <vector>

#include "compare/comparison.h"

// A model or folder name for one console line: control characters as "?".
std::string printableName(const std::string& name);
// Rows of cells as lines, columns two spaces apart and as wide as their
// widest cell (in UTF-8 characters); `right` says per column whether it is
// aligned to the right. Trailing blanks are left out.
std::string alignedTable(const std::vector<std::vector<std::string>>& rows, const std::vector<bool>& right);

// A test against the reference in words: its p, its pairs, and whether the
// difference is significant at 5 % (too few pairs under 10).
std::string testVerdict(const std::optional<TestResult>& test);
// The integral's test in words, or that no model gives integrals to test.
std::string integralVerdict(const FolderSummary& summary);
// A folder's tests against the reference in words, in the tests table's
// order after its name: time, solved, integral, nodes, LP iterations, and
// when the two ran.
std::vector<std::string> testCells(const FolderSummary& summary);
// What kind of difference the tests find, in words (with, for one in time
// alone, whether the folders ran side by side).
std::string differenceText(const FolderSummary& summary);
// Whether any folder ran apart from the reference.
bool anyApart(const Comparison& comparison);
// What comparar prints: the folders, one line per model, the summary.
std::string comparisonConsole(const Comparison& comparison);
// The summary as CSV: a header, one row per folder, the virtual best last;
// numbers with six decimals and a decimal comma, an empty field for a mean
// without models.
std::string comparisonCsv(const Comparison& comparison);
