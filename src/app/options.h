// The command line: options, the command and its operands.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"

struct ProgramOptions {
    BatchSettings settings;
    Resume resume = Resume::No;  // --retomar: keep the rows of an earlier run
    std::optional<Shard> shard;  // --shard K/N or slurm; nothing: the whole batch
    std::string knownResults;    // --solu FILE
    ScipRequest scip;            // --parametros, -p, --semente
    std::vector<int> seeds;      // --sementes: every model under each seed
    std::string historyFolder;   // --historico PASTA: its complete report orders the hand-out
    std::string optOnlyOption;   // the first of those, --formatos, --logs or --historico given, for messages
    bool help = false;
    bool version = false;
    std::string command;  // "" (the shell), "opt", "mod_lp", "merge" or "comparar"
    std::vector<std::string> operands;
    std::string htmlFile, csvFile;  // comparar's --html FILE and --csv FILE
    std::string variabilityFile;    // comparar's --csv-variabilidade FILE
};

// The command line as read: its options, or a usage error (one Portuguese line).
struct ParsedOptions {
    std::optional<ProgramOptions> options;
    std::string error;
};
ParsedOptions parseOptions(int argc, char** argv);
// A number of worker processes as typed ("4"); nothing unless 1 to 1024.
std::optional<int> parseJobs(const std::string& text);
