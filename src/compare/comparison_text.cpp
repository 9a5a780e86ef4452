// The comparison of batches as console text and as the summary CSV.
#include "compare/comparison_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "compare/model_table.h"
#include "reports/report_rows.h"
#include "text/messages.h"
#include "text/format.h"

namespace {

// Characters of a UTF-8 text (continuation bytes not counted).
size_t displayWidth(const std::string& text) {
    return static_cast<size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string optionalNumber(const std::optional<double>& value, int decimals) {
    return value ? decimalComma(*value, decimals) : "-";
}

const char* consoleLabel(ModelColumn column) {
    switch (column) {
        case ModelColumn::Model: return msg::compareModel;
        case ModelColumn::Time: return msg::compareTime;
        case ModelColumn::Ratio: return msg::compareRatio;
        case ModelColumn::Status: return msg::compareStatus;
        case ModelColumn::Check: return msg::compareCheck;
        case ModelColumn::AcrossFolders: return msg::compareAcrossFolders;
        case ModelColumn::Z:
        case ModelColumn::Nodes: break;
    }
    return "";
}

std::string consoleCell(const ModelCell& cell, ModelColumn column) {
    switch (column) {
        case ModelColumn::Model: return printableName(cell.text);
        case ModelColumn::Status:
            if (cell.missing) return msg::compareMissing;
            return cell.changed ? cell.text + " " + msg::compareChanged : cell.text;
        case ModelColumn::Check: return cell.missing ? "" : checkText(cell.check);
        case ModelColumn::AcrossFolders: return cell.inconsistent ? msg::compareInconsistent : "";
        case ModelColumn::Time:
        case ModelColumn::Ratio:
        case ModelColumn::Z:
        case ModelColumn::Nodes: break;
    }
    return cell.value ? cell.text : "-";
}

std::string modelTable(const Comparison& comparison) {
    const ModelTable table = buildModelTable(comparison, false);
    std::vector<std::string> header;
    std::vector<bool> right;
    for (const ModelTableColumn& column : table.columns) {
        header.push_back(columnHeading(consoleLabel(column.kind), column, comparison.labels.size()));
        right.push_back(column.kind == ModelColumn::Time || column.kind == ModelColumn::Ratio);
    }
    std::vector<std::vector<std::string>> rows = {header};
    for (const std::vector<ModelCell>& cells : table.rows) {
        std::vector<std::string> texts;
        for (size_t c = 0; c < cells.size(); ++c) texts.push_back(consoleCell(cells[c], table.columns[c].kind));
        rows.push_back(std::move(texts));
    }
    return alignedTable(rows, right);
}

std::vector<std::string> summaryCells(const FolderSummary& summary, const std::string& label, bool reference) {
    return {label,
            std::to_string(summary.models),
            std::to_string(summary.solved),
            std::to_string(summary.limits),
            std::to_string(summary.errors),
            std::to_string(summary.wrong),
            optionalNumber(summary.meanSeconds, 3),
            optionalNumber(summary.meanNodes, 2),
            reference ? "-" : std::to_string(summary.wins),
            reference ? "-" : std::to_string(summary.losses),
            optionalNumber(summary.meanIntegral, 2)};
}

}  // namespace

std::string testVerdict(const std::optional<TestResult>& test) {
    if (!test || test->pairs == 0) return msg::compareNoDifference;
    // Decided on p as shown, so that the words never contradict the number.
    const double shown = std::round(test->p * 10000.0) / 10000.0;
    const char* verdict = test->pairs < kFewestPairs ? msg::compareTooFewPairs
                          : shown < 0.05             ? msg::compareSignificant
                                                     : msg::compareNotSignificant;
    char cell[200];
    if (shown < 0.0001) {
        std::snprintf(cell, sizeof cell, msg::compareTestCellSmall, test->pairs, verdict);
    } else {
        std::snprintf(cell, sizeof cell, test->pairs == 1 ? msg::compareTestCellOne : msg::compareTestCell,
                      decimalComma(shown, 4).c_str(), test->pairs, verdict);
    }
    return cell;
}

namespace {

// The summary table of `summaries` (one per folder) and the virtual best.
std::string summaryTable(const Comparison& comparison, const std::vector<FolderSummary>& summaries,
                         const FolderSummary& virtualBest) {
    std::vector<std::vector<std::string>> rows = {
        std::vector<std::string>(std::begin(msg::compareSummaryColumns), std::end(msg::compareSummaryColumns))};
    for (size_t f = 0; f < summaries.size(); ++f) {
        rows.push_back(
            summaryCells(summaries[f], std::to_string(f + 1) + " " + printableName(comparison.labels[f]), f == 0));
    }
    rows.push_back(summaryCells(virtualBest, virtualBest.label, false));
    std::vector<bool> right(rows[0].size(), true);
    right[0] = false;
    return alignedTable(rows, right);
}

// Each folder but the reference, its tests in words.
std::string testsTable(const Comparison& comparison, const std::vector<FolderSummary>& summaries) {
    std::vector<std::vector<std::string>> rows = {
        std::vector<std::string>(std::begin(msg::compareTestsColumns), std::end(msg::compareTestsColumns))};
    for (size_t f = 1; f < summaries.size(); ++f) {
        std::vector<std::string> row = {std::to_string(f + 1) + " " + printableName(comparison.labels[f])};
        for (const std::string& cell : testCells(summaries[f])) row.push_back(cell);
        rows.push_back(std::move(row));
    }
    return alignedTable(rows, std::vector<bool>(rows[0].size(), false));
}

// The summaries of the harder models, each bracket with its tests.
std::string bracketsText(const Comparison& comparison) {
    std::string text;
    for (const BracketSummary& bracket : comparison.brackets) {
        char title[200];
        std::snprintf(title, sizeof title, msg::compareBracketTitle, decimalComma(bracket.seconds, 0).c_str(),
                      bracket.models);
        text += std::string("\n") + title;
        if (bracket.models == 0) {
            text += msg::compareBracketEmpty;
            continue;
        }
        text += summaryTable(comparison, bracket.summaries, bracket.virtualBest);
        if (comparison.labels.size() > 1) text += testsTable(comparison, bracket.summaries);
    }
    return text;
}

// The reference's wins and losses are empty: it is not measured against itself.
std::string csvRow(const FolderSummary& summary, bool reference, size_t inconsistent, const std::string& scip) {
    const auto number = [](const std::optional<double>& value) { return value ? formatReportNumber(*value) : ""; };
    // Six significant digits: a p far below the reports' six decimals keeps its size.
    const auto p = [](const std::optional<TestResult>& test) {
        if (!test || test->pairs == 0) return std::string();
        char text[64];
        std::snprintf(text, sizeof text, "%.6g", test->p);
        std::string field = text;
        std::replace(field.begin(), field.end(), '.', ',');
        return field;
    };
    return csvName(summary.label) + ";" + std::to_string(summary.models) + ";" + std::to_string(summary.solved) + ";" +
           std::to_string(summary.limits) + ";" + std::to_string(summary.errors) + ";" + std::to_string(summary.wrong) +
           ";" + number(summary.meanSeconds) + ";" + number(summary.meanNodes) + ";" +
           (reference ? ";" : std::to_string(summary.wins) + ";" + std::to_string(summary.losses)) + ";" +
           p(summary.timeTest) + ";" + p(summary.solvedTest) + ";" + std::to_string(inconsistent) + ";" +
           number(summary.meanIntegral) + ";" + p(summary.integralTest) + ";" + csvName(scip) + ";" +
           p(summary.nodesTest) + ";" + p(summary.iterationsTest) + "\n";
}

}  // namespace

std::string printableName(const std::string& name) {
    std::string text = name;
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return text;
}

std::string alignedTable(const std::vector<std::vector<std::string>>& rows, const std::vector<bool>& right) {
    std::vector<size_t> widths(right.size(), 0);
    for (const auto& row : rows) {
        for (size_t c = 0; c < row.size() && c < widths.size(); ++c)
            widths[c] = std::max(widths[c], displayWidth(row[c]));
    }
    std::string text;
    for (const auto& row : rows) {
        std::string line;
        for (size_t c = 0; c < row.size() && c < widths.size(); ++c) {
            const std::string padding(widths[c] - displayWidth(row[c]), ' ');
            if (c > 0) line += "  ";
            line += right[c] ? padding + row[c] : row[c] + padding;
        }
        line.erase(line.find_last_not_of(' ') + 1);
        text += line + "\n";
    }
    return text;
}

std::vector<std::string> testCells(const FolderSummary& summary) {
    const auto work = [&summary](const std::optional<TestResult>& test) {
        return summary.workModels == 0 ? std::string(msg::compareNoData) : testVerdict(test);
    };
    return {testVerdict(summary.timeTest), testVerdict(summary.solvedTest),
            integralVerdict(summary),      work(summary.nodesTest),
            work(summary.iterationsTest),  msg::compareTogether[static_cast<int>(summary.together)]};
}

std::string differenceText(const FolderSummary& summary) {
    const DifferenceKind kind = differenceKind(summary);
    std::string text = msg::compareKinds[static_cast<int>(kind)];
    if (kind != DifferenceKind::TimeOnly) return text;
    switch (summary.together) {
        case RunTogether::OneBatch: return text + msg::compareKindSideBySide;
        case RunTogether::Overlapping: return text + msg::compareKindOverlapping;
        case RunTogether::Apart: return text + msg::compareKindApart;
        case RunTogether::Unknown: break;
    }
    return text + msg::compareKindUnknown;
}

bool anyApart(const Comparison& comparison) {
    return std::any_of(comparison.summaries.begin() + 1, comparison.summaries.end(),
                       [](const FolderSummary& summary) { return summary.together == RunTogether::Apart; });
}

std::string integralVerdict(const FolderSummary& summary) {
    return summary.integralModels == 0 ? std::string(msg::compareNoData) : testVerdict(summary.integralTest);
}

std::string comparisonConsole(const Comparison& comparison) {
    const size_t count = comparison.labels.size();
    std::string text = msg::compareFolders;
    const std::vector<std::string> scips = scipNames(comparison);
    for (size_t f = 0; f < count; ++f) {
        const std::optional<double>& limit = comparison.timeLimits[f];
        const std::string limitText = (limit ? formatMessage(msg::compareTimeLimit, decimalComma(*limit, 3))
                                             : std::string(msg::compareNoTimeLimit)) +
                                      (scips[f].empty() ? "" : msg::compareScipSeparator + scips[f]);
        char line[4096];
        std::snprintf(line, sizeof line, msg::compareFolderLine, f + 1, printableName(comparison.labels[f]).c_str(),
                      limitText.c_str());
        text += line;
    }
    text += "\n" + modelTable(comparison) + "\n";
    char title[200];
    std::snprintf(title, sizeof title, msg::compareSummaryTitle, comparison.summaries[0].models);
    text += title + summaryTable(comparison, comparison.summaries, comparison.virtualBest);
    if (comparison.inconsistent > 0) {
        char line[200];
        std::snprintf(line, sizeof line, msg::compareInconsistentCount, comparison.inconsistent);
        text += line;
    }
    text += msg::compareNotes;
    if (count > 1) {
        text += std::string("\n") + msg::compareTestsTitle + testsTable(comparison, comparison.summaries) +
                msg::compareTestsNote + "\n" + msg::compareKindTitle;
        for (size_t f = 1; f < count; ++f) {
            text += std::to_string(f + 1) + " " + printableName(comparison.labels[f]) + ": " +
                    differenceText(comparison.summaries[f]) + "\n";
        }
        if (anyApart(comparison)) text += msg::compareApartAdvice;
    }
    return text + bracketsText(comparison);
}

std::string comparisonCsv(const Comparison& comparison) {
    std::string text = msg::compareCsvHeader;
    const std::vector<std::string> scips = scipNames(comparison);
    for (size_t f = 0; f < comparison.summaries.size(); ++f) {
        text += csvRow(comparison.summaries[f], f == 0, comparison.inconsistent, scips[f]);
    }
    return text + csvRow(comparison.virtualBest, false, comparison.inconsistent, "");
}
