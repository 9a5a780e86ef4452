// The files a batch leaves in its output folder, by name, and the rule that
// names a part's own copy of each ("sol_stat.parte-K-de-N.csv"). Every such
// name is spelled here.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"

// The reports (src/reports/report_table.cpp holds their columns).
inline constexpr const char* kReportFile = "sol_stat.csv";
inline constexpr const char* kCompleteReportFile = "sol_stat_completo.csv";
inline constexpr const char* kStampReportFile = "sol_stat_arquivos.csv";
// The journal of finished rows not yet in the reports (reports.h).
inline constexpr const char* kJournalFile = "sol_stat.diario";
// The record of how the batch was solved (batch_record.h).
inline constexpr const char* kRecordFile = "parametros.set";
// The record of a part: only parts keep one, under its part name
// ("sol_stat.parte-K-de-N.info").
inline constexpr const char* kPartInfoFile = "sol_stat.info";

// The files of a whole batch: its reports, journal and record.
std::vector<std::string> batchFileNames();
// `name`'s copy for part `shard`: "sol_stat.parte-K-de-N.csv" for "sol_stat.csv".
std::string partName(const std::string& name, const Shard& shard);
// `name` for the whole batch, or its part's copy.
std::string outputFileName(const std::string& name, const std::optional<Shard>& shard);
// The part whose copy of `name` the file `fileName` is, K and N as the name
// has them (not checked against each other); nothing when it is none.
std::optional<Shard> partOfFile(const std::string& fileName, const std::string& name);
