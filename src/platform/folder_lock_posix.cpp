// Folder locks on POSIX systems: fcntl locks on byte 0 of a file in the
// folder. They are the locks NFS (v3 through lockd, v4 by itself), GPFS and
// Lustre mounted with "flock" carry between machines; Lustre mounted with
// "localflock" keeps them within one machine, and one mounted without
// either refuses them.
#include "platform/folder_lock.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

int systemLockCall(int fd, int command, void* lock) { return ::fcntl(fd, command, static_cast<struct flock*>(lock)); }
LockCall lockCall = systemLockCall;

// Locks held by the open file where the kernel has them, so that no other
// descriptor of the program on the file can drop them; the process's
// otherwise. Either goes when the process ends.
#ifdef F_OFD_SETLK
constexpr int kSetLock = F_OFD_SETLK, kGetLock = F_OFD_GETLK;
#else
constexpr int kSetLock = F_SETLK, kGetLock = F_GETLK;
#endif

struct flock byteZero(short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 1;
    lock.l_pid = 0;
    return lock;
}

// Tries to take byte 0, alone or shared: 0, or the errno of the refusal.
int tryLock(int fd, bool alone) {
    struct flock lock = byteZero(alone ? F_WRLCK : F_RDLCK);
    return lockCall(fd, kSetLock, &lock) == 0 ? 0 : errno;
}

// Whether another run holds byte 0 in a way that keeps `alone` (or a
// shared lock) from it.
bool heldByAnother(int fd, bool alone) {
    struct flock lock = byteZero(alone ? F_WRLCK : F_RDLCK);
    return lockCall(fd, kGetLock, &lock) == 0 && lock.l_type != F_UNLCK;
}

bool busy(int error) { return error == EAGAIN || error == EACCES; }
bool unsupported(int error) {
    return error == ENOLCK || error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP || error == EINVAL;
}

FileDescriptor openLockFile(const std::string& path, bool create) {
    return FileDescriptor(::open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0666));
}

// Who holds a lock, as its file says it (its first line).
std::string holderOf(int fd) {
    char buffer[4096];
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
    std::string text = n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
    return text.substr(0, text.find('\n'));
}

void describe(int fd, const std::string& holder) {
    const std::string line = holder + "\n";
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, line.data(), line.size(), 0) < 0) {
        // The lock holds without its description; a refused run then names no one.
    }
}

std::string partFilePrefix() { return std::string(kLockFile) + ".parte-"; }

// A live part of the folder whose count is not `parts`, when there is one.
bool otherCountRuns(const std::string& folder, int parts, std::string& holder) {
    const std::string prefix = partFilePrefix(), ours = "-de-" + std::to_string(parts);
    for (const std::string& path : listFolder(folder, nullptr)) {
        const std::string name = baseName(path);
        if (name.compare(0, prefix.size(), prefix) != 0 || endsWith(name, ours)) continue;
        const FileDescriptor other = openLockFile(path, false);
        if (other.fd >= 0 && heldByAnother(other.fd, true)) {
            holder = holderOf(other.fd);
            return true;
        }
    }
    return false;
}

// Who keeps a run that wants the folder file `alone` (or shared) from it: the
// whole batch the file names, or else a live part.
std::string folderHolder(const std::string& folder, int fd, bool alone) {
    if (!alone || heldByAnother(fd, false)) return holderOf(fd);
    std::string holder;
    otherCountRuns(folder, 0, holder);
    return holder;
}

LockOutcome refused(int error, std::string* err, const std::string& holder) {
    if (err != nullptr) *err = busy(error) ? holder : std::string(std::strerror(error));
    if (busy(error)) return LockOutcome::Held;
    return unsupported(error) ? LockOutcome::Unsupported : LockOutcome::Failed;
}

}  // namespace

void replaceLockCall(LockCall call) { lockCall = call != nullptr ? call : systemLockCall; }

FolderLock::~FolderLock() {
    // A part's file goes while it is still held, so that none is left behind.
    if (partFile.fd >= 0) ::unlink(partPath.c_str());
}

LockOutcome lockFolder(const std::string& folder, const LockRequest& request, FolderLock& lock, std::string* err) {
    const bool alone = request.part == 0;
    FileDescriptor folderFile = openLockFile(joinPath(folder, kLockFile), true);
    if (folderFile.fd < 0) return refused(errno, err, "");
    if (const int error = tryLock(folderFile.fd, alone)) {
        return refused(error, err, busy(error) ? folderHolder(folder, folderFile.fd, alone) : "");
    }
    if (alone) {
        describe(folderFile.fd, request.holder);
        lock.folderFile = std::move(folderFile);
        return LockOutcome::Taken;
    }
    const std::string partPath =
        joinPath(folder, partFilePrefix() + std::to_string(request.part) + "-de-" + std::to_string(request.parts));
    FileDescriptor partFile = openLockFile(partPath, true);
    if (partFile.fd < 0) return refused(errno, err, "");
    if (const int error = tryLock(partFile.fd, true)) return refused(error, err, holderOf(partFile.fd));
    describe(partFile.fd, request.holder);
    // Parts of another count would write the same solution files.
    if (std::string holder; otherCountRuns(folder, request.parts, holder)) {
        ::unlink(partPath.c_str());
        return refused(EAGAIN, err, holder);
    }
    lock.folderFile = std::move(folderFile);
    lock.partFile = std::move(partFile);
    lock.partPath = partPath;
    return LockOutcome::Taken;
}
