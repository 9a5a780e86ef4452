// One line of a file in SCIP's settings format ("limits/gap = 0.01",
// "emphasis: optimality", "# a comment").
#pragma once

#include <optional>
#include <string>

struct SettingsLine {
    enum Kind { Blank, Parameter, Emphasis };
    Kind kind = Blank;                 // Blank: nothing but blanks, or a comment
    std::string name;                  // Parameter: the name, up to a blank, "=", ":" or "#"
    std::optional<std::string> value;  // Parameter: what follows its "=", blanks trimmed; nothing without one
};
SettingsLine parseSettingsLine(const std::string& line);
