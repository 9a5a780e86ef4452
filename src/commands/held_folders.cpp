// The output folders a run holds.
#include "commands/held_folders.h"

#include <cstdio>

#include "platform/system.h"
#include "text/format.h"
#include "text/messages.h"

std::string lockHolder(const std::string& commandLine) {
    return formatMessage(msg::lockHolder, machineName(), processId(), localTimeNow("%Y-%m-%d %H:%M:%S"),
                         commandLine.empty() ? std::string(msg::lockHolderShell) : commandLine);
}

bool holdFolder(const std::string& folder, const std::optional<Shard>& shard, const std::string& holder,
                HeldFolders& held) {
    FolderLock lock;
    std::string err;
    const LockRequest request{shard ? shard->index : 0, shard ? shard->count : 0, holder};
    switch (lockFolder(folder, request, lock, &err)) {
        case LockOutcome::Taken: held.locks.push_back(std::move(lock)); return true;
        case LockOutcome::Unsupported:
            std::fprintf(stderr, msg::lockUnsupported, folder.c_str(), err.c_str());
            return true;
        case LockOutcome::Held:
            std::fprintf(stderr, msg::folderHeld, folder.c_str(), err.empty() ? msg::lockHolderUnknown : err.c_str());
            return false;
        case LockOutcome::Failed: break;
    }
    std::fprintf(stderr, msg::lockFailed, folder.c_str(), err.c_str());
    return false;
}
