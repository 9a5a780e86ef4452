// Tests of files and folders on Windows: what is at a path, a file's size
// and time of change, and a path resolved in full.
#include "platform/files.h"

#include <sys/stat.h>
#include <windows.h>

namespace {

bool statOf(const std::string& path, struct _stat64& info) {
    return !holdsNul(path) && ::_stat64(path.c_str(), &info) == 0;
}

}  // namespace

bool holdsOtherThanFile(const std::string& path) {
    struct _stat64 info;
    return statOf(path, info) && (info.st_mode & _S_IFMT) != _S_IFREG;
}

bool nothingAt(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES || holdsNul(path)) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_FILENAME_EXCED_RANGE ||
           error == ERROR_INVALID_NAME || error == ERROR_DIRECTORY;
}

bool folderExists(std::string path) {
    struct _stat64 info;
    // The runtime's stat refuses a folder named with a trailing separator.
    while (path.size() > 1 && isPathSeparator(path.back()) && path[path.size() - 2] != ':') path.pop_back();
    return statOf(path, info) && (info.st_mode & _S_IFMT) == _S_IFDIR;
}

bool isRegularFile(const std::string& path) {
    struct _stat64 info;
    return statOf(path, info) && (info.st_mode & _S_IFMT) == _S_IFREG;
}

std::optional<FileStamp> fileStamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (holdsNul(path) || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    FileStamp stamp;
    stamp.size =
        static_cast<long long>((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    const unsigned long long ticks = (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                     data.ftLastWriteTime.dwLowDateTime;
    // Windows counts 100 ns ticks from 1601; the program counts from 1970.
    constexpr unsigned long long kTicksTo1970 = 116444736000000000ULL;
    stamp.modifiedNs = (static_cast<long long>(ticks) - static_cast<long long>(kTicksTo1970)) * 100;
    return stamp;
}

std::optional<std::string> realPath(const std::string& path) {
    if (holdsNul(path) || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    char full[32768];
    const DWORD size = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (size == 0 || size >= sizeof full) return std::nullopt;
    std::string resolved(full, size);
    while (resolved.size() > 3 && isPathSeparator(resolved.back())) resolved.pop_back();
    return resolved;
}

bool sameFolder(const std::string& a, const std::string& b) {
    const std::optional<std::string> first = realPath(a), second = realPath(b);
    return first && second && folderExists(*first) &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, first->c_str(), -1, second->c_str(), -1) == CSTR_EQUAL;
}
