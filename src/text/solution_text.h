// What the program reads in the text of a solution file and in SCIP's
// printed reasons. Pure: no I/O.
#pragma once

#include <string>
#include <vector>

// The variable names of a solution file in SCIP's format, in file order:
// the first word of each value line. Lines SCIP reads past (its status and
// objective lines, blank lines, the headers of MIPLIB's solution files) are
// not value lines. An XML solution file names none.
std::vector<std::string> solutionFileVariables(const std::string& text);

// SCIP's printed words joined on one line, blanks at line starts dropped, cut
// at about 400 bytes (with "…").
std::string oneLineReason(const std::string& text);
