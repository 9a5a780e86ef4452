// comparar: reads the complete reports of output folders, prints the
// comparison and writes it as a page and as CSV.
#pragma once

#include <string>
#include <vector>

struct ComparisonRequest {
    std::vector<std::string> folders;  // output folders; the first is the reference
    std::string htmlPath;              // --html; empty: no page
    std::string csvPath;               // --csv; empty: no CSV
    std::string variabilityPath;       // --csv-variabilidade; empty: none
};
// Returns the exit status: 0 done, 1 a file could not be written, 2 a
// folder without a readable complete report (nothing printed then).
int runComparison(const ComparisonRequest& request);
