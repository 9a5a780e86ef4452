// One line of SCIP's settings format.
#include "text/settings_line.h"

#include <algorithm>

namespace {

constexpr const char* kBlanks = " \t\r";

std::string trimmed(const std::string& text) {
    const size_t start = text.find_first_not_of(kBlanks);
    if (start == std::string::npos) return "";
    return text.substr(start, text.find_last_not_of(kBlanks) - start + 1);
}

}  // namespace

SettingsLine parseSettingsLine(const std::string& line) {
    SettingsLine parsed;
    const size_t start = line.find_first_not_of(kBlanks);
    if (start == std::string::npos || line[start] == '#') return parsed;
    const size_t end = std::min(line.find_first_of(" \t\r=:#", start), line.size());
    const size_t after = line.find_first_not_of(kBlanks, end);
    // An emphasis names a set of parameters, not one.
    if (after != std::string::npos && line[after] == ':') {
        parsed.kind = SettingsLine::Emphasis;
        return parsed;
    }
    parsed.kind = SettingsLine::Parameter;
    parsed.name = line.substr(start, end - start);
    if (after != std::string::npos && line[after] == '=') parsed.value = trimmed(line.substr(after + 1));
    return parsed;
}
