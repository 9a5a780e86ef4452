// What counts as a model in a folder, and the names of the files that go
// with a model: its own settings file and its key in a list of known
// results. Pure: no I/O.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The formats as typed ("lp,mps,mps.gz"): endings separated by commas.
// Nothing when one is empty, starts with a dot or holds a '/'.
std::optional<std::vector<std::string>> parseFormats(const std::string& text);
// The longest of `formats` that `name` ends in; nothing: not a model.
std::optional<std::string> modelFormat(const std::string& name, const std::vector<std::string>& formats);
// The model's name without "." and its format ending ("air05.mps.gz" ->
// "air05"); the whole name when no dot comes before the ending ("xlp").
std::string modelStem(const std::string& name, const std::vector<std::string>& formats);
// The model's own settings file: its stem plus ".set" ("x.lp" -> "x.set").
std::string modelSettingsFileName(const std::string& name, const std::vector<std::string>& formats);
// The model's SCIP log in the output folder, named like its solution file
// ("x.lp" -> "x.log", "x.mps.gz" -> "x.mps.gz.log").
std::string logFileName(const std::string& name);
