// One line of a file in SCIP's settings format ("limits/gap = 0.01",
// "emphasis: optimality", "# a comment").
#pragma once

#include <optional>
#include <string>

struct SettingsLine {
    enum Kind { Blank, Parameter, Emphasis };
    Kind kind = Blank;  // Blank: nothing but blanks (a CR too), or a comment
    std::string name;   // Parameter: the name, up to a blank, "=", ":" or "#"
    // Parameter: what follows the "=" that comes next after the name (only
    // blanks between), blanks trimmed; nothing when something else comes first.
    std::optional<std::string> value;
};
SettingsLine parseSettingsLine(const std::string& line);
