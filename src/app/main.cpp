// LoteOtimizador: entry point and command shell.
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <iostream>
#include <string>

extern "C" {
#include <glpk.h>
}

#include "app/options.h"
#include "commands/Functions.h"
#include "commands/comparison_run.h"
#include "commands/shards.h"
#include "platform/console.h"
#include "platform/files.h"
#include "reports/answers.h"
#include "reports/batch_record.h"
#include "scip/scip_api.h"
#include "text/Messages.h"

namespace {

void printAbout() { std::cout << msg::about << std::flush; }

void readTimeLimit(BatchSettings& settings) {
    std::cout << msg::timeLimitPrompt << std::flush;
    std::string line;
    if (!readLine(line)) return;
    if (const std::optional<double> value = parseTimeLimit(line)) {
        settings.timeLimit = *value;
    } else {
        std::cerr << msg::timeLimitInvalid << std::flush;
    }
}

// Ends the program as killed by `signal`, so that a calling shell loop stops too.
[[noreturn]] void endBySignal(int signal) {
    std::cout << std::flush;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal);
}

void runShell(BatchSettings settings) {
    printAbout();
    std::string line;
    while (true) {
        std::cout << msg::prompt << std::flush;
        if (!readLine(line) || line == "exit") break;
        if (line == "opt") {
            // Ctrl-C stops the batch and brings the prompt back; SIGTERM
            // (a job stopped, `timeout`) ends the program too.
            if (optimizeFolder(settings).interruptedBy == SIGTERM) endBySignal(SIGTERM);
        } else if (line == "time_limit") {
            readTimeLimit(settings);
        } else if (line == "mod_lp") {
            if (convertFolder(settings).interruptedBy == SIGTERM) endBySignal(SIGTERM);
        } else if (line == "help") {
            std::cout << msg::help << std::flush;
        } else if (line == "about") {
            printAbout();
        } else {
            std::cerr << msg::unknownCommand << std::flush;
        }
        // No more input can come: end as `exit` does instead of looping.
        if (inputEnded()) break;
    }
    std::cout << msg::exiting << std::flush;
}

// Portuguese conventions for the C runtime, but numbers in the C convention:
// SCIP and GLPK read and write model files with a decimal point, and the
// program formats its own numbers explicitly.
void setLocale() {
    const char* const names[] = {"pt_BR.UTF-8", "pt_BR.utf8", "pt_PT.UTF-8", "pt_PT.utf8",
                                 "pt_BR",       "pt_PT",      "portuguese"};
    for (const char* name : names) {
        if (std::setlocale(LC_ALL, name) != nullptr) break;
    }
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace

void printVersion() {
    std::cout << msg::versionProgram << "\n";
    const std::string error = loadScipLibrary();
    if (error.empty()) {
        std::cout << msg::versionScip << scipVersionText() << "\n";
    } else {
        std::cout << msg::scipNotLoaded << error << "\n";
    }
    std::cout << msg::versionGlpk << glp_version() << "\n" << std::flush;
}

int main(int argc, char** argv) {
    setLocale();
    // A reader that goes away must not kill the batch.
    std::signal(SIGPIPE, SIG_IGN);
    ParsedOptions parsed = parseOptions(argc, argv);
    if (!parsed.options) {
        std::cerr << parsed.error << msg::usage << std::flush;
        return 2;
    }
    std::optional<ProgramOptions>& options = parsed.options;
    if (options->help) {
        std::cout << msg::usage << std::flush;
        return 0;
    }
    if (options->version) {
        printVersion();
        return 0;
    }
    if (!options->knownResults.empty()) {
        const std::optional<std::string> text = readTextFile(options->knownResults);
        if (!text) {
            std::cerr << msg::soluUnreadable << options->knownResults << "\n" << msg::usage << std::flush;
            return 2;
        }
        options->settings.knownResults =
            std::make_shared<const KnownResults>(parseKnownResults(*text, options->knownResults, std::cerr));
    }
    if (options->command.empty()) {
        runShell(options->settings);
        return 0;
    }
    const std::vector<std::string>& operands = options->operands;
    if (options->command == "mod_lp") {
        if (!folderExists(operands[0])) {
            std::cerr << msg::modFolderInvalid << msg::usage << std::flush;
            return 2;
        }
        const std::optional<TranslationResult> result = convertFolderAt(operands[0], options->settings, IncompleteListing::Refuse);
        if (result && result->interruptedBy != 0) endBySignal(result->interruptedBy);
        if (!result || !result->listedWhole) return 2;
        return result->failures == 0 ? 0 : 1;
    }
    if (options->command == "merge") {
        if (!folderExists(operands[0])) {
            std::cerr << msg::outputFolderInvalid << msg::usage << std::flush;
            return 2;
        }
        return mergeParts(operands[0]);
    }
    if (options->command == "comparar") {
        return runComparison(ComparisonRequest{operands, options->htmlFile, options->csvFile});
    }
    OptRequest request;
    request.caller = Caller::CommandLine;
    request.lpFolder = operands[0];
    request.outputFolder = operands[1];
    request.settings = options->settings;
    request.resume = options->resume;
    request.shard = options->shard;
    request.scip = options->scip;
    request.commandLine = quoteCommandLine(argc, argv);
    const OptResult result = runOpt(request);
    if (result.interruptedBy != 0) endBySignal(result.interruptedBy);
    return result.exitStatus;
}
