// Variants of a batch.
#include "batch/variants.h"

#include <algorithm>

std::string variantFolderName(const std::string& name) { return kVariantFolderPrefix + name; }

std::optional<std::string> variantOfFolder(const std::string& folderName) {
    const std::string prefix = kVariantFolderPrefix;
    if (folderName.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    const std::string name = folderName.substr(prefix.size());
    if (!validVariantName(name)) return std::nullopt;
    return name;
}

bool validVariantName(const std::string& name) {
    if (name.empty() || name.size() > 64 || name[0] == '.') return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
               c == '.';
    });
}

std::optional<std::vector<Variant>> parseVariants(const std::string& text, size_t most) {
    std::vector<Variant> variants;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string piece = text.substr(start, comma - start);
        const size_t equals = piece.find('=');
        if (equals == std::string::npos) return std::nullopt;
        Variant variant{piece.substr(0, equals), piece.substr(equals + 1)};
        const bool repeated = std::any_of(variants.begin(), variants.end(),
                                          [&variant](const Variant& other) { return other.name == variant.name; });
        if (!validVariantName(variant.name) || repeated || variants.size() == most) return std::nullopt;
        variants.push_back(std::move(variant));
        start = comma + 1;
    }
    return variants;
}

std::string variantOrderText(const std::vector<Variant>& variants) {
    std::string text;
    for (const Variant& variant : variants) text += (text.empty() ? "" : ", ") + variant.name;
    return text;
}

std::vector<std::string> variantOrderOf(const std::string& text) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start < text.size()) {
        const size_t comma = std::min(text.find(", ", start), text.size());
        const std::string name = text.substr(start, comma - start);
        if (validVariantName(name)) names.push_back(name);
        start = comma + 2;
    }
    return names;
}
