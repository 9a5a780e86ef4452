// A list of models as the batch (SCIP's .test format): one model path a
// line, relative to the list's own folder unless absolute; blank lines and
// lines that start with "#" skipped. Pure: no I/O.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One model the list names: the line it stands on (from 1) and its path,
// joined to the list's folder when relative.
struct ListedModel {
    size_t line = 0;
    std::string path;
};

// The models `text` names, in order, for a list in `listFolder` (an
// absolute folder). Each line is taken without the blanks around it (a
// carriage return included).
std::vector<ListedModel> listedModels(const std::string& text, const std::string& listFolder);
// `path` without its "." pieces and doubled separators ("/a/./b//c" -> "/a/b/c").
std::string withoutDotPieces(const std::string& path);
// Pairs of positions in `models` whose file names, or the names of the
// solution files they give ("x.lp" and "x" both give "x.sol"), are one
// (each later one with the first): their rows, solutions and known results
// would be confused.
std::vector<std::pair<size_t, size_t>> sameNamePairs(const std::vector<ListedModel>& models);
// The endings under which every listed file is a model: `formats`, and for
// each name that ends in none of them, the longest model ending SCIP reads
// that it has ("x.mps.gz" -> "mps.gz"), else what follows its last dot,
// else the whole name.
std::vector<std::string> listFormats(const std::vector<std::string>& paths, const std::vector<std::string>& formats);
// True when `name` ends in an ending SCIP reads as a model ("x.lp", "x.mps.gz").
bool hasScipModelEnding(const std::string& name);
