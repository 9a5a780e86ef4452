// The page's section on how a seed run's models vary with the seed.
#include "compare/seed_page.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "compare/comparison.h"
#include "compare/comparison_charts.h"
#include "text/messages.h"
#include "text/format.h"

namespace {

constexpr double kStripWidth = 320.0, kStripHeight = 18.0, kMargin = 8.0;

// One model's seed times as dots on a log axis from `low` to `high`, each
// with its seed and time as a tip.
std::string strip(const SeedRun& run, const SeedSpread& spread, double low, double high) {
    const auto x = [&](double seconds) {
        const double span = std::log(high) - std::log(low);
        const double at = span > 0.0 ? (std::log(std::max(seconds, low)) - std::log(low)) / span : 0.5;
        return kMargin + at * (kStripWidth - 2.0 * kMargin);
    };
    char line[200];
    std::snprintf(
        line, sizeof line,
        "<svg class=\"faixa\" width=\"%.0f\" height=\"%.0f\"><line x1=\"%.1f\" y1=\"9\" x2=\"%.1f\" y2=\"9\"/>",
        kStripWidth, kStripHeight, kMargin, kStripWidth - kMargin);
    std::string svg = line;
    for (size_t s = 0; s < spread.seconds.size(); ++s) {
        std::snprintf(line, sizeof line, "<circle cx=\"%.1f\" cy=\"9\" r=\"4\"><title>", x(spread.seconds[s]));
        svg += line + htmlEscape(run.seedNames[s]) + ": " + decimalComma(spread.seconds[s], 3) + " s</title></circle>";
    }
    return svg + "</svg>";
}

std::string runTable(const SeedRun& run) {
    double low = 1e300, high = 0.0;
    for (const SeedSpread& spread : run.spreads) {
        for (double seconds : spread.seconds) {
            low = std::min(low, std::max(seconds, kProfileFloorSeconds));
            high = std::max(high, std::max(seconds, kProfileFloorSeconds));
        }
    }
    std::string table = "<h3>" + htmlEscape(run.label) + "</h3>\n<table class=\"variacao\"><thead><tr>";
    for (const char* column : msg::pageVariabilityColumns) table += std::string("<th>") + column + "</th>";
    table += "</tr></thead><tbody>\n";
    const auto optional = [](const std::optional<double>& value) {
        return value ? decimalComma(*value, 3) : std::string("-");
    };
    for (const SeedSpread& spread : run.spreads) {
        table += "<tr><td>" + htmlEscape(spread.name) + "</td><td>" + strip(run, spread, low, high) +
                 "</td><td class=\"n\">" + decimalComma(spread.variation, 2) + "</td><td class=\"n\">" +
                 optional(spread.fastestOf2) + "</td><td class=\"n\">" + optional(spread.fastestOf4) + "</td></tr>\n";
    }
    return table + "</tbody></table>\n";
}

}  // namespace

std::string variabilitySection(const std::vector<SeedRun>& runs) {
    if (runs.empty()) return "";
    std::string section = std::string("<h2>") + msg::pageVariabilityTitle + "</h2>\n<p class=\"nota\">" +
                          msg::pageVariabilityNote + "</p>\n<div id=\"variacao\">\n";
    for (const SeedRun& run : runs) section += runTable(run);
    return section + "</div>\n";
}
