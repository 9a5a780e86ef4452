// Files as the operating system keeps them, on POSIX systems: descriptors,
// whole reads and writes, temporary files unique to their writer, files
// replaced whole, files in memory, and single file operations.
#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string& hostName() {
    static const std::string name = [] {
        char buffer[256] = {};
        if (::gethostname(buffer, sizeof buffer - 1) != 0 || buffer[0] == '\0') return std::string("host");
        std::string text(buffer);
        // Keep the name usable as part of a file name.
        for (char& c : text) {
            if (c == '/') c = '_';
        }
        return text;
    }();
    return name;
}

// The mode a plain new file gets: 0666 less the process umask.
mode_t plainFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

bool FileDescriptor::close() {
    const int f = fd;
    fd = -1;
    return f < 0 || ::close(f) == 0;
}

std::string systemErrorText(int error) { return std::strerror(error); }

bool systemFailure(std::string* err, int error) {
    if (err != nullptr) *err = systemErrorText(error);
    return false;
}

NamedMemoryFile makeNamedMemoryFile(const char* name, std::string* err) {
    NamedMemoryFile file;
    file.fd = FileDescriptor(::memfd_create(name, MFD_CLOEXEC));
    if (file.fd.fd >= 0) {
        file.path = "/proc/self/fd/" + std::to_string(file.fd.fd);
    } else {
        systemFailure(err, errno);
    }
    return file;
}

NamedMemoryFile::NamedMemoryFile(NamedMemoryFile&& other) noexcept
    : fd(std::move(other.fd)), path(std::move(other.path)) {
    other.path.clear();
}
NamedMemoryFile& NamedMemoryFile::operator=(NamedMemoryFile&& other) noexcept {
    fd = std::move(other.fd);
    path = std::move(other.path);
    other.path.clear();
    return *this;
}
// The file in memory goes with its last descriptor.
NamedMemoryFile::~NamedMemoryFile() = default;

std::optional<std::string> readMemoryFile(const NamedMemoryFile& file) { return readTextFile(file.path); }

void removeMemoryFilesOf(int) {}

std::string withSystemLineEnds(const std::string& text) { return text; }

bool rewriteMemoryFile(const NamedMemoryFile& file, const std::string& text) {
    const int fd = file.fd.fd;
    return fd >= 0 && ::ftruncate(fd, 0) == 0 && ::lseek(fd, 0, SEEK_SET) == 0 && writeWhole(fd, text, nullptr);
}

void folderEntryNames(const std::string& folder, std::vector<std::string>& names, std::string& reason) {
    try {
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
    } catch (const std::exception& e) {
        reason = e.what();
    }
}

bool holdsOtherThanFile(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

bool nothingAt(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG);
}

bool makePrivateFolder(const std::string& path, std::string* err) {
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST || systemFailure(err, errno);
}

bool openForAppend(const std::string& path, FileDescriptor& file, std::string* err) {
    file = FileDescriptor(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666));
    return file.fd >= 0 || systemFailure(err, errno);
}

bool renameFile(const std::string& from, const std::string& to, std::string* err) {
    return std::rename(from.c_str(), to.c_str()) == 0 || systemFailure(err, errno);
}

bool truncateFile(const FileDescriptor& file, long long size, std::string* err) {
    return ::ftruncate(file.fd, static_cast<off_t>(size)) == 0 || systemFailure(err, errno);
}

// Creates a temporary file in `folder` whose name is unique to this writer
// (host, process, random part), so that batches writing into one folder at
// the same time never share one. Returns the open descriptor (-1 when it
// fails) and its path.
int createTempFile(const std::string& folder, std::string& path, std::string* err) {
    std::string pattern =
        joinPath(folder, kTempPrefix + hostName() + "-" + std::to_string(::getpid()) + "-XXXXXX" + kTempSuffix);
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemps(name.data(), static_cast<int>(std::strlen(kTempSuffix)));
    if (fd < 0) {
        systemFailure(err, errno);
        return -1;
    }
    path = name.data();
    if (::fchmod(fd, plainFileMode()) != 0) {
        systemFailure(err, errno);
        ::close(fd);
        ::unlink(path.c_str());
        return -1;
    }
    return fd;
}

bool writeWhole(int fd, const std::string& bytes, std::string* err) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return systemFailure(err, errno);
        if (n == 0) return systemFailure(err, EIO);
        done += static_cast<size_t>(n);
    }
    return true;
}

bool readWhole(int fd, void* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, static_cast<char*>(data) + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool readAvailable(int fd, std::string& bytes) {
    char buffer[65536];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
        if (n > 0) bytes.append(buffer, static_cast<size_t>(n));
    }
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
}

bool createTempFolder(const std::string& folder, std::string& path, std::string* err) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        // A temporary file's unique name, taken by a folder of that name.
        const int fd = createTempFile(folder, path, err);
        if (fd < 0) return false;
        ::close(fd);
        const std::string name = path;
        if (::unlink(name.c_str()) == 0 && ::mkdir(name.c_str(), 0700) == 0) return true;
        if (errno != EEXIST) return systemFailure(err, errno);
    }
    return systemFailure(err, EEXIST);
}

void removeStaleTempFiles(const std::string& folder) {
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error) return;
    const auto dayAgo = fs::file_time_type::clock::now() - std::chrono::hours(24);
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) return;
        const std::string name = it->path().filename().string();
        const std::optional<TempFileOwner> owner = tempFileOwner(name);
        if (!owner) continue;
        bool stale = owner->host == hostName() && ::kill(owner->pid, 0) != 0 && errno == ESRCH;
        std::error_code timeError;
        // A folder is as old as the newest thing in it: a live batch's is never a day old.
        auto written = fs::last_write_time(it->path(), timeError);
        std::error_code inner;
        for (fs::recursive_directory_iterator in(it->path(), inner), end; !inner && in != end; in.increment(inner)) {
            written = std::max(written, fs::last_write_time(in->path(), inner));
        }
        if (!timeError && written < dayAgo) stale = true;
        // A racing batch's private folder is a temporary file's namesake.
        if (stale) fs::remove_all(it->path(), timeError);
    }
}

bool removeIfPresent(const std::string& path, std::string* err) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT || errno == ENAMETOOLONG || systemFailure(err, errno);
}

bool removeFile(const std::string& path, bool& removed, std::string* err) {
    removed = ::unlink(path.c_str()) == 0;
    return removed || errno == ENOENT || systemFailure(err, errno);
}

bool folderExists(std::string path) {
    struct stat info;
    if (holdsNul(path) || ::stat(path.c_str(), &info) != 0) return false;
    return S_ISDIR(info.st_mode);
}

bool isRegularFile(const std::string& path) {
    struct stat info;
    if (holdsNul(path) || ::stat(path.c_str(), &info) != 0) return false;
    return S_ISREG(info.st_mode);
}

std::optional<FileStamp> fileStamp(const std::string& path) {
    struct stat info;
    if (holdsNul(path) || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    FileStamp stamp;
    stamp.size = static_cast<long long>(info.st_size);
    stamp.modifiedNs = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    return stamp;
}

std::optional<std::string> realPath(const std::string& path) {
    if (holdsNul(path)) return std::nullopt;
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return std::nullopt;
    std::string resolved = real;
    std::free(real);
    return resolved;
}

bool sameFolder(const std::string& a, const std::string& b) {
    struct stat first, second;
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

bool prepareOutputFolder(const std::string& folder, std::string* err) {
    if (!folderExists(folder) && ::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
        return systemFailure(err, errno);
    // As root, access() always says yes: only making a file tells.
    std::string probe;
    const int fd = createTempFile(folder, probe, err);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}
