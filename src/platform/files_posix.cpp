// Descriptors, files in memory and single file operations, on POSIX systems.
#include "platform/files.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

bool FileDescriptor::close() {
    const int f = fd;
    fd = -1;
    return f < 0 || ::close(f) == 0;
}

NamedMemoryFile makeNamedMemoryFile(const char* name) {
    NamedMemoryFile file;
    file.fd = FileDescriptor(::memfd_create(name, MFD_CLOEXEC));
    if (file.fd.fd >= 0) file.path = "/proc/self/fd/" + std::to_string(file.fd.fd);
    return file;
}

bool rewriteMemoryFile(const NamedMemoryFile& file, const std::string& text) {
    const int fd = file.fd.fd;
    return fd >= 0 && ::ftruncate(fd, 0) == 0 && ::lseek(fd, 0, SEEK_SET) == 0 && writeWhole(fd, text) == 0;
}

int removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0 ? 0 : errno; }

bool holdsOtherThanFile(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

bool nothingAt(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG);
}

int makePrivateFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST ? 0 : errno;
}

int openForAppend(const std::string& path, FileDescriptor& file) {
    file = FileDescriptor(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666));
    return file.fd >= 0 ? 0 : errno;
}

int truncateFile(const FileDescriptor& file, long long size) {
    return ::ftruncate(file.fd, static_cast<off_t>(size)) == 0 ? 0 : errno;
}
