// What the fields of the reports are made of: status texts, the number
// format, quoted names. Pure: no I/O.
#pragma once

#include <optional>
#include <string>

#include "batch/batch.h"

// Console line ("STATUS: ...\n") and row text ("...;") of an outcome; empty
// for Outcome::Other.
const char* statusLine(Outcome outcome);
const char* statusRowText(Outcome outcome);
// An outcome's STATUS field: its row text without the ";".
std::string statusFieldText(Outcome outcome);
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
