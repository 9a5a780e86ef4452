// The command line: options, the command and its operands.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "commands/opt_request.h"

struct ProgramOptions {
    BatchSettings settings;    // -t, -j, --memoria, --formatos, --logs, --semente, --corrida
    std::string knownResults;  // --solu FILE
    // opt's request as the command line gives it: its folders, its command
    // line and the options only opt takes.
    OptRequest opt;
    std::string optOnlyOption;  // the first option only opt takes given, for messages
    bool help = false;
    bool version = false;
    std::string command;  // "" (the shell), "opt", "mod_lp", "merge" or "comparar"
    std::vector<std::string> operands;
    std::string htmlFile, csvFile;  // comparar's --html FILE and --csv FILE
    std::string variabilityFile;    // comparar's --csv-variabilidade FILE
    std::string scipLibrary;        // opt's --scip FILE: the SCIP library the batch runs on
};

// The command line as read: its options, or a usage error (one Portuguese line).
struct ParsedOptions {
    std::optional<ProgramOptions> options;
    std::string error;
};
ParsedOptions parseOptions(int argc, char** argv);
// A number of worker processes as typed ("4"); nothing unless 1 to 1024.
std::optional<int> parseJobs(const std::string& text);
