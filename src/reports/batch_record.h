// The record of how a batch was solved ("parametros.set" in the output
// folder): comment lines on the program, the machine and the options, then
// every SCIP parameter in force that differs from SCIP's default, so that
// `--parametros` with this file solves the batch the same way.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"

// The record of a batch about to start on `modelPaths` (the folder's
// entries), with SCIP's version and changed parameters as its check gave
// them ("" when SCIP could not be loaded); `commandLine` "" for the shell.
BatchRecord describeBatch(const BatchSettings& settings, const std::string& commandLine, const ScipBuild& scip,
                          const std::string& changedParameters, const std::vector<std::string>& modelPaths);
// The record's file name for the whole batch or one part of it.
std::string recordFileName(const std::optional<Shard>& shard);
// The record's text, with the workers started, the memory limit each
// one's SCIP got (MB), and the earlier report whose times ordered the
// hand-out ("" when none did); with --corrida, whether the batch `racing` raced.
std::string recordText(const BatchRecord& record, size_t workers, double memoryMb, const std::string& earlierReport,
                       bool racing = false);
// The SCIP a record names (its "SCIP" lines); "" fields where it names
// none (a record of an older program, or SCIP not loaded).
ScipBuild recordedScip(const std::string& recordText);
// Whether two SCIPs may be the same one: no field that both name differs
// (version, git hash, the library file's digest; not its path: a library
// moved or installed elsewhere is the same SCIP, one rebuilt in place is not).
bool sameScip(const ScipBuild& a, const ScipBuild& b);
// The value of a record's comment line "# <label>…" (the first such line); "" when it has none.
std::string recordedValue(const std::string& recordText, const char* label);
// A SCIP as messages name it: "SCIP 10.0.0 (git d031042e, /path/libscip.so, soma 0123456789abcdef)".
std::string scipBuildText(const ScipBuild& scip);
// A command line as one line that a shell reads back into the same words.
std::string quoteCommandLine(int argc, const char* const* argv);
