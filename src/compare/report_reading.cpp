// Complete reports and settings files read back for a comparison, and the
// SCIPs their records name.
#include "compare/comparison.h"

#include <algorithm>
#include <set>

#include "reports/report_table.h"
#include "text/format.h"
#include "text/messages.h"
#include "text/settings_line.h"

std::optional<CompleteReport> parseCompleteReport(const std::string& text) {
    const ReportTable& table = completeReport();
    const std::optional<std::vector<TableRow>> rows = readTable(table, text);
    if (!rows) return std::nullopt;
    CompleteReport report;
    std::set<std::string> names;
    for (const TableRow& line : *rows) {
        RowValues values;
        readRow(table, line.fields, values);
        // A time of more than about 30 years, or a negative node or
        // iteration count or integral, is not from a batch.
        const std::optional<double> seconds = line.whole ? values.seconds : std::nullopt;
        if (!seconds || *seconds < 0.0 || *seconds > kLongestSeconds || (values.nodes && *values.nodes < 0.0) ||
            (values.lpIterations && *values.lpIterations < 0.0) || (values.integral && *values.integral < 0.0)) {
            report.badLines.push_back(line.line);
            continue;
        }
        if (!names.insert(values.name).second) report.repeatedNames.push_back(values.name);
        ComparedRow row;
        row.name = values.name;
        row.seconds = *seconds;
        row.status = values.status;
        row.kind = statusKind(row.status);
        row.z = values.z;
        row.nodes = values.nodes;
        row.lpIterations = values.lpIterations;
        row.dual = values.dual;
        row.minimize = values.minimize;
        row.check = values.check;
        row.integral = values.integral;
        report.rows.push_back(std::move(row));
    }
    return report;
}

SettingsTimeLimit settingsTimeLimit(const std::string& text) {
    SettingsTimeLimit limit;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const SettingsLine line = parseSettingsLine(text.substr(at, end - at));
        at = end + 1;
        if (line.kind != SettingsLine::Parameter || line.name != "limits/time" || !line.value) continue;
        // A later line overrides an earlier one, as SCIP reads them.
        const std::string& value = *line.value;
        const std::optional<double> seconds = value.find(',') == std::string::npos ? parseDecimal(value) : std::nullopt;
        limit = SettingsTimeLimit{};
        if (!seconds || *seconds <= 0.0) {
            limit.unreadable = value;
        } else if (*seconds < 1e20) {
            limit.seconds = *seconds;
        }
    }
    return limit;
}

std::vector<std::string> scipNames(const Comparison& comparison) {
    std::vector<std::string> names;
    for (const ScipBuild& scip : comparison.scips) {
        if (scip.version.empty()) {
            names.emplace_back();
            continue;
        }
        // Another folder under this version, but from another library.
        const bool twin = std::any_of(
            comparison.scips.begin(), comparison.scips.end(),
            [&scip](const ScipBuild& other) { return other.version == scip.version && other.library != scip.library; });
        names.push_back(
            formatMessage(twin ? msg::compareScipWithLibrary : msg::compareScip, scip.version, scip.library));
    }
    return names;
}
