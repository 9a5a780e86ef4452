// LoteOtimizador: the entry point, and the commands run from the command line.
#include <cstdio>
#include <memory>
#include <iostream>
#include <string>

extern "C" {
#include <glpk.h>
}

#include "app/options.h"
#include "app/shell.h"
#include "commands/Functions.h"
#include "commands/mod_lp.h"
#include "commands/opt_command.h"
#include "commands/comparison_run.h"
#include "commands/merge.h"
#include "commands/parameter_check.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/system.h"
#include "reports/answers.h"
#include "scip/scip_api.h"
#include "text/messages.h"

namespace {

// SCIP's version is asked of a child under the library the batches would use.
void printVersion() {
    std::cout << msg::versionProgram << "\n";
    const ParameterCheck check = checkBatchParameters(ScipRequest{}, 0.0);
    if (check.state == ParameterCheck::Checked) {
        std::cout << msg::versionScip << check.scip.version << "\n";
    } else {
        std::cout << check.message;
    }
    std::cout << msg::versionGlpk << glp_version() << "\n" << std::flush;
}

// The SCIP library chosen for this run (--scip, else LOTE_SCIP), by its full
// path, for the processes that load it.
void chooseScipLibrary(const ProgramOptions& options) {
    const std::string chosen =
        absolutePath(options.scipLibrary.empty() ? environmentValue(kScipLibraryVariable) : options.scipLibrary);
    if (!chosen.empty()) setEnvironmentValue(kScipLibraryVariable, chosen);
}

// mod_lp on the command line: the exit status.
int runModLp(const ProgramOptions& options) {
    const std::string& folder = options.operands[0];
    if (!folderExists(folder)) {
        std::cerr << msg::modFolderInvalid << msg::usage << std::flush;
        return 2;
    }
    const std::optional<TranslationResult> result =
        convertFolderAt(folder, options.settings, IncompleteListing::Refuse);
    if (result && result->interruptedBy != 0) endBySignal(result->interruptedBy);
    if (!result || !result->listedWhole) return 2;
    return result->failures == 0 ? 0 : 1;
}

int runMerge(const ProgramOptions& options) {
    if (!folderExists(options.operands[0])) {
        std::cerr << msg::outputFolderInvalid << msg::usage << std::flush;
        return 2;
    }
    return mergeParts(options.operands[0]);
}

// opt on the command line: the exit status.
int runOptCommand(const ProgramOptions& options) {
    const OptResult result = runOpt(options.opt, options.settings);
    if (result.interruptedBy != 0) endBySignal(result.interruptedBy);
    return result.exitStatus;
}

// --solu's known results, read into the settings; false (said, with the
// usage) when the file cannot be read.
bool readKnownResults(ProgramOptions& options) {
    const std::optional<std::string> text = readTextFile(options.knownResults);
    if (!text) {
        std::cerr << msg::soluUnreadable << options.knownResults << "\n" << msg::usage << std::flush;
        return false;
    }
    std::string badLines;
    options.settings.knownResults =
        std::make_shared<const KnownResults>(parseKnownResults(*text, options.knownResults, &badLines));
    printErrors(badLines);
    options.settings.knownResultsFile = options.knownResults;
    return true;
}

// The program started anew as a worker: `kind`'s job run on the tasks the
// program hands it; an unknown kind ends it at once.
int runAsWorker(const std::string& kind, bool lineBuffered) {
    const std::optional<JobFunction> job = workerJob(kind);
    if (!job) return 2;
    runWorker(*job, lineBuffered);
}

}  // namespace

int main(int argc, char** argv) {
    setProgramLocale();
    // A reader that goes away must not kill the batch.
    ignoreBrokenPipes();
    if ((argc == 3 || (argc == 4 && std::string(argv[3]) == kLinesOption)) && std::string(argv[1]) == kWorkerOption) {
        return runAsWorker(argv[2], argc == 4);
    }
    allowWorkers();
    ParsedOptions parsed = parseOptions(argc, argv);
    if (!parsed.options) {
        std::cerr << parsed.error << msg::usage << std::flush;
        return 2;
    }
    ProgramOptions& options = *parsed.options;
    if (options.help) {
        std::cout << msg::usage << std::flush;
        return 0;
    }
    chooseScipLibrary(options);
    if (options.version) {
        printVersion();
        return 0;
    }
    if (!options.knownResults.empty() && !readKnownResults(options)) return 2;
    if (options.command.empty()) {
        runShell(options.settings);
        return 0;
    }
    if (options.command == "mod_lp") return runModLp(options);
    if (options.command == "merge") return runMerge(options);
    if (options.command == "comparar") {
        return runComparison(
            ComparisonRequest{options.operands, options.htmlFile, options.csvFile, options.variabilityFile});
    }
    return runOptCommand(options);
}
