// Files as the operating system keeps them, on Windows: the C runtime's
// descriptors (binary mode: the program writes the bytes it means), whole
// reads and writes, temporary files unique to their writer, files replaced
// whole (files in memory are in memory_files_windows.cpp), and
// single file operations. Paths are narrow strings in the ANSI code page,
// as the narrow functions of the system take them.
#include "platform/files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include "platform/system.h"
#include "platform/windows_errors.h"

namespace {

// The machine's name in the names of temporary files. The environment's
// COMPUTERNAME comes first: a worker inherits it from the program, so both
// name their files alike and the program can remove what the worker left.
const std::string& hostName() {
    static const std::string name = [] {
        const char* variable = std::getenv("COMPUTERNAME");
        std::string machine = variable != nullptr && *variable != '\0' ? variable : machineName();
        // Kept usable as part of a file name, whatever the environment said.
        for (char& c : machine) {
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') c = '_';
        }
        return machine.empty() ? std::string("host") : machine;
    }();
    return name;
}

// Six characters that make a temporary name unique.
std::string randomPart() {
    static std::mt19937_64 engine(std::random_device{}() ^ GetTickCount64() ^ GetCurrentProcessId());
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string part;
    for (int i = 0; i < 6; ++i) part += letters[engine() % (sizeof letters - 1)];
    return part;
}

// Whether the process `pid` of this machine has ended.
bool processGone(int pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
    const bool gone = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return gone;
}

}  // namespace

bool FileDescriptor::close() {
    const int f = fd;
    fd = -1;
    return f < 0 || ::_close(f) == 0;
}

std::string systemErrorText(int error) { return std::strerror(error); }

bool systemFailure(std::string* err, int error) {
    if (err != nullptr) *err = systemErrorText(error);
    return false;
}

bool makePrivateFolder(const std::string& path, std::string* err) {
    return ::_mkdir(path.c_str()) == 0 || errno == EEXIST || systemFailure(err, errno);
}

bool openForAppend(const std::string& path, FileDescriptor& file, std::string* err) {
    file = FileDescriptor(
        ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_APPEND | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE));
    return file.fd >= 0 || systemFailure(err, errno);
}

bool renameFile(const std::string& from, const std::string& to, std::string* err) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) || windowsFailure(err, GetLastError());
}

bool truncateFile(const FileDescriptor& file, long long size, std::string* err) {
    const errno_t error = ::_chsize_s(file.fd, size);
    return error == 0 || systemFailure(err, error);
}

// Creates a temporary file in `folder` whose name is unique to this writer
// (host, process, random part), so that batches writing into one folder at
// the same time never share one.
int createTempFile(const std::string& folder, std::string& path, std::string* err) {
    const std::string start = kTempPrefix + hostName() + "-" + std::to_string(GetCurrentProcessId()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = joinPath(folder, start + randomPart() + kTempSuffix);
        const int fd =
            ::_open(path.c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    systemFailure(err, errno);
    return -1;
}

bool writeWhole(int fd, const std::string& bytes, std::string* err) {
    size_t done = 0;
    while (done < bytes.size()) {
        const unsigned chunk = static_cast<unsigned>(std::min<size_t>(bytes.size() - done, 1U << 30));
        const int n = ::_write(fd, bytes.data() + done, chunk);
        if (n < 0) return systemFailure(err, errno);
        if (n == 0) return systemFailure(err, EIO);
        done += static_cast<size_t>(n);
    }
    return true;
}

bool readWhole(int fd, void* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const int n = ::_read(fd, static_cast<char*>(data) + done, static_cast<unsigned>(size - done));
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// A pipe is read as far as it holds bytes now (a read would block for more);
// a file to its end.
bool readAvailable(int fd, std::string& bytes) {
    char buffer[65536];
    const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    const bool pipe = handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_PIPE;
    while (true) {
        DWORD waiting = sizeof buffer;
        if (pipe && !PeekNamedPipe(handle, nullptr, 0, nullptr, &waiting, nullptr)) return false;
        if (pipe && waiting == 0) return true;
        const int n = ::_read(fd, buffer, static_cast<unsigned>(std::min<DWORD>(waiting, sizeof buffer)));
        if (n <= 0) return false;
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

bool createTempFolder(const std::string& folder, std::string& path, std::string* err) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        // A temporary file's unique name, taken by a folder of that name.
        const int fd = createTempFile(folder, path, err);
        if (fd < 0) return false;
        ::_close(fd);
        if (::_unlink(path.c_str()) == 0 && ::_mkdir(path.c_str()) == 0) return true;
        if (errno != EEXIST) return systemFailure(err, errno);
    }
    return systemFailure(err, EEXIST);
}

void folderEntryNames(const std::string& folder, std::vector<std::string>& names, std::string& reason) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(joinPath(folder, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        // A drive's empty root holds not even "." and "..".
        if (GetLastError() != ERROR_FILE_NOT_FOUND) reason = windowsErrorText(GetLastError()) + " [" + folder + "]";
        return;
    }
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    if (GetLastError() != ERROR_NO_MORE_FILES) reason = windowsErrorText(GetLastError()) + " [" + folder + "]";
    FindClose(search);
}

namespace {

// A folder to go into: not a link to one (a junction or a symbolic link),
// which is removed, never followed.
bool realFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// Removes `path`, a file, a link, or a folder with all it holds.
void removeTree(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (realFolder(attributes)) {
        std::vector<std::string> names;
        std::string reason;
        folderEntryNames(path, names, reason);
        for (const std::string& name : names) removeTree(joinPath(path, name));
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        RemoveDirectoryA(path.c_str());
    } else {
        DeleteFileA(path.c_str());
    }
}

// The last change of `path` and, for a folder, of all it holds (a folder's
// own time does not change with what its subfolders hold), as 100 ns ticks.
unsigned long long lastChange(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    unsigned long long newest = (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                data.ftLastWriteTime.dwLowDateTime;
    if (realFolder(data.dwFileAttributes)) {
        std::vector<std::string> names;
        std::string reason;
        folderEntryNames(path, names, reason);
        for (const std::string& name : names) newest = std::max(newest, lastChange(joinPath(path, name)));
    }
    return newest;
}

// Milliseconds since `path` or anything in it last changed; nothing when unknown.
std::optional<unsigned long long> ageOf(const std::string& path) {
    const unsigned long long written = lastChange(path);
    if (written == 0) return std::nullopt;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const unsigned long long at = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return at > written ? (at - written) / 10000 : 0;
}

}  // namespace

void removeStaleTempFiles(const std::string& folder) {
    constexpr unsigned long long kDay = 24ULL * 3600 * 1000;
    std::vector<std::string> names;
    std::string reason;
    folderEntryNames(folder, names, reason);
    for (const std::string& name : names) {
        const std::optional<TempFileOwner> owner = tempFileOwner(name);
        if (!owner) continue;
        const std::string path = joinPath(folder, name);
        const std::optional<unsigned long long> age = ageOf(path);
        if ((owner->host == hostName() && processGone(owner->pid)) || (age && *age > kDay)) removeTree(path);
    }
}

// A worker ends itself at once (and a killed one never gets to), so what
// it held in memory is left in the system's temporary folder: only files
// named for this machine and that process.
void removeMemoryFilesOf(int pid) {
    char folder[MAX_PATH + 1] = "";
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder) return;
    const std::string start = kTempPrefix + hostName() + "-" + std::to_string(pid) + "-";
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + start + "*" + kTempSuffix).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        // The pattern may also match a file's short name: the name itself decides.
        const std::optional<TempFileOwner> owner = tempFileOwner(found.cFileName);
        if (owner && owner->host == hostName() && owner->pid == pid)
            DeleteFileA((folder + std::string(found.cFileName)).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

bool removeIfPresent(const std::string& path, std::string* err) {
    return ::_unlink(path.c_str()) == 0 || errno == ENOENT || errno == ENAMETOOLONG || systemFailure(err, errno);
}

bool removeFile(const std::string& path, bool& removed, std::string* err) {
    removed = ::_unlink(path.c_str()) == 0;
    return removed || errno == ENOENT || systemFailure(err, errno);
}

bool prepareOutputFolder(const std::string& folder, std::string* err) {
    if (!folderExists(folder) && ::_mkdir(folder.c_str()) != 0 && errno != EEXIST) return systemFailure(err, errno);
    std::string probe;
    const int fd = createTempFile(folder, probe, err);
    if (fd < 0) return false;
    ::_close(fd);
    ::_unlink(probe.c_str());
    return true;
}
