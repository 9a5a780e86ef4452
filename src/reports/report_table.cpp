// The reports' columns, their rows, and a report read back by header name.
#include "reports/report_table.h"

#include <algorithm>

#include "reports/output_files.h"
#include "reports/report_rows.h"
#include "text/messages.h"
#include "text/format.h"

namespace {

// Header names that more than one report has.
constexpr const char* kName = "NOME";
constexpr const char* kTime = "TEMPO";
constexpr const char* kStatus = "STATUS";
constexpr const char* kZ = "Z";

std::string number(const std::optional<double>& value) { return value ? formatReportNumber(*value) : std::string(); }

// Fields.
std::string name(const ModelResult& r) { return r.name; }
std::string seconds(const ModelResult& r) { return formatReportNumber(r.seconds); }
std::string status(const ModelResult& r) { return statusFieldText(r.outcome); }
// SCIP's bound as it gave it, its infinity (1e20) included.
std::string bound(const ModelResult& r) { return number(r.primalBound); }
std::string completeStatus(const ModelResult& r) { return r.fromScip ? r.statusText : statusFieldText(r.outcome); }
std::string finiteBound(const ModelResult& r) {
    return number(r.primalBound ? finiteValue(*r.primalBound) : std::nullopt);
}
std::string dualBound(const ModelResult& r) { return number(r.dualBound ? finiteValue(*r.dualBound) : std::nullopt); }
// A percentage, and only between a solution and a finite dual bound.
std::string gap(const ModelResult& r) {
    const std::optional<double> gap = r.gap ? finiteValue(*r.gap) : std::nullopt;
    const bool bounds = r.primalBound && finiteValue(*r.primalBound) && r.dualBound && finiteValue(*r.dualBound);
    return gap && bounds ? formatReportNumber(100.0 * *gap) : std::string();
}
std::string nodes(const ModelResult& r) { return std::to_string(r.nodes); }
std::string integral(const ModelResult& r) { return number(r.primalDualIntegral); }
std::string firstSolution(const ModelResult& r) { return number(r.firstSolutionSeconds); }
std::string bestSolution(const ModelResult& r) { return number(r.bestSolutionSeconds); }
std::string lpIterations(const ModelResult& r) { return std::to_string(r.lpIterations); }
std::string variables(const ModelResult& r) { return std::to_string(r.variables); }
std::string integers(const ModelResult& r) { return std::to_string(r.integers); }
std::string constraints(const ModelResult& r) { return std::to_string(r.constraints); }
std::string solutions(const ModelResult& r) { return std::to_string(r.solutions); }
std::string initialSolution(const ModelResult& r) { return initialSolutionText(r.initialSolution); }
std::string check(const ModelResult& r) { return checkText(r.check); }
std::string checkReasons(const ModelResult& r) { return checkReasonsText(r.checkReasons); }
std::string sense(const ModelResult& r) { return r.minimize ? msg::senseMin : msg::senseMax; }
std::string verified(const ModelResult& r) { return verificationText(r.verified); }
// The seed its answer was found under; none when SCIP's own was used.
std::string seed(const ModelResult& r) { return r.seed ? std::to_string(*r.seed) : std::string(); }
// The model file as it was read: size in bytes, time of change in nanoseconds.
std::string fileSize(const ModelResult& r) { return r.stamp ? std::to_string(r.stamp->size) : std::string(); }
std::string fileModified(const ModelResult& r) { return r.stamp ? std::to_string(r.stamp->modifiedNs) : std::string(); }

// What readers take back.
constexpr unsigned long long kLargestLongLong = 9223372036854775807ULL;
void readName(const std::string& field, RowValues& v) { v.name = field; }
void readSeconds(const std::string& field, RowValues& v) { v.seconds = parseDecimal(field); }
void readStatus(const std::string& field, RowValues& v) { v.status = field; }
void readZ(const std::string& field, RowValues& v) { v.z = parseDecimal(field); }
void readNodes(const std::string& field, RowValues& v) { v.nodes = parseDecimal(field); }
void readIterations(const std::string& field, RowValues& v) { v.lpIterations = parseDecimal(field); }
void readIntegral(const std::string& field, RowValues& v) { v.integral = parseDecimal(field); }
void readCheck(const std::string& field, RowValues& v) { v.check = checkFromText(field); }
void readDual(const std::string& field, RowValues& v) { v.dual = parseDecimal(field); }
void readVerified(const std::string& field, RowValues& v) {
    v.infeasibleSolution = field == verificationText(Verification::No);
}
void readSense(const std::string& field, RowValues& v) {
    if (field == msg::senseMin || field == msg::senseMax) v.minimize = field == msg::senseMin;
}
void readFileSize(const std::string& field, RowValues& v) { v.fileSize = parseWholeNumber(field, kLargestLongLong); }
void readFileModified(const std::string& field, RowValues& v) {
    v.fileModified = parseWholeNumber(field, kLargestLongLong);
}

const ReportColumn kNameColumn{kName, name, readName, kRequiredColumn};
const ReportColumn kTimeColumn{kTime, seconds, readSeconds, kRequiredColumn};

// Where each of the table's columns is in a file's header.
std::vector<std::optional<size_t>> positions(const ReportTable& table, const std::vector<std::string>& header) {
    std::vector<std::optional<size_t>> found;
    for (const ReportColumn& column : table.columns) {
        const auto at = std::find(header.begin(), header.end(), column.header);
        found.push_back(at != header.end() ? std::optional<size_t>(at - header.begin()) : std::nullopt);
    }
    return found;
}

std::vector<std::string> pick(const std::vector<std::optional<size_t>>& positions,
                              const std::vector<std::string>& fields) {
    std::vector<std::string> picked;
    for (const std::optional<size_t>& at : positions) picked.push_back(at && *at < fields.size() ? fields[*at] : "");
    return picked;
}

// A column of `table` that no other report has.
bool ownColumn(const ReportTable& table, const std::string& header) {
    for (const ReportTable& other : batchReports()) {
        if (&other == &table) continue;
        for (const ReportColumn& column : other.columns) {
            if (header == column.header) return false;
        }
    }
    return true;
}

}  // namespace

const std::vector<ReportTable>& batchReports() {
    static const std::vector<ReportTable> reports = {
        {kReportFile,
         {kNameColumn,
          kTimeColumn,
          {kStatus, status, readStatus, kRequiredColumn},
          {kZ, bound, nullptr, kOptionalColumn}},
         true,
         false},
        {kCompleteReportFile,
         {kNameColumn,
          kTimeColumn,
          {kStatus, completeStatus, readStatus, kRequiredColumn},
          {kZ, finiteBound, readZ, kScipColumn},
          {"LIMITE_DUAL", dualBound, readDual, kScipColumn},
          {"GAP", gap, nullptr, kScipColumn},
          {"NOS", nodes, readNodes, kScipColumn},
          {"ITERACOES_LP", lpIterations, readIterations, kScipColumn},
          {"VARIAVEIS", variables, nullptr, kScipColumn},
          {"INTEIRAS", integers, nullptr, kScipColumn},
          {"RESTRICOES", constraints, nullptr, kScipColumn},
          {"SOLUCOES", solutions, nullptr, kScipColumn},
          {"SOL_INICIAL", initialSolution, nullptr, kScipColumn},
          {"CONFERE", check, readCheck, kScipColumn},
          {"SEMENTE", seed, nullptr, kScipColumn},
          {"MOTIVO", checkReasons, nullptr, kScipColumn},
          {"SENTIDO", sense, readSense, kScipColumn},
          {"VERIFICADA", verified, readVerified, kScipColumn},
          {"INTEGRAL_PD", integral, readIntegral, kScipColumn},
          {"TEMPO_PRIMEIRA_SOL", firstSolution, nullptr, kScipColumn},
          {"TEMPO_MELHOR_SOL", bestSolution, nullptr, kScipColumn}},
         false,
         true},
        {kStampReportFile,
         {kNameColumn,
          {"TAMANHO", fileSize, readFileSize, kOptionalColumn},
          {"MODIFICACAO", fileModified, readFileModified, kOptionalColumn}},
         false,
         false}};
    return reports;
}

const ReportTable& completeReport() { return batchReports()[1]; }

std::vector<std::string> headerNames(const ReportTable& table) {
    std::vector<std::string> names;
    for (const ReportColumn& column : table.columns) names.push_back(column.header);
    return names;
}

std::string headerLine(const ReportTable& table) {
    std::string line;
    for (const ReportColumn& column : table.columns) line += (line.empty() ? "" : ";") + std::string(column.header);
    return line + "\n";
}

std::string tableRow(const ReportTable& table, const ModelResult& result) {
    std::vector<std::string> fields;
    for (const ReportColumn& column : table.columns) {
        fields.push_back((column.flags & kScipColumn) && !result.fromScip ? std::string() : column.write(result));
    }
    return tableRow(table, fields);
}

std::string tableRow(const ReportTable& table, const std::vector<std::string>& fields) {
    std::string row;
    for (size_t i = 0; i < fields.size(); ++i) row += (i > 0 ? ";" : "") + csvName(fields[i]);
    return table.rowsEndInSeparator ? row + ";" : row;
}

std::vector<CsvRow> parseCsv(const std::string& text) {
    std::vector<CsvRow> csvRows;
    size_t at = 0;
    while (at < text.size()) {
        CsvRow csvRow;
        csvRow.fields.emplace_back();
        const size_t start = at;
        size_t fieldStart = at;
        bool quoted = false;
        for (; at < text.size() && (quoted || text[at] != '\n'); ++at) {
            const char c = text[at];
            std::string& field = csvRow.fields.back();
            if (quoted && c == '"' && at + 1 < text.size() && text[at + 1] == '"') {
                field += '"';
                ++at;
            } else if (c == '"' && (quoted || at == fieldStart)) {
                quoted = !quoted;
            } else if (!quoted && c == ';') {
                csvRow.fields.emplace_back();
                fieldStart = at + 1;
            } else {
                field += c;
            }
        }
        csvRow.line = text.substr(start, at - start);
        // A line ended by CR LF, as some spreadsheets write it.
        if (!csvRow.line.empty() && csvRow.line.back() == '\r' && !csvRow.fields.back().empty() &&
            csvRow.fields.back().back() == '\r') {
            csvRow.line.pop_back();
            csvRow.fields.back().pop_back();
        }
        csvRows.push_back(std::move(csvRow));
        ++at;
    }
    return csvRows;
}

bool headerFits(const ReportTable& table, const std::vector<std::string>& header) {
    bool own = !table.needsOwnColumn;
    for (const ReportColumn& column : table.columns) {
        const bool present = std::find(header.begin(), header.end(), column.header) != header.end();
        if ((column.flags & kRequiredColumn) && !present) return false;
        own = own || (present && ownColumn(table, column.header));
    }
    return own;
}

std::vector<std::string> fieldsByName(const ReportTable& table, const std::vector<std::string>& header,
                                      const std::vector<std::string>& fields) {
    return pick(positions(table, header), fields);
}

std::optional<std::vector<TableRow>> readTable(const ReportTable& table, const std::string& text) {
    constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";  // a spreadsheet's UTF-8 mark
    const std::vector<CsvRow> csvRows = parseCsv(text.rfind(kByteOrderMark, 0) == 0 ? text.substr(3) : text);
    if (csvRows.empty() || !headerFits(table, csvRows[0].fields)) return std::nullopt;
    const std::vector<std::string>& header = csvRows[0].fields;
    const std::vector<std::optional<size_t>> at = positions(table, header);
    std::vector<TableRow> rows;
    for (size_t i = 1; i < csvRows.size(); ++i) {
        const std::vector<std::string>& fields = csvRows[i].fields;
        if (fields.size() < 2) continue;  // no name field: not a row
        const bool whole =
            fields.size() == header.size() || (fields.size() == header.size() + 1 && fields.back().empty());
        rows.push_back({pick(at, fields), csvRows[i].line, whole});
    }
    return rows;
}

void readRow(const ReportTable& table, const std::vector<std::string>& fields, RowValues& values) {
    for (size_t i = 0; i < table.columns.size() && i < fields.size(); ++i) {
        if (table.columns[i].read && !fields[i].empty()) table.columns[i].read(fields[i], values);
    }
}
