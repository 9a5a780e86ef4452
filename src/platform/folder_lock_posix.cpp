// Folder locks on POSIX systems: fcntl locks on byte 0 of a file in the
// folder. They are the locks NFS (v3 through lockd, v4 by itself), GPFS and
// Lustre mounted with "flock" carry between machines; Lustre mounted with
// "localflock" keeps them within one machine, and one mounted without
// either refuses them.
#include "platform/folder_lock.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int systemLockCall(int fd, int command, void* lock) { return ::fcntl(fd, command, static_cast<struct flock*>(lock)); }
LockCall lockCall = systemLockCall;

// Locks held by the open file where the kernel has them, so that no other
// descriptor of the program on the file can drop them; the process's
// otherwise. Either goes when the process ends.
#ifdef F_OFD_SETLK
int setLock = F_OFD_SETLK, getLock = F_OFD_GETLK;
#else
int setLock = F_SETLK, getLock = F_GETLK;
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
    if (lockCall(fd, setLock, &lock) == 0) return 0;
    // A kernel or file system without open-file locks: the process's ones.
    if (errno != EINVAL || setLock == F_SETLK) return errno;
    setLock = F_SETLK;
    getLock = F_GETLK;
    return tryLock(fd, alone);
}

// Whether another run holds byte 0 in a way that keeps `alone` (or a
// shared lock) from it.
bool heldByAnother(int fd, bool alone) {
    struct flock lock = byteZero(alone ? F_WRLCK : F_RDLCK);
    return lockCall(fd, getLock, &lock) == 0 && lock.l_type != F_UNLCK;
}

bool busy(int error) { return error == EAGAIN || error == EACCES; }
bool unsupported(int error) {
    return error == ENOLCK || error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP || error == EINVAL;
}

// Opens (or makes) a lock file; one it makes every user may open, so that
// another user's batch can ask for the folder too. Only a plain file is one:
// a link or anything else there is never opened, nor written through.
FileDescriptor openLockFile(const std::string& path, bool create) {
    FileDescriptor file(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0), 0666));
    struct stat info;
    if (file.fd >= 0 && (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        file = FileDescriptor();
        errno = EINVAL;
        return file;
    }
    if (create && file.fd >= 0 && info.st_size == 0 && info.st_uid == ::geteuid()) ::fchmod(file.fd, 0666);
    return file;
}

// Whether `fd` is still the file at `path` (not one removed after it was opened).
bool stillThere(int fd, const std::string& path) {
    struct stat opened, named;
    return ::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
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

LockOutcome cannotOpen(int error, std::string* err) {
    systemFailure(err, error);
    return LockOutcome::Failed;
}

// Opens and takes a part's own file alone; again when the file it took was
// removed meanwhile by the run that let it go.
LockOutcome takePartFile(const std::string& path, FileDescriptor& file, std::string* err) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        file = openLockFile(path, true);
        if (file.fd < 0) return cannotOpen(errno, err);
        if (const int error = tryLock(file.fd, true)) return refused(error, err, holderOf(file.fd));
        if (stillThere(file.fd, path)) return LockOutcome::Taken;
    }
    return refused(EAGAIN, err, "");
}

}  // namespace

bool folderHeldByAnother(const std::string& folder) {
    const FileDescriptor file(::open(joinPath(folder, kLockFile).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    return file.fd >= 0 && heldByAnother(file.fd, true);
}

void replaceLockCall(LockCall call) { lockCall = call != nullptr ? call : systemLockCall; }

FolderLock::~FolderLock() {
    // A part's file goes while it is still held, so that none is left behind.
    if (partFile.fd >= 0) ::unlink(partPath.c_str());
}

LockOutcome lockFolder(const std::string& folder, const LockRequest& request, FolderLock& lock, std::string* err) {
    const bool alone = request.part == 0;
    FileDescriptor folderFile = openLockFile(joinPath(folder, kLockFile), true);
    if (folderFile.fd < 0) return cannotOpen(errno, err);
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
    FileDescriptor partFile;
    if (const LockOutcome taken = takePartFile(partPath, partFile, err); taken != LockOutcome::Taken) return taken;
    describe(partFile.fd, request.holder);
    // Runs split into another count would write the same solution files.
    if (std::string holder; otherCountRuns(folder, request.parts, holder)) {
        ::unlink(partPath.c_str());
        return refused(EAGAIN, err, holder);
    }
    lock.folderFile = std::move(folderFile);
    lock.partFile = std::move(partFile);
    lock.partPath = partPath;
    return LockOutcome::Taken;
}
