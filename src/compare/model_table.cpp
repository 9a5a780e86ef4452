// comparar's table of models, built once.
#include "compare/model_table.h"

#include "text/format.h"
#include "text/messages.h"

namespace {

std::vector<ModelTableColumn> tableColumns(const Comparison& comparison, bool withValues) {
    std::vector<ModelTableColumn> columns = {{ModelColumn::Model}};
    for (size_t f = 0; f < comparison.labels.size(); ++f) {
        columns.push_back({ModelColumn::Time, f});
        if (f > 0) columns.push_back({ModelColumn::Ratio, f});
        columns.push_back({ModelColumn::Status, f});
        if (withValues) {
            columns.push_back({ModelColumn::Z, f});
            columns.push_back({ModelColumn::Nodes, f});
        }
        if (anyCheck(comparison, f)) columns.push_back({ModelColumn::Check, f});
    }
    if (anyInconsistent(comparison)) columns.push_back({ModelColumn::AcrossFolders});
    return columns;
}

ModelCell number(const std::optional<double>& value, int decimals) {
    ModelCell cell;
    cell.value = value;
    if (value) cell.text = decimalComma(*value, decimals);
    return cell;
}

ModelCell modelCell(const ModelComparison& model, const ModelTableColumn& column) {
    if (column.kind == ModelColumn::Model) return ModelCell{false, std::nullopt, model.name};
    if (column.kind == ModelColumn::AcrossFolders) {
        ModelCell cell;
        cell.inconsistent = model.inconsistent;
        return cell;
    }
    const std::optional<ComparedRow>& row = model.rows[column.folder];
    const std::optional<ComparedRow>& reference = model.rows[0];
    ModelCell cell;
    if (!row) {
        cell.missing = true;
        return cell;
    }
    switch (column.kind) {
        case ModelColumn::Time: return number(row->seconds, 3);
        case ModelColumn::Ratio:
            return number(reference && reference->seconds > 0.0
                              ? std::optional<double>(row->seconds / reference->seconds)
                              : std::nullopt,
                          2);
        case ModelColumn::Z: return number(row->z, 6);
        case ModelColumn::Nodes: return number(row->nodes, 0);
        case ModelColumn::Status:
            cell.text = shortStatus(row->status);
            cell.kind = row->kind;
            cell.changed = column.folder > 0 && reference && row->status != reference->status;
            return cell;
        case ModelColumn::Check: cell.check = row->check; return cell;
        case ModelColumn::Model:
        case ModelColumn::AcrossFolders: break;
    }
    return cell;
}

}  // namespace

std::string shortStatus(const std::string& status) {
    std::string text = status;
    for (const std::string prefix : msg::compareStatusPrefixes) {
        if (text.compare(0, prefix.size(), prefix) == 0) text = text.substr(prefix.size());
    }
    const std::string suffix = msg::compareStatusSuffix;
    if (text.size() > suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0) {
        text.resize(text.size() - suffix.size());
    }
    return text;
}

ModelTable buildModelTable(const Comparison& comparison, bool withValues) {
    ModelTable table;
    table.columns = tableColumns(comparison, withValues);
    for (const ModelComparison& model : comparison.models) {
        std::vector<ModelCell> cells;
        for (const ModelTableColumn& column : table.columns) cells.push_back(modelCell(model, column));
        table.rows.push_back(std::move(cells));
    }
    return table;
}

std::string columnHeading(const std::string& label, const ModelTableColumn& column, size_t folders) {
    const bool perFolder = column.kind != ModelColumn::Model && column.kind != ModelColumn::AcrossFolders;
    return perFolder && folders > 1 ? label + " " + std::to_string(column.folder + 1) : label;
}
