// What counts as a model in a folder, and the names of the files that go
// with a model: its own settings file, its solution and log, the LP file of
// a MathProg model, and the initial-solution folder beside it. Pure: no I/O.
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
// The name without a final ".lp" ("x.lp" -> "x"; "x.mps.gz" and "xlp" stay whole).
std::string withoutLpEnding(const std::string& name);
// File name of a model's solution: its name without a final ".lp", plus ".sol".
std::string solutionFileName(const std::string& modelName);
// The LP file that mod_lp writes for a MathProg model, and the data file it
// reads with it: "x.mod" -> "x.lp", "x.dat" (the final "mod" replaced).
std::string lpPathOfModel(const std::string& modPath);
std::string dataPathOfModel(const std::string& modPath);
// "initial_sol" beside a model folder (inside it when typed with a trailing "/").
std::string initialSolutionFolderOfFolder(const std::string& modelFolder);
// "initial_sol" beside the folder that holds a model file.
std::string initialSolutionFolderOfModel(const std::string& modelPath);

// The folder of one seed of a batch under several seeds: "semente-" and the
// seed, written without leading zeros.
inline constexpr const char* kSeedFolderPrefix = "semente-";
std::string seedFolderName(int seed);
// The seed a folder name stands for ("semente-3" -> 3), written as the
// program writes it; nothing for another name.
std::optional<long long> seedOfFolder(const std::string& name);
// The seeds as typed ("0-4", "0,3,7", "1,5-6"): whole numbers and ranges of
// them from 0 to 2147483647, separated by commas, in ascending order;
// nothing when a piece is not one, a range runs backwards, a seed repeats
// or there would be more than `most`.
std::optional<std::vector<int>> parseSeedList(const std::string& text, size_t most);
