// How much a seed run's models vary with the seed, as text.
#include "compare/seed_text.h"

#include "compare/comparison_text.h"
#include "reports/report_rows.h"
#include "text/messages.h"
#include "text/format.h"

namespace {

// "semente-3" -> "3".
std::string seedNumber(const std::string& folderName) {
    return folderName.substr(std::string(kSeedFolderPrefix).size());
}

std::string seedList(const SeedRun& run) {
    std::string list;
    for (const std::string& name : run.seedNames) list += (list.empty() ? "" : ", ") + seedNumber(name);
    return list;
}

}  // namespace

std::string variabilityConsole(const std::vector<SeedRun>& runs) {
    std::string text;
    for (const SeedRun& run : runs) {
        text +=
            "\n" + formatMessage(msg::compareVariabilityTitle, printableName(run.label).c_str(), seedList(run).c_str());
        std::vector<std::vector<std::string>> rows = {std::vector<std::string>(
            std::begin(msg::compareVariabilityColumns), std::end(msg::compareVariabilityColumns))};
        const auto seedTime = [&run](const SeedSpread& spread, size_t seed) {
            return seedNumber(run.seedNames[seed]) + ": " + decimalComma(spread.seconds[seed], 3);
        };
        const auto optional = [](const std::optional<double>& value) { return value ? decimalComma(*value, 3) : "-"; };
        for (const SeedSpread& spread : run.spreads) {
            rows.push_back({printableName(spread.name), seedTime(spread, spread.fastest),
                            seedTime(spread, spread.slowest), decimalComma(spread.variation, 2),
                            optional(spread.fastestOf2), optional(spread.fastestOf4)});
        }
        text += alignedTable(rows, {false, true, true, true, true, true});
    }
    return runs.empty() ? text : text + msg::compareVariabilityNote;
}

std::string variabilityCsv(const std::vector<SeedRun>& runs) {
    std::string text = msg::compareVariabilityCsvHeader;
    const auto optional = [](const std::optional<double>& value) { return value ? formatReportNumber(*value) : ""; };
    for (const SeedRun& run : runs) {
        for (const SeedSpread& spread : run.spreads) {
            text += csvName(run.label) + ";" + csvName(spread.name) + ";" + seedNumber(run.seedNames[spread.fastest]) +
                    ";" + formatReportNumber(spread.seconds[spread.fastest]) + ";" +
                    seedNumber(run.seedNames[spread.slowest]) + ";" +
                    formatReportNumber(spread.seconds[spread.slowest]) + ";" + formatReportNumber(spread.variation) +
                    ";" + optional(spread.fastestOf2) + ";" + optional(spread.fastestOf4) + "\n";
        }
    }
    return text;
}
