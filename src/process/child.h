// Child processes: the program started anew (the one place where it forks
// and executes), and children reaped.
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

#include "platform/files.h"

// The program's view of a child: its process and the program's ends of the
// two pipes between them.
struct Child {
    pid_t pid = 0;
    FileDescriptor toChild;    // what the program writes, the child reads
    FileDescriptor fromChild;  // what the child writes, the program reads
};

// Starts this program anew with `arguments` after its name. The child never
// outlives the program and never takes its Ctrl-C; a stop signal sent to
// every process (as Slurm does at a time limit or scancel) leaves it alone
// too: the program stops it, and its job is then unfinished rather than
// failed. It runs in a process group of its own. Its standard input is
// empty, its standard output and error are `output` and `errors`, it reads
// what the program writes to `toChild` on descriptor 3 and writes what the
// program reads from `fromChild` on descriptor 4; it inherits no other
// descriptor (without close_range, none below 65536). False, with the
// system's reason in `err`, when a pipe, the fork or the start of the
// program failed.
bool startProgramAnew(const std::vector<std::string>& arguments, int output, int errors, Child& child,
                      std::string* err);
// Waits for a child to end (also through signals that interrupt the wait);
// how it ended, as waitpid tells it.
int reap(pid_t pid);
void killAndReap(pid_t pid);
