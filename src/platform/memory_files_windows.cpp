// Files in memory on Windows: temporary files that C code (SCIP's library,
// with a C runtime of its own) opens by name, removed once the program is
// done with them; and the line ends of text files.
#include "platform/files.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/windows_errors.h"

NamedMemoryFile makeNamedMemoryFile(const char* name, std::string* err) {
    NamedMemoryFile file;
    char folder[MAX_PATH + 1] = "";
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder) {
        windowsFailure(err, length == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE);
        return file;
    }
    // Those that processes ended without removing (a worker ends at once,
    // its files left) go before this process makes its first.
    static const bool cleaned = (removeStaleTempFiles(folder), true);
    (void)cleaned;
    std::string path;
    const int fd = createTempFile(folder, path, err);
    if (fd < 0) return file;
    file.fd = FileDescriptor(fd);
    file.path = path;
    (void)name;
    return file;
}

NamedMemoryFile::NamedMemoryFile(NamedMemoryFile&& other) noexcept
    : fd(std::move(other.fd)), path(std::move(other.path)) {
    other.path.clear();
}
NamedMemoryFile& NamedMemoryFile::operator=(NamedMemoryFile&& other) noexcept {
    if (this != &other) {
        fd.close();
        if (!path.empty()) DeleteFileA(path.c_str());
        fd = std::move(other.fd);
        path = std::move(other.path);
        other.path.clear();
    }
    return *this;
}
// A temporary file on disk, removed once closed.
NamedMemoryFile::~NamedMemoryFile() {
    fd.close();
    if (!path.empty()) DeleteFileA(path.c_str());
    path.clear();
}

std::optional<std::string> readMemoryFile(const NamedMemoryFile& file) {
    std::optional<std::string> text = readTextFile(file.path);
    if (!text) return text;
    std::string plain;
    plain.reserve(text->size());
    for (size_t i = 0; i < text->size(); ++i) {
        if ((*text)[i] == '\r' && i + 1 < text->size() && (*text)[i + 1] == '\n') continue;
        plain += (*text)[i];
    }
    return plain;
}

std::string withSystemLineEnds(const std::string& text) {
    std::string lines;
    lines.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') lines += '\r';
        lines += c;
    }
    return lines;
}

bool rewriteMemoryFile(const NamedMemoryFile& file, const std::string& text) {
    const int fd = file.fd.fd;
    return fd >= 0 && ::_chsize_s(fd, 0) == 0 && ::_lseeki64(fd, 0, SEEK_SET) == 0 && writeWhole(fd, text, nullptr);
}
