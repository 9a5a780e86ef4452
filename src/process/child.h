// Child processes: the program started anew (the one place where it
// starts a process), children reaped, and what a worker process does to
// itself. Their POSIX side is in child_posix.cpp, their Windows side in
// child_windows.cpp.
#pragma once

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

// Starts this program anew with `arguments` after its name. The child never
// outlives the program and never takes its Ctrl-C; a stop signal sent to
// every process (as Slurm does at a time limit or scancel) leaves it alone
// too: the program stops it, and its job is then unfinished rather than
// failed. It runs in a process group of its own (on Windows, without the
// console, in a job object closed with the program). Its standard input is
// empty, its standard output and error are `output` and `errors`, it reads
// what the program writes to `toChild` on descriptor 3 and writes what the
// program reads from `fromChild` on descriptor 4 (on Windows once
// becomeWorker has taken them); it inherits nothing else of the program's
// (on POSIX systems without close_range, no descriptor below 65536). False,
// with the system's reason in `err`, when a pipe or the start failed.
bool startProgramAnew(const std::vector<std::string>& arguments, int output, int errors, Child& child,
                      std::string* err);
// Waits for a child to end (also through signals that interrupt the wait);
// how it ended, as the system tells it (processEnd reads it).
int reap(pid_t pid);
void killAndReap(pid_t pid);
// Kills a child without waiting for it.
void killProcess(pid_t pid);

// How a child ended, from reap's status: killed by a signal (its number and
// the system's name of it), or its exit status.
struct ProcessEnd {
    int signal = 0;  // 0: it exited
    std::string signalName;
    int exitStatus = 0;
};
ProcessEnd processEnd(int waitStatus);

// Which of `fds` have something to read, or have ended, after waiting up to
// `milliseconds` for one of them; all false when a signal cut the wait
// short; nothing when they cannot be waited for.
std::optional<std::vector<bool>> waitForInput(const std::vector<int>& fds, int milliseconds);
// Reads of `fd` no longer block: readAvailable takes what has arrived.
void readWithoutBlocking(int fd);
// CPUs that this process may run on (at least 1).
int availableCpus();

// ---- A worker's own process ----

// A capture file for a child's standard output or error: a file that the
// child writes from its start for each job and the program reads back.
bool makeCaptureFile(const char* name, FileDescriptor& file, std::string* err);
// What a capture file holds, from its start, with "\n" line ends.
std::string captureText(int fd);
// Empties this process's capture file `fd` (its standard output or error),
// so that the next job writes it from its start.
void emptyCapture(int fd);
// Takes the channels the program gave this worker (tasks on descriptor 3,
// results on 4) and names the process as the program.
void becomeWorker();
// The memory this process holds, in bytes, after what it freed is given back
// to the system; 0 when it cannot be told.
long long residentBytesAfterTrim();
// Ends this process with `status` at once: nothing of the libraries it
// loaded runs at exit.
[[noreturn]] void exitNow(int status);
