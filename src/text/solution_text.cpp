// What the program reads in the text of a solution file and in SCIP's
// printed reasons.
#include "text/solution_text.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

bool startsWithIgnoringCase(const std::string& line, const char* prefix) {
    const size_t length = std::strlen(prefix);
    if (line.size() < length) return false;
    for (size_t i = 0; i < length; ++i) {
        if (std::tolower(static_cast<unsigned char>(line[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    }
    return true;
}

// The lines SCIP's solution reader skips, by how they start.
bool skippedLine(const std::string& line) {
    static const char* const kSkipped[] = {"solution status:",
                                           "objective value:",
                                           "Log started",
                                           "Variable Name",
                                           "All other variables",
                                           "NAME",
                                           "ENDATA",
                                           "=obj="};
    return std::any_of(std::begin(kSkipped), std::end(kSkipped),
                       [&](const char* prefix) { return startsWithIgnoringCase(line, prefix); });
}

bool blank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

}  // namespace

std::vector<std::string> solutionFileVariables(const std::string& text) {
    std::vector<std::string> names;
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first != std::string::npos && text.compare(first, 5, "<?xml") == 0) return names;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (skippedLine(line)) continue;
        const auto word = std::find_if_not(line.begin(), line.end(), blank);
        const std::string name(word, std::find_if(word, line.end(), blank));
        if (!name.empty()) names.push_back(name);
    }
    return names;
}

std::string oneLineReason(const std::string& text) {
    std::string reason;
    for (size_t start = 0; start < text.size() && reason.size() < 400;) {
        const size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        line.erase(0, line.find_first_not_of(" \t"));
        // SCIP ends a printed constraint with a line of its own, ";".
        if (!line.empty() && line != ";") reason += (reason.empty() ? "" : " ") + line;
        start = end + 1;
    }
    return reason.size() > 400 ? reason.substr(0, 400) + "…" : reason;
}
