// The output folders a run writes, held for it against every other run
// (platform/folder_lock.h): a second batch into a folder that a batch is
// writing is refused, with who that batch is.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "platform/folder_lock.h"

// The folders a run holds, let go in the reverse order of their taking (a
// seed's folder before the folder that holds it).
struct HeldFolders {
    std::vector<FolderLock> locks;
    HeldFolders() = default;
    HeldFolders(const HeldFolders&) = delete;
    HeldFolders& operator=(const HeldFolders&) = delete;
    ~HeldFolders() {
        while (!locks.empty()) locks.pop_back();
    }
};

// Who a run is, for a run it keeps from a folder: machine, process, start
// and command line ("" for the shell).
std::string lockHolder(const std::string& commandLine);
// Holds `folder` for this run (a part of a batch shares it with the other
// parts of its count); false, said with who holds it, when another live run
// does. A file system without locks is said, and the run goes on.
bool holdFolder(const std::string& folder, const std::optional<Shard>& shard, const std::string& holder,
                HeldFolders& held);
