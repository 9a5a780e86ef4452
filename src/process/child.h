// Child processes: started (the one place where the program forks), reaped,
// and a child that computes one value out of the program's way.
#pragma once

#include <functional>
#include <optional>
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

enum class ChildKind {
    // Never outlives the program and never takes its Ctrl-C. A stop signal
    // sent to every process (as Slurm does at a time limit or scancel) leaves
    // it alone too: the program stops it, and its model is then unfinished
    // rather than failed. It runs in a process group of its own.
    Worker,
    // Keeps the signal actions it inherits.
    Helper,
};

// Forks a child that runs `body(in, out)` on its ends of the two pipes and
// then ends. The child first closes `parentDescriptors` (the program's ends
// of other children's pipes). Returns 0, or the errno of the pipe or fork
// that failed.
int startChild(ChildKind kind, const std::vector<int>& parentDescriptors,
               const std::function<void(int in, int out)>& body, Child& child);
// Waits for a child to end (also through signals that interrupt the wait);
// how it ended, as waitpid tells it.
int reap(pid_t pid);
void killAndReap(pid_t pid);

// Runs `compute` in a Helper child named `name`, whose standard output and
// error go nowhere (what a library prints of its own stays out of the
// console), and returns the bytes it gave; nothing when no child could be
// started.
std::optional<std::string> computeInChild(const char* name, const std::function<std::string()>& compute);
