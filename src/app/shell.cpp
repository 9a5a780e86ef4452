// The interactive shell.
#include "app/shell.h"

#include <cstdlib>
#include <iostream>
#include <string>

#include "commands/Functions.h"
#include "commands/mod_lp.h"
#include "commands/opt_command.h"
#include "platform/console.h"
#include "platform/system.h"
#include "text/messages.h"

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

}  // namespace

void runShell(BatchSettings settings) {
    printAbout();
    std::string line;
    while (true) {
        std::cout << msg::prompt << std::flush;
        if (!readLine(line) || line == "exit") break;
        if (line == "opt") {
            // Ctrl-C stops the batch and brings the prompt back; SIGTERM
            // (a job stopped, `timeout`) ends the program too.
            const int signal = optimizeFolder(settings).interruptedBy;
            if (isTerminateSignal(signal)) endBySignal(signal);
        } else if (line == "time_limit") {
            readTimeLimit(settings);
        } else if (line == "mod_lp") {
            const int signal = convertFolder(settings).interruptedBy;
            if (isTerminateSignal(signal)) endBySignal(signal);
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
