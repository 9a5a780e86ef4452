// Variants of a batch (--variantes): SCIP settings files compared side by
// side, every model under each, each variant into its own output folder.
// Pure: no I/O.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// One variant: its name and its settings file ("": SCIP's defaults), read
// after the batch's own parameters.
struct Variant {
    std::string name;
    std::string settingsFile;
};

// The folder of a variant in the output folder: "variante-" and its name.
inline constexpr const char* kVariantFolderPrefix = "variante-";
std::string variantFolderName(const std::string& name);
// The variant a folder name stands for ("variante-rapida" -> "rapida"); nothing for another name.
std::optional<std::string> variantOfFolder(const std::string& folderName);
// A variant's name: letters, digits, "_", "-" and "." (not first), at most 64.
bool validVariantName(const std::string& name);
// The variants as typed ("padrao=,rapida=rapida.set"): NOME=ARQ pieces
// separated by commas; nothing when a piece has no "=", a name is not
// valid or repeats, or there would be more than `most`.
std::optional<std::vector<Variant>> parseVariants(const std::string& text, size_t most);
// The variants' names in the batch's order, as its record writes them
// ("padrao, rapida"), and read back.
std::string variantOrderText(const std::vector<Variant>& variants);
std::vector<std::string> variantOrderOf(const std::string& text);
