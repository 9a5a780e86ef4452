// What the fields of the reports are made of: status texts, the number
// format, quoted names. Pure: no I/O.
#pragma once

#include <optional>
#include <string>

#include "batch/batch.h"

// Maps SCIP's status code to an outcome by the numbering of SCIP's major
// version. Versions whose numbering is unknown give nothing.
std::optional<Outcome> outcomeFromScipStatus(int scipMajorVersion, int status);
// Console line ("STATUS: ...\n") and row text ("...;") of an outcome; empty
// for Outcome::Other.
const char* statusLine(Outcome outcome);
const char* statusRowText(Outcome outcome);
// An outcome's STATUS field: its row text without the ";".
std::string statusFieldText(Outcome outcome);
// The complete report's STATUS for SCIP's status code: the text of
// sol_stat.csv where it has one, otherwise the name of the limit or event
// that stopped the solve ("DESCONHECIDO" for anything else).
std::string completeStatusText(int scipMajorVersion, int status);
// Whether a solve ended with what was asked of it: an answer (optimal,
// infeasible, unbounded, either) or a limit set on the answer (gap,
// solutions, primal or dual bound). Limits of time, nodes, memory or
// restarts, an interrupt, SCIP's own stop and errors are no answer.
bool endsWithAnswer(const ModelResult& result);
// Whether `a` is a better result than `b` for the same model: solved by
// SCIP where `b` was not, else a better primal bound (one where `b` has none).
bool betterResult(const ModelResult& a, const ModelResult& b);
// CONFERE and SOL_INICIAL as the complete report writes them.
const char* checkText(Check check);
const char* initialSolutionText(InitialSolution use);
// VERIFICADA as the complete report writes it ("" without a solution).
const char* verificationText(Verification verified);
// MOTIVO: the words of the kReason… bits, in a fixed order, joined by "+".
std::string checkReasonsText(unsigned reasons);
// CONFERE as read back from a report; Check::None for anything else.
Check checkFromText(const std::string& text);
// A value as a field: empty when infinite (SCIP's infinity is 1e20) or missing.
std::optional<double> finiteValue(double value);

// The console lines of a model's outcome: "NOME: …", "TEMPO: …" (the
// stream's default format) and its status line.
std::string outcomeLines(const std::string& name, double seconds, Outcome outcome);
// `%f` with a decimal comma, whatever the process locale: 0.0625 -> "0,062500".
std::string formatReportNumber(double value);
// A report field as written (a file name, or any field): between double
// quotes, inner quotes doubled, when it holds ";", a double quote, CR or LF;
// otherwise as it is.
std::string csvName(const std::string& name);
