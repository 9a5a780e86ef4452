// Report rows (name, time, status, bound), their number format and status
// texts, and the report file sol_stat.csv.
#pragma once

#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Messages.h"

// How a solve ended, as the report tells it.
// SolveError: the process that solved the model died.
enum class Outcome { TimeLimit, Optimal, Infeasible, Unbounded, InfeasibleOrUnbounded, Other, ReadError, SolveError };

// Maps SCIP's status code to an outcome by the numbering of SCIP's major
// version. Versions whose numbering is unknown give nothing.
std::optional<Outcome> outcomeFromScipStatus(int scipMajorVersion, int status);
// Console line ("STATUS: ...\n") and row text ("...;") of an outcome; empty
// for Outcome::Other.
const char* statusLine(Outcome outcome);
const char* statusRowText(Outcome outcome);
// The complete report's STATUS for SCIP's status code: the text of
// sol_stat.csv where it has one, otherwise the name of the limit or event
// that stopped the solve ("DESCONHECIDO" for anything else).
std::string completeStatusText(int scipMajorVersion, int status);

// What a solve tells, for the complete report. Infinite or undefined values
// are nothing.
struct SolveFacts {
    std::string name;
    double seconds = 0.0;
    std::string status;
    std::optional<double> primalBound, dualBound, gapPercent;
    long long nodes = 0, lpIterations = 0, solutions = 0;
    int variables = 0, integers = 0, constraints = 0;
    std::string initialSolution;  // SIM, REJEITADA or NAO
    std::string check;            // CONFERE (empty without known results)
};
// One complete report row: 14 fields, no trailing ";".
std::string buildCompleteRow(const SolveFacts& facts);
// The complete row of a model not read or not solved: name, time, status, empty fields.
std::string incompleteRow(const std::string& name, double seconds, Outcome outcome);
// A value as a field: empty when infinite (SCIP's infinity is 1e20) or missing.
std::optional<double> finiteValue(double value);

// The console lines of a model's outcome: "NOME: …", "TEMPO: …" (the
// stream's default format) and its status line.
std::string outcomeLines(const std::string& name, double seconds, Outcome outcome);
// `%f` with a decimal comma, whatever the process locale: 0.0625 -> "0,062500".
std::string formatReportNumber(double value);
// A file name as a report field: between double quotes, inner quotes
// doubled, when it holds ";", a double quote, CR or LF; otherwise as it is.
std::string csvName(const std::string& name);
// One report row: name;time;status;bound; (an empty status field for
// Outcome::Other, an empty bound field when there is no bound).
std::string buildResultRow(const std::string& name, double seconds, Outcome outcome,
                           std::optional<double> primalBound);
// The whole report file: header and one line per row.
std::string reportText(const std::vector<std::string>& rows, const std::string& header = msg::reportHeader);
// One row of a report file as written: its model's name (unquoted) and the
// whole line (without its line feed).
struct ReportRow {
    std::string name;
    std::string line;
};
// The rows of a report file's text (the header left out). A quoted name may
// hold ";" and line breaks. Lines without a name field are left out.
std::vector<ReportRow> parseReport(const std::string& text);
// The rows of an earlier run in `outputFolder`, by model name: its
// sol_stat.csv row and its sol_stat_completo.csv row (made of the four
// fields known when that report lacks it).
std::map<std::string, std::vector<std::string>> readKeptRows(const std::string& outputFolder);
// Rewrites `outputFolder`/sol_stat.csv from `rows`, atomically.
// Returns false, after a message on `errors`, when it cannot.
bool writeReport(const std::string& outputFolder, const std::vector<std::string>& rows,
                 std::ostream& errors = std::cerr, const std::string& name = "sol_stat.csv",
                 const std::string& header = msg::reportHeader);
