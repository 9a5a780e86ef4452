// comparar's table of models, built once from a comparison and laid out by
// the console and by the page: which columns there are, and what each cell
// holds (its value and its text, or that the folder lacks the model).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "compare/comparison.h"

enum class ModelColumn { Model, Time, Ratio, Status, Z, Nodes, Check, AcrossFolders };

struct ModelTableColumn {
    ModelColumn kind;
    size_t folder = 0;  // the folder of a per-folder column
};

struct ModelCell {
    bool missing = false;         // the folder has no row for the model
    std::optional<double> value;  // Time, Ratio, Z, Nodes: nothing when there is none
    std::string text;             // the value with a decimal comma; Model: the name; Status: SCIP's short status
    StatusKind kind = StatusKind::Other;  // Status
    bool changed = false;                 // Status: not the reference folder's
    Check check = Check::None;            // Check
    bool inconsistent = false;            // AcrossFolders
};

struct ModelTable {
    std::vector<ModelTableColumn> columns;
    std::vector<std::vector<ModelCell>> rows;  // one per model, a cell per column
};

// A STATUS text as the console shows it: without "PROCESSO INTERROMPIDO - ",
// "PROBLEMA " and " DO MODELO".
std::string shortStatus(const std::string& status);

// The table's columns: the model, then per folder its time, its ratio to
// the first folder's (from the second on), its status, Z and nodes when
// `withValues`, and CONFERE when the folder was checked; then whether the
// folders contradict each other, when any do.
ModelTable buildModelTable(const Comparison& comparison, bool withValues);
// A column's heading: `label`, numbered by folder when there are several.
std::string columnHeading(const std::string& label, const ModelTableColumn& column, size_t folders);
