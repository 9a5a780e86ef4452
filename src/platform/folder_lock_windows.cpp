// An output folder's locks on Windows: LockFileEx on one byte of the lock
// file, far past what the file holds (Windows' locks keep others from
// reading the bytes they cover, and the file says who holds it), released
// by the system when the process that took it ends, however it ends.
#include "platform/folder_lock.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/windows_errors.h"

namespace {

// The byte locked: beyond any description a lock file holds.
constexpr DWORD kLockedByteHigh = 0x100;
// A stand-in that a test put in place of the system's lock call.
LockCall lockCall = nullptr;

HANDLE handleOf(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

// Tries to take the byte, alone or shared: 0, or the Windows error of the refusal.
DWORD tryLock(int fd, bool alone) {
    if (lockCall != nullptr && lockCall(fd, alone ? 1 : 0, nullptr) != 0) return ERROR_NOT_SUPPORTED;
    OVERLAPPED at{};
    at.OffsetHigh = kLockedByteHigh;
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (alone ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    return LockFileEx(handleOf(fd), flags, 0, 1, 0, &at) ? 0 : GetLastError();
}

void unlock(int fd) {
    OVERLAPPED at{};
    at.OffsetHigh = kLockedByteHigh;
    UnlockFileEx(handleOf(fd), 0, 1, 0, &at);
}

// Whether another run holds the byte in a way that keeps `alone` (or a
// shared lock) from it: asked by taking it and letting it go at once.
bool heldByAnother(int fd, bool alone) {
    const DWORD error = tryLock(fd, alone);
    if (error == 0) unlock(fd);
    return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING;
}

bool busy(DWORD error) { return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING; }

// Opens (or makes) a lock file that other runs may open, read, and remove.
FileDescriptor openLockFile(const std::string& path, bool create, DWORD& error) {
    HANDLE handle =
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return FileDescriptor();
    }
    FileDescriptor file(::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY));
    if (file.fd < 0) CloseHandle(handle);
    return file;
}

// Whether `fd` is still the file at `path` (not one removed after it was opened).
bool stillThere(int fd, const std::string& path) {
    DWORD error = 0;
    const FileDescriptor named = openLockFile(path, false, error);
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    return named.fd >= 0 && GetFileInformationByHandle(handleOf(fd), &a) &&
           GetFileInformationByHandle(handleOf(named.fd), &b) && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

// Who holds a lock, as its file says it (its first line).
std::string holderOf(int fd) {
    char buffer[4096];
    if (::_lseeki64(fd, 0, SEEK_SET) != 0) return "";
    const int n = ::_read(fd, buffer, sizeof buffer);
    std::string text = n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
    return text.substr(0, text.find('\n'));
}

void describe(int fd, const std::string& holder) {
    const std::string line = holder + "\n";
    if (::_chsize_s(fd, 0) != 0 || ::_lseeki64(fd, 0, SEEK_SET) != 0 || !writeWhole(fd, line, nullptr)) {
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
        DWORD error = 0;
        const FileDescriptor other = openLockFile(path, false, error);
        if (other.fd >= 0 && heldByAnother(other.fd, true)) {
            holder = holderOf(other.fd);
            return true;
        }
    }
    return false;
}

std::string folderHolder(const std::string& folder, int fd, bool alone) {
    if (!alone || heldByAnother(fd, false)) return holderOf(fd);
    std::string holder;
    otherCountRuns(folder, 0, holder);
    return holder;
}

LockOutcome refused(DWORD error, std::string* err, const std::string& holder) {
    if (err != nullptr) *err = busy(error) ? holder : windowsErrorText(error);
    if (busy(error)) return LockOutcome::Held;
    return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION ? LockOutcome::Unsupported
                                                                           : LockOutcome::Failed;
}

LockOutcome cannotOpen(DWORD error, std::string* err) {
    windowsFailure(err, error);
    return LockOutcome::Failed;
}

// Opens and takes a part's own file alone; again when the file it took was
// removed meanwhile by the run that let it go.
LockOutcome takePartFile(const std::string& path, FileDescriptor& file, std::string* err) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        DWORD error = 0;
        file = openLockFile(path, true, error);
        if (file.fd < 0) return cannotOpen(error, err);
        if (const DWORD refusal = tryLock(file.fd, true)) return refused(refusal, err, holderOf(file.fd));
        if (stillThere(file.fd, path)) return LockOutcome::Taken;
    }
    return refused(ERROR_LOCK_VIOLATION, err, "");
}

}  // namespace

bool folderHeldByAnother(const std::string& folder) {
    DWORD error = 0;
    const FileDescriptor file = openLockFile(joinPath(folder, kLockFile), false, error);
    return file.fd >= 0 && heldByAnother(file.fd, true);
}

void replaceLockCall(LockCall call) { lockCall = call; }

FolderLock::~FolderLock() {
    // A part's file goes while it is still held, so that none is left behind.
    if (partFile.fd >= 0) DeleteFileA(partPath.c_str());
}

LockOutcome lockFolder(const std::string& folder, const LockRequest& request, FolderLock& lock, std::string* err) {
    const bool alone = request.part == 0;
    DWORD error = 0;
    FileDescriptor folderFile = openLockFile(joinPath(folder, kLockFile), true, error);
    if (folderFile.fd < 0) return cannotOpen(error, err);
    if (const DWORD refusal = tryLock(folderFile.fd, alone)) {
        return refused(refusal, err, busy(refusal) ? folderHolder(folder, folderFile.fd, alone) : "");
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
        DeleteFileA(partPath.c_str());
        return refused(ERROR_LOCK_VIOLATION, err, holder);
    }
    lock.folderFile = std::move(folderFile);
    lock.partFile = std::move(partFile);
    lock.partPath = partPath;
    return LockOutcome::Taken;
}
