// Model names: formats, stems, and the names of the files beside a model.
#include "batch/model_names.h"

#include <algorithm>

#include "platform/files.h"
#include "text/format.h"

namespace {

// The model's path without its final "mod" (the dot stays).
std::string withoutModEnding(const std::string& modPath) {
    return endsWith(modPath, "mod") ? modPath.substr(0, modPath.size() - 3) : modPath;
}

}  // namespace

std::optional<std::vector<std::string>> parseFormats(const std::string& text) {
    std::vector<std::string> formats;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const std::string format = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        // "lp", not ".lp": an ending is matched as typed, dot included.
        if (format.empty() || format[0] == '.' || format.find('/') != std::string::npos) return std::nullopt;
        formats.push_back(format);
        if (comma == std::string::npos) return formats;
        start = comma + 1;
    }
}

std::optional<std::string> modelFormat(const std::string& name, const std::vector<std::string>& formats) {
    std::optional<std::string> longest;
    for (const std::string& format : formats) {
        if (endsWith(name, format) && (!longest || format.size() > longest->size())) longest = format;
    }
    return longest;
}

std::string modelStem(const std::string& name, const std::vector<std::string>& formats) {
    // The longest ending that follows a dot: "x.mps.gz" is "x" under both
    // "gz" and "mps.gz".
    size_t cut = name.size();
    for (const std::string& format : formats) {
        if (endsWith(name, "." + format)) cut = std::min(cut, name.size() - format.size() - 1);
    }
    return name.substr(0, cut);
}

std::string modelSettingsFileName(const std::string& name, const std::vector<std::string>& formats) {
    return modelStem(name, formats) + ".set";
}

std::string logFileName(const std::string& name) { return withoutLpEnding(name) + ".log"; }

std::string withoutLpEnding(const std::string& name) {
    return endsWith(name, ".lp") ? name.substr(0, name.size() - 3) : name;
}

std::string solutionFileName(const std::string& modelName) { return withoutLpEnding(modelName) + ".sol"; }

std::string lpPathOfModel(const std::string& modPath) { return withoutModEnding(modPath) + "lp"; }

std::string dataPathOfModel(const std::string& modPath) { return withoutModEnding(modPath) + "dat"; }

std::string initialSolutionFolderOfFolder(const std::string& modelFolder) {
    const std::vector<std::string> parts = splitPath(modelFolder);
    std::string folder;
    for (size_t i = 0; i + 1 < parts.size(); ++i) folder += parts[i] + "/";
    return folder + "initial_sol";
}

std::string initialSolutionFolderOfModel(const std::string& modelPath) {
    const std::vector<std::string> parts = splitPath(modelPath);
    std::string folder;
    for (size_t i = 0; i + 2 < parts.size(); ++i) folder += parts[i] + "/";
    return folder + "initial_sol";
}

std::string seedFolderName(int seed) { return kSeedFolderPrefix + std::to_string(seed); }

std::optional<long long> seedOfFolder(const std::string& name) {
    const std::string prefix = kSeedFolderPrefix;
    if (name.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    const std::string digits = name.substr(prefix.size());
    const auto seed = parseWholeNumber(digits, kLargestInt);
    if (!seed || std::to_string(*seed) != digits) return std::nullopt;
    return static_cast<long long>(*seed);
}

std::optional<std::vector<int>> parseSeedList(const std::string& text, size_t most) {
    std::vector<int> seeds;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string piece = text.substr(start, comma - start);
        const size_t dash = piece.find('-');
        const auto first = parseWholeNumber(piece.substr(0, dash), kLargestInt);
        const auto last = dash == std::string::npos ? first : parseWholeNumber(piece.substr(dash + 1), kLargestInt);
        if (!first || !last || *last < *first || *last - *first >= most) return std::nullopt;
        for (unsigned long long seed = *first; seed <= *last; ++seed) {
            if (seeds.size() == most || std::find(seeds.begin(), seeds.end(), static_cast<int>(seed)) != seeds.end()) {
                return std::nullopt;
            }
            seeds.push_back(static_cast<int>(seed));
        }
        start = comma + 1;
    }
    std::sort(seeds.begin(), seeds.end());
    return seeds;
}
