// The reports a batch keeps in its output folder (sol_stat.csv,
// sol_stat_completo.csv, sol_stat_arquivos.csv; their columns in
// report_table.h): their text, writing them whole, the journal, and reading
// them back, by header name, for --retomar and merge.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "reports/output_files.h"
#include "reports/report_table.h"

// A report's file name for the whole batch, or for one part.
std::string reportFileName(const ReportTable& report, const std::optional<Shard>& shard);

// The journal of a batch ("sol_stat.diario", or a part's): every finished
// model's rows, one entry each, appended as the model finishes. While the
// reports are rewritten at most about once a second, it keeps what they do
// not hold yet; --retomar reads it, and a batch removes it once its reports
// hold every row. It starts with its layout: a line "L <report file
// name>;<its header names>" per report, in the order of an entry's rows.
std::string journalName(const std::optional<Shard>& shard);
// The layout lines that start a journal of this program's reports.
std::string journalStart();
// One entry: a line "R <length of each row>…" and the rows' bytes.
std::string journalEntry(const std::vector<std::string>& rows);
// How much of a journal's text new entries may follow: its layout and whole
// entries when its layout is this program's (an entry cut short by a killed
// writer is cut off), else nothing (the journal starts afresh).
size_t journalKeptLength(const std::string& text);
// A journal's whole entries rewritten in this program's layout (each row's
// fields moved to today's columns by header name), after its layout lines;
// "" when it holds none that can be read.
std::string journalInTodaysLayout(const std::string& text);

// The whole report file: header and one line per row.
std::string reportText(const ReportTable& report, const std::vector<std::string>& rows);
// A report file's rows written again under this program's header, fields
// moved to their columns by header name (missing ones empty, unknown ones
// left out); nothing when its header does not fit the report.
std::optional<std::vector<std::string>> rowsInTodaysLayout(const ReportTable& report, const std::string& text);
// The rows of an earlier run in `outputFolder` (of part `shard`, if given),
// by model name: every model with a sol_stat.csv row in the reports or the
// journal, with its row of each report (in this program's layout) and the
// stamp of the model file it was made from.
std::map<std::string, KeptRow> readKeptRows(const std::string& outputFolder, const std::optional<Shard>& shard);
// The TEMPO of each model of a complete report's text, by model name (a
// row whose time cannot be read gives none; of a name twice, the last row
// that gives one counts); nothing when the text is no complete report.
std::optional<std::map<std::string, double>> earlierSeconds(const std::string& text);
// The times of `folder`'s complete report (sol_stat_completo.csv, of the
// whole batch); nothing when it has none that can be read.
std::optional<EarlierTimes> readEarlierTimes(const std::string& folder);
// The seed folders of a batch run under several seeds (`folder`'s folders
// named as seedFolderName names them), in seed order; none when `folder`
// holds a complete report of its own (it is one batch). A name that only
// looks like one goes to `odd`, when given; a folder that cannot be listed
// whole, to `err`.
std::vector<std::string> seedFoldersOf(const std::string& folder, std::string* err,
                                       std::vector<std::string>* odd = nullptr);
// The variant folders of a batch run under several variants (`folder`'s
// folders named "variante-NOME"), by name; none when `folder` holds a
// complete report of its own.
std::vector<std::string> variantFoldersOf(const std::string& folder, std::string* err);
// The folders under `folder` that each hold one batch's reports: its seed
// folders, its variant folders, or its variants' seed folders (none: it is
// one batch itself, or nothing).
std::vector<std::string> batchFoldersUnder(const std::string& folder, std::string* err);
// Rewrites `outputFolder`/`name` (the report's file or a part's) from `rows`,
// atomically. Returns false, with the line that says so in `err`, when it cannot.
bool writeReport(const std::string& outputFolder, const ReportTable& report, const std::string& name,
                 const std::vector<std::string>& rows, std::string* err);
