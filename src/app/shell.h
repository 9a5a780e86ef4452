// The interactive shell, and the end of the program by a signal that both
// the shell and the command line use.
#pragma once

#include "batch/batch.h"

// The prompt loop: opt, time_limit, mod_lp, help, about, exit, until exit or
// the end of standard input.
void runShell(BatchSettings settings);
// Ends the program as killed by `signal`, so that a calling shell loop stops too.
[[noreturn]] void endBySignal(int signal);
