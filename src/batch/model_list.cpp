// A list of models as the batch.
#include "batch/model_list.h"

#include <map>

#include "batch/model_names.h"
#include "platform/files.h"

namespace {

// The endings SCIP reads a model from (its readers), plain or gzipped.
const char* const kScipEndings[] = {"lp",  "mps",  "cip", "opb", "wbo", "pip", "zpl", "fzn",
                                    "gms", "osil", "rlp", "cnf", "nl",  "cor", "sto", "tim"};

std::string trimmed(const std::string& text) {
    const char* const blanks = " \t\r\f\v";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The longest ending SCIP reads that `name` has after a dot; "" when none.
std::string scipEnding(const std::string& name) {
    std::string longest;
    for (const char* ending : kScipEndings) {
        for (const std::string& candidate : {std::string(ending), std::string(ending) + ".gz"}) {
            if (endsWith(name, "." + candidate) && candidate.size() > longest.size()) longest = candidate;
        }
    }
    return longest;
}

}  // namespace

std::vector<ListedModel> listedModels(const std::string& text, const std::string& listFolder) {
    std::vector<ListedModel> models;
    size_t start = 0, line = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        ++line;
        const std::string path = trimmed(text.substr(start, end - start));
        start = end + 1;
        if (path.empty() || path[0] == '#') continue;
        models.push_back({line, withoutDotPieces(isAbsolutePath(path) ? path : joinPath(listFolder, path))});
    }
    return models;
}

std::string withoutDotPieces(const std::string& path) {
    const std::string separator(1, kPathSeparator);
    // A path from the root keeps its separator; a Windows network path (\\server\share) its two.
    size_t start = 0;
    while (start < path.size() && isPathSeparator(path[start])) ++start;
    const std::string root = start == 0 ? "" : start >= 2 && kPathSeparator == '\\' ? separator + separator : separator;
    std::string rest;
    for (const std::string& piece : splitPath(path.substr(start))) {
        if (piece.empty() || piece == ".") continue;
        rest += (rest.empty() ? "" : separator) + piece;
    }
    return root.empty() && rest.empty() ? "." : root + rest;
}

std::vector<std::pair<size_t, size_t>> sameNamePairs(const std::vector<ListedModel>& models) {
    std::vector<std::pair<size_t, size_t>> pairs;
    std::map<std::string, size_t> first;  // by solution file name
    for (size_t i = 0; i < models.size(); ++i) {
        const auto [at, fresh] = first.emplace(solutionFileName(baseName(models[i].path)), i);
        if (!fresh) pairs.emplace_back(at->second, i);
    }
    return pairs;
}

std::vector<std::string> listFormats(const std::vector<std::string>& paths, const std::vector<std::string>& formats) {
    std::vector<std::string> all = formats;
    for (const std::string& path : paths) {
        const std::string name = baseName(path);
        if (modelFormat(name, all)) continue;
        std::string ending = scipEnding(name);
        const size_t dot = name.rfind('.');
        if (ending.empty()) ending = dot != std::string::npos && dot + 1 < name.size() ? name.substr(dot + 1) : name;
        all.push_back(ending);
    }
    return all;
}

bool hasScipModelEnding(const std::string& name) { return !scipEnding(name).empty(); }
