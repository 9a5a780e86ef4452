// The reports of a batch as tables: for each report its file name and its
// columns, each column declared once (its header name, its field as written
// from a model's result, what a reader takes back from it). The header line
// and the rows are built from the column list; a report file is read back by
// header name, whatever the order of its columns. Pure: no I/O.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"

// What the readers of the reports take back from a row (--retomar, comparar).
// An empty field tells nothing: these stay as they are.
struct RowValues {
    std::string name;
    std::string status;
    std::optional<double> seconds, z, nodes, dual, lpIterations;
    std::optional<double> integral;  // INTEGRAL_PD
    Check check = Check::None;
    std::optional<bool> minimize;     // SENTIDO
    bool infeasibleSolution = false;  // VERIFICADA NAO
    std::optional<unsigned long long> fileSize, fileModified;
};

// How a column is used (or'ed together).
enum ColumnFlags : unsigned {
    kOptionalColumn = 0,
    kRequiredColumn = 1,  // a file whose header lacks it is not this report
    kScipColumn = 2,      // empty for a model that SCIP did not read or solve
};

struct ReportColumn {
    const char* header;
    // Its field for a model's result (unquoted; the row quotes it if needed).
    std::string (*write)(const ModelResult& result);
    // What a reader takes from its field; nullptr where no reader needs it.
    void (*read)(const std::string& field, RowValues& values);
    unsigned flags;
};

struct ReportTable {
    const char* fileName;  // for the whole batch (output_files.h)
    std::vector<ReportColumn> columns;
    bool rowsEndInSeparator;  // every row ends in ";" (sol_stat.csv, as it always did)
    bool needsOwnColumn;      // a header must hold a column that no other report has
};

// Every report a batch keeps, in the order of a journal entry's rows; the
// first is sol_stat.csv, whose rows every model has.
const std::vector<ReportTable>& batchReports();
// sol_stat_completo.csv's table.
const ReportTable& completeReport();

// The header names, and the header line (with its line feed).
std::vector<std::string> headerNames(const ReportTable& table);
std::string headerLine(const ReportTable& table);
// A row (without its line feed): of a model's result, or of fields in the
// table's column order.
std::string tableRow(const ReportTable& table, const ModelResult& result);
std::string tableRow(const ReportTable& table, const std::vector<std::string>& fields);

// One row of a CSV text: its fields (";"-separated; a field that starts
// with a double quote ends at a lone one, "" inside it being one quote, and
// may hold ";" and line breaks) and its text as written, without the line
// feed (nor a CR before it) that ends it.
struct CsvRow {
    std::vector<std::string> fields;
    std::string line;
};
std::vector<CsvRow> parseCsv(const std::string& text);

// Whether a file whose header has these names holds this report: its
// required columns, and one of its own if the table asks for it.
bool headerFits(const ReportTable& table, const std::vector<std::string>& header);
// The table's fields, in its column order, of a row of a file whose header
// has these names: each by its header name; empty where the file has no such
// column (or the row stops short); the file's other columns left out.
std::vector<std::string> fieldsByName(const ReportTable& table, const std::vector<std::string>& header,
                                      const std::vector<std::string>& fields);

// One row of a report file read back by header name.
struct TableRow {
    std::vector<std::string> fields;  // in the table's column order
    std::string line;                 // as written
    bool whole = false;               // as many fields as the header (and perhaps a trailing ";")
};
// A report file's rows (lines without a ";" left out); nothing when its
// header does not fit the table.
std::optional<std::vector<TableRow>> readTable(const ReportTable& table, const std::string& text);
// What the table's readers take from fields in its column order.
void readRow(const ReportTable& table, const std::vector<std::string>& fields, RowValues& values);
