// The charts of the comparison page as inline SVG.
#include "compare/comparison_charts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "compare/comparison_text.h"
#include "compare/model_table.h"
#include "text/messages.h"
#include "text/format.h"

namespace {

// A coordinate or length for an SVG attribute.
std::string px(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// Tick values of a log axis from `low` to `high`: powers of 2 for a short
// span (with 1,5 times each for a very short one), of 10 otherwise.
std::vector<double> logTicks(double low, double high) {
    // Times are bounded when read; an axis without finite ends has no ticks.
    if (!std::isfinite(low) || !std::isfinite(high) || low <= 0.0 || high < low) return {};
    const double base = high / low <= 64.0 ? 2.0 : 10.0;
    const bool halves = high / low <= 8.0;
    std::vector<double> ticks;
    for (double tick = std::pow(base, std::ceil(std::log(low) / std::log(base) - 1e-9)); tick <= high * (1 + 1e-9);
         tick *= base) {
        ticks.push_back(tick);
        if (halves && tick * 1.5 <= high) ticks.push_back(tick * 1.5);
    }
    return ticks;
}

// A tick's label: whole numbers plain, others with a decimal comma.
std::string tickLabel(double value) {
    const int decimals = std::fabs(value - std::round(value)) < 1e-9 ? 0 : value >= 0.1 ? 1 : 2;
    return decimalComma(value, decimals);
}

std::string text(double x, double y, const std::string& content, const std::string& attributes = "") {
    return "<text x=\"" + px(x) + "\" y=\"" + px(y) + "\"" + attributes + ">" + content + "</text>";
}

std::string line(double x1, double y1, double x2, double y2, const std::string& attributes) {
    return "<line x1=\"" + px(x1) + "\" y1=\"" + px(y1) + "\" x2=\"" + px(x2) + "\" y2=\"" + px(y2) + "\"" +
           attributes + "/>";
}

// The mark of one time: filled when solved, a ring at a limit, a cross otherwise.
std::string marker(double x, double y, const ComparedRow& row, const char* colour, const std::string& title) {
    const std::string tip = "<title>" + htmlEscape(title) + "</title>";
    if (row.kind == StatusKind::Solved || row.kind == StatusKind::Limit) {
        const std::string fill = row.kind == StatusKind::Solved ? colour : "white";
        return "<circle cx=\"" + px(x) + "\" cy=\"" + px(y) + "\" r=\"3.5\" fill=\"" + fill + "\" stroke=\"" + colour +
               "\" stroke-width=\"1.5\">" + tip + "</circle>";
    }
    return "<path d=\"M" + px(x - 3.5) + " " + px(y - 3.5) + "l7 7m0 -7l-7 7\" stroke=\"" + colour +
           "\" stroke-width=\"2\">" + tip + "</path>";
}

}  // namespace

std::string htmlEscape(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            case '\'': escaped += "&#39;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

const char* folderColour(size_t folder) {
    static const char* const colours[] = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e", "#9467bd",
                                          "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22", "#17becf"};
    return colours[folder % (sizeof colours / sizeof colours[0])];
}

std::string profileChart(const Comparison& comparison) {
    const size_t models = comparison.summaries[0].models;
    if (models == 0) return "";
    double largest = 1.0;
    for (const auto& ratios : comparison.profileRatios) {
        if (!ratios.empty()) largest = std::max(largest, ratios.back());
    }
    const double tauMax = std::max(2.0, largest * 1.1);
    const double left = 55, right = 520, top = 15, bottom = 275;
    const auto x = [&](double tau) { return left + std::log(tau) / std::log(tauMax) * (right - left); };
    const auto y = [&](double share) { return bottom - share * (bottom - top); };
    // The legend, one folder a line at the right, widens and lengthens the chart as it needs.
    size_t longest = 0;
    for (const std::string& label : comparison.labels) longest = std::max(longest, label.size());
    const double width = std::max(760.0, right + 60 + 7.5 * static_cast<double>(longest + 3));
    const double height = std::max(320.0, top + 20 + 20.0 * static_cast<double>(comparison.labels.size()));
    std::string svg = "<svg id=\"perfil\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" + px(width) + "\" height=\"" +
                      px(height) + "\" viewBox=\"0 0 " + px(width) + " " + px(height) +
                      "\" role=\"img\" font-size=\"12\">";
    for (double share : {0.0, 0.25, 0.5, 0.75, 1.0}) {
        svg += line(left, y(share), right, y(share), " stroke=\"#ddd\"");
        svg += text(left - 6, y(share) + 4, decimalComma(share * 100, 0) + msg::chartPercent, " text-anchor=\"end\"");
    }
    for (double tau : logTicks(1.0, tauMax)) {
        svg += line(x(tau), top, x(tau), bottom, " stroke=\"#ddd\"");
        svg += text(x(tau), bottom + 16, tickLabel(tau), " text-anchor=\"middle\"");
    }
    svg += line(left, bottom, right, bottom, " stroke=\"#333\"") + line(left, top, left, bottom, " stroke=\"#333\"");
    svg += text((left + right) / 2, bottom + 36, msg::chartProfileAxis, " text-anchor=\"middle\"");
    for (size_t f = 0; f < comparison.profileRatios.size(); ++f) {
        const std::vector<double>& ratios = comparison.profileRatios[f];
        std::string path = "M" + px(x(1.0)) + " " + px(y(0.0));
        for (size_t i = 0; i < ratios.size(); ++i) {
            path += "H" + px(x(ratios[i])) + "V" + px(y(static_cast<double>(i + 1) / static_cast<double>(models)));
        }
        path += "H" + px(right);
        svg += "<path d=\"" + path + "\" fill=\"none\" stroke=\"" + folderColour(f) + "\" stroke-width=\"2\"/>";
        const double legendY = top + 10 + 20.0 * static_cast<double>(f);
        svg += line(right + 20, legendY - 4, right + 44, legendY - 4,
                    std::string(" stroke=\"") + folderColour(f) + "\" stroke-width=\"3\"");
        svg += text(right + 50, legendY, std::to_string(f + 1) + " " + htmlEscape(comparison.labels[f]));
    }
    return svg + "</svg>";
}

std::string timeChart(const Comparison& comparison) {
    const size_t count = comparison.labels.size();
    const size_t models = comparison.models.size();
    double highest = 1.0;
    for (const ModelComparison& model : comparison.models) {
        for (const auto& row : model.rows) {
            if (row) highest = std::max(highest, row->seconds);
        }
    }
    const double low = kProfileFloorSeconds, high = highest * 1.5;
    const double step = std::clamp(900.0 / static_cast<double>(std::max<size_t>(models, 1)), 8.0, 48.0);
    const bool named = models <= 80;
    const double left = 60, top = 40, bottom = 290;
    const double right = left + step * static_cast<double>(models);
    // The legend is one row, each folder as wide as its label.
    std::vector<double> legendX{left};
    for (size_t f = 0; f < count; ++f) {
        const std::string entry = std::to_string(f + 1) + " " + comparison.labels[f];
        legendX.push_back(legendX.back() + 40 + 7.0 * static_cast<double>(entry.size()));
    }
    const double width = std::max({right + 20, 620.0, legendX.back()});
    const double height = named ? 420 : 320;
    const auto y = [&](double seconds) {
        const double clamped = std::max(seconds, low);
        return bottom - std::log(clamped / low) / std::log(high / low) * (bottom - top);
    };
    std::string svg = "<svg id=\"tempos\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" + px(width) + "\" height=\"" +
                      px(height) + "\" viewBox=\"0 0 " + px(width) + " " + px(height) + "\" font-size=\"12\">";
    for (size_t f = 0; f < count; ++f) {
        svg += "<circle cx=\"" + px(legendX[f]) + "\" cy=\"14\" r=\"4\" fill=\"" + folderColour(f) + "\"/>";
        svg += text(legendX[f] + 8, 18, std::to_string(f + 1) + " " + htmlEscape(comparison.labels[f]));
    }
    svg += text(left, 34, msg::chartTimeLegend, " fill=\"#555\"");
    for (double tick : logTicks(low, high)) {
        svg += line(left, y(tick), right, y(tick), " stroke=\"#ddd\"");
        svg += text(left - 6, y(tick) + 4, tickLabel(tick), " text-anchor=\"end\"");
    }
    svg += line(left, bottom, right, bottom, " stroke=\"#333\"") + line(left, top, left, bottom, " stroke=\"#333\"");
    for (size_t m = 0; m < models; ++m) {
        const ModelComparison& model = comparison.models[m];
        const double start = left + step * static_cast<double>(m);
        for (size_t f = 0; f < count; ++f) {
            if (!model.rows[f]) continue;
            const ComparedRow& row = *model.rows[f];
            const double x = start + step * static_cast<double>(f + 1) / static_cast<double>(count + 1);
            svg +=
                marker(x, y(row.seconds), row, folderColour(f),
                       model.name +
                           formatMessage(msg::chartTimeTip, f + 1, comparison.labels[f], decimalComma(row.seconds, 3)) +
                           shortStatus(row.status));
        }
        if (named) {
            const double x = start + step / 2;
            svg += text(x, bottom + 12, htmlEscape(printableName(model.name)),
                        " text-anchor=\"end\" transform=\"rotate(-50 " + px(x) + " " + px(bottom + 12) + ")\"");
        }
    }
    return svg + "</svg>";
}
