// Model names: formats, stems, and the names of the files beside a model.
#include "batch/model_names.h"

#include <algorithm>

#include "platform/files.h"

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
