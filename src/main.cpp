// LoteOtimizador: entry point and command shell.
#include <clocale>
#include <csignal>
#include <iostream>
#include <string>

#include "Functions.h"
#include "Messages.h"
#include "console.h"

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

void runShell() {
    BatchSettings settings;
    printAbout();
    std::string line;
    while (true) {
        std::cout << msg::prompt << std::flush;
        if (!readLine(line) || line == "exit") break;
        if (line == "opt") {
            optimizeFolder(settings);
        } else if (line == "time_limit") {
            readTimeLimit(settings);
        } else if (line == "mod_lp") {
            convertFolder();
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

int main() {
    setLocale();
    // A reader that goes away must not kill the batch.
    std::signal(SIGPIPE, SIG_IGN);
    runShell();
    return 0;
}
