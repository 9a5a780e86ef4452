// An output folder held by the one batch that writes its reports: a lock on
// a file in the folder, which the system releases when the process that
// took it ends however it ends (a batch killed with SIGKILL, or on a node
// that died, blocks nothing). The file says who holds it.
#pragma once

#include <string>

#include "platform/files.h"

// The name of the folder's lock file, and the start of its parts' ones.
// Neither ends in a model's format, and readers of a folder leave them out.
inline constexpr const char* kLockFile = ".loteotimizador.trava";

// How a batch holds a folder: a whole batch (and merge) alone; parts K/N
// of one batch side by side, each part once, all with one N.
struct LockRequest {
    int part = 0;        // 0: the whole folder
    int parts = 0;       // with part: N
    std::string holder;  // who asks, one line: shown to a run that is refused
};

enum class LockOutcome {
    Taken,        // held until the FolderLock goes
    Held,         // another live run holds it: `err` names it
    Unsupported,  // the file system refuses locks: `err` says why
    Failed,       // the lock file cannot be made or opened: `err` says why
};

// The locks one run holds on one folder; released when it goes (a part's
// own file removed first).
struct FolderLock {
    FileDescriptor folderFile;
    FileDescriptor partFile;
    std::string partPath;
    FolderLock() = default;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    FolderLock(FolderLock&&) = default;
    FolderLock& operator=(FolderLock&&) = default;
    ~FolderLock();
};

LockOutcome lockFolder(const std::string& folder, const LockRequest& request, FolderLock& lock, std::string* err);

// Whether a live run holds `folder` (or part of it), for a run that does not
// hold it itself; false when that cannot be told.
bool folderHeldByAnother(const std::string& folder);

// The call that takes and tests the locks (fcntl with a struct flock), which
// a test replaces with one that fails as a file system without locks does;
// nullptr puts the system's back.
using LockCall = int (*)(int fd, int command, void* lock);
void replaceLockCall(LockCall call);
