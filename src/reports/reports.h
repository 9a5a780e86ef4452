// The reports a batch keeps in its output folder (sol_stat.csv and
// sol_stat_completo.csv): their list, their text, writing them whole, and
// reading them back for --retomar and merge.
#pragma once

#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "text/Messages.h"

// One report file of a batch.
struct ReportFile {
    const char* name;    // e.g. "sol_stat.csv"
    const char* header;  // its first line, line feed included
    // Its row for a model's result.
    std::string (*row)(const ModelResult& result);
    // Its row for a model kept from an earlier run whose report lacks one,
    // made from the model's sol_stat.csv row (none for sol_stat.csv itself).
    std::string (*fromShortRow)(const std::string& shortRowLine);
};
// Every report a batch keeps; the first is sol_stat.csv.
const std::vector<ReportFile>& batchReports();
// A report's file name for part `shard` of a batch: "sol_stat.parte-K-de-N.csv" for "sol_stat.csv".
std::string partName(const std::string& reportName, const Shard& shard);
// The report names of a whole batch, or of one part.
std::string reportFileName(const ReportFile& report, const std::optional<Shard>& shard);

// The journal of a batch ("sol_stat.diario", or a part's): every finished
// model's rows, one record each, appended as the model finishes. While the
// reports are rewritten at most about once a second, it keeps what they do
// not hold yet; --retomar reads it, and a batch removes it once its reports
// hold every row.
std::string journalName(const std::optional<Shard>& shard);
// One record: a line "R <length of each row>…" and the rows' bytes.
std::string journalRecord(const std::vector<std::string>& rows);
// The whole records of a journal's text, in order (a record cut short by a
// killed writer is left out).
std::vector<std::vector<std::string>> parseJournal(const std::string& text);
// The length of the whole records at the start of a journal's text.
size_t wholeJournalLength(const std::string& text);

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
// The rows of an earlier run in `outputFolder` (of part `shard`, if given),
// by model name: every model with a sol_stat.csv row, with its row of each
// report and the stamp of the model file it was made from.
std::map<std::string, KeptRow> readKeptRows(const std::string& outputFolder, const std::optional<Shard>& shard);
// Rewrites `outputFolder`/`name` from `rows`, atomically.
// Returns false, after a message on `errors`, when it cannot.
bool writeReport(const std::string& outputFolder, const std::vector<std::string>& rows,
                 std::ostream& errors = std::cerr, const std::string& name = "sol_stat.csv",
                 const std::string& header = msg::reportHeader);
