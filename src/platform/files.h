// Folder services (listing, path pieces, file tests) and files replaced whole
// through temporary files unique to their writer.
#pragma once

#include <optional>
#include <string>
#include <vector>

// How a function below the commands says it failed: it returns false (an
// empty optional, a descriptor of -1, a status that says so) and, given a
// place for it in `err`, puts there what went wrong as text: the system's
// reason from the single operations of this file, whose callers name the
// file and what they were doing; the whole line to show from anything built
// on them. It prints nothing: its caller decides what is shown, and where.

// The system's text for the error number `error`, in the program's language.
std::string systemErrorText(int error);
// Puts that text in `err`, when one is wanted; false, for a failure to return it.
bool systemFailure(std::string* err, int error);

// A file's size and time of change: what tells whether a file changed.
struct FileStamp {
    long long size = 0;
    long long modifiedNs = 0;  // nanoseconds since the epoch
    bool operator==(const FileStamp& other) const { return size == other.size && modifiedNs == other.modifiedNs; }
};

// A file descriptor, closed when it goes out of scope; moved, it goes with
// its new owner.
struct FileDescriptor {
    int fd = -1;
    FileDescriptor() = default;
    explicit FileDescriptor(int f) : fd(f) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd(other.fd) { other.fd = -1; }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            close();
            fd = other.fd;
            other.fd = -1;
        }
        return *this;
    }
    ~FileDescriptor() { close(); }
    // Closes now and says whether the close succeeded (true when none was open).
    bool close();
};

// A file in memory (on Windows a temporary file) that C code opens by name,
// closed (and removed) when it goes out of scope; without a path when it
// could not be made.
struct NamedMemoryFile {
    FileDescriptor fd;
    std::string path;
    NamedMemoryFile() = default;
    NamedMemoryFile(const NamedMemoryFile&) = delete;
    NamedMemoryFile& operator=(const NamedMemoryFile&) = delete;
    NamedMemoryFile(NamedMemoryFile&& other) noexcept;
    NamedMemoryFile& operator=(NamedMemoryFile&& other) noexcept;
    ~NamedMemoryFile();
};
NamedMemoryFile makeNamedMemoryFile(const char* name, std::string* err);
// Removes the files in memory that the process `pid`, now ended, left
// behind (a worker ends itself at once, without removing them): on Windows
// its temporary files in the system's temporary folder; elsewhere they went
// with it.
void removeMemoryFilesOf(int pid);
// Replaces what a file in memory holds with `text`; false when it cannot.
bool rewriteMemoryFile(const NamedMemoryFile& file, const std::string& text);
// What C code wrote into a file in memory, with "\n" line ends (a library
// with a C runtime of its own may write Windows' "\r\n"); nothing when it
// cannot be read.
std::optional<std::string> readMemoryFile(const NamedMemoryFile& file);
// `text`, written with "\n" line ends, with the line ends a text file has on
// this system: "\r\n" on Windows.
std::string withSystemLineEnds(const std::string& text);

// ---- Folder services ----------------------------------------------------

// Entries of `folder` ("." and ".." left out), each joined to the folder
// path, sorted by name. A folder that cannot be listed whole gives the
// entries found so far, and the line that says so in `err`.
std::vector<std::string> listFolder(const std::string& folder, std::string* err);
// The same, and whether the whole folder could be listed.
struct FolderListing {
    std::vector<std::string> paths;
    bool whole = true;
    std::string error;  // the line that says why it is not whole
};
FolderListing readFolder(const std::string& folder);
// The names of the entries of `folder` ("." and ".." left out), in the order
// the system gives them; those found so far and the reason, in `reason`,
// when it cannot be read whole.
void folderEntryNames(const std::string& folder, std::vector<std::string>& names, std::string& reason);
// Pieces of `path` between separators, empty pieces included.
std::vector<std::string> splitPath(std::string path);
// True when `path` names an existing folder (links followed).
bool folderExists(std::string path);
// True when `path` is a regular file (links followed) that can be opened.
bool fileIsReadable(const std::string& path);
// True when `path` is a regular file (links followed); never opens it.
bool isRegularFile(const std::string& path);
// Size and time of change of a regular file (links followed); nothing for
// anything else.
std::optional<FileStamp> fileStamp(const std::string& path);

// ---- Paths (pure) -------------------------------------------------------

// The separator the program puts between a folder and a name, and those it
// takes: "/" on POSIX systems; on Windows "\\", and "/" taken too.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline constexpr const char* kPathSeparators = "\\/";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr const char* kPathSeparators = "/";
#endif
bool isPathSeparator(char c);
// True when `path` does not start from the working folder: it starts with a
// separator (or, on Windows, a drive: "C:").
bool isAbsolutePath(const std::string& path);

// True when `text` holds a NUL byte, which no path the system takes can.
bool holdsNul(const std::string& text);
// `folder`, the separator and `name`, without doubling a trailing separator.
std::string joinPath(const std::string& folder, const std::string& name);
// The folder that holds `path`: "." for a bare name, "/" for one at the root.
std::string parentFolder(const std::string& path);
// Last component of a path (the whole path when it has no separator).
std::string baseName(const std::string& path);
// True when `text` ends with `suffix` (case-sensitive).
bool endsWith(const std::string& text, const std::string& suffix);

// The whole content of a regular file; nothing when it is not one or cannot be read.
std::optional<std::string> readTextFile(const std::string& path);
// The absolute path of an existing file or folder, links and "." and ".."
// resolved; nothing when it does not exist.
std::optional<std::string> realPath(const std::string& path);
// True when both paths name one folder.
bool sameFolder(const std::string& a, const std::string& b);
// Makes `folder` when only its last part is missing, and checks that a new
// file can be made in it.
bool prepareOutputFolder(const std::string& folder, std::string* err);

// ---- Whole reads and writes ----------------------------------------------
// On any descriptor, through signals that interrupt them.

// Writes all of `bytes`.
bool writeWhole(int fd, const std::string& bytes, std::string* err);
// Reads exactly `size` bytes. False when the descriptor fails or ends first.
bool readWhole(int fd, void* data, size_t size);
// Appends what can be read now to `bytes`: until the descriptor would block,
// or for a blocking one until it ends. False once it has ended or failed.
bool readAvailable(int fd, std::string& bytes);

// ---- Writing files ------------------------------------------------------

// Prefix and suffix of every temporary file the program writes. The fixed
// ".tmp" ending keeps them from ever being taken for a model (they end
// neither in "lp" nor in "mod").
inline constexpr const char* kTempPrefix = ".loteotimizador-";
inline constexpr const char* kTempSuffix = ".tmp";

// Creates a temporary file in `folder` named ".loteotimizador-<host>-<pid>-XXXXXX.tmp",
// unique to this writer, with the mode a plain new file gets. Returns the
// open descriptor (-1 when it fails) and sets `path`.
int createTempFile(const std::string& folder, std::string& path, std::string* err);
// Creates a folder in `folder` named as createTempFile names its files, for
// one process's private use, and sets `path`.
bool createTempFolder(const std::string& folder, std::string& path, std::string* err);
// Replaces `path`, a file in `folder`, with `content` through a temporary
// file renamed over it.
bool replaceFile(const std::string& folder, const std::string& path, const std::string& content, std::string* err);
// Host and process of a temporary file named by this program; nothing for
// any other name.
struct TempFileOwner {
    std::string host;
    int pid = 0;
};
std::optional<TempFileOwner> tempFileOwner(const std::string& name);
// Removes the temporary files (and folders) that killed runs left in
// `folder`: those of this host whose process is gone, and any older than a day.
void removeStaleTempFiles(const std::string& folder);
// Removes `path` if it is there; absence (or a name too long to exist) is
// not a failure.
bool removeIfPresent(const std::string& path, std::string* err);
// Removes the file `path`; only its absence is not a failure. `removed`
// says whether a file was removed.
bool removeFile(const std::string& path, bool& removed, std::string* err);
// True when `path` names something other than a regular file (a folder, a FIFO).
bool holdsOtherThanFile(const std::string& path);
// True when nothing is at `path` (or a name too long to exist, or a path through a file).
bool nothingAt(const std::string& path);
// Makes `path` a folder for this program's private use; one already there
// will do.
bool makePrivateFolder(const std::string& path, std::string* err);
// Opens (or makes) `path` for appending at its end.
bool openForAppend(const std::string& path, FileDescriptor& file, std::string* err);
// Gives the file `from` the name `to`, replacing what had that name.
bool renameFile(const std::string& from, const std::string& to, std::string* err);
// Cuts an open file to `size` bytes.
bool truncateFile(const FileDescriptor& file, long long size, std::string* err);
