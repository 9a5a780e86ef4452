// The interactive shell.
#pragma once

#include "batch/batch.h"

// The prompt loop: opt, time_limit, mod_lp, help, about, exit, until exit or
// the end of standard input.
void runShell(BatchSettings settings);
