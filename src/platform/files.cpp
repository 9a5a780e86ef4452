// Folder listing, path pieces, and the names of the program's temporary
// files: what holds on every system. The operating system's side of files
// is in files_posix.cpp.
#include "platform/files.h"

#include <algorithm>
#include <cstdio>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "text/messages.h"

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<TempFileOwner> tempFileOwner(const std::string& name) {
    const std::string prefix = kTempPrefix;
    const std::string suffix = kTempSuffix;
    const size_t randomPart = 6;
    if (name.size() < prefix.size() + suffix.size() + randomPart + 4) return std::nullopt;
    if (name.compare(0, prefix.size(), prefix) != 0 || !endsWith(name, suffix)) return std::nullopt;
    // <host>-<pid>-XXXXXX between prefix and suffix; the host may hold "-".
    const std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (middle.size() < randomPart + 4 || middle[middle.size() - randomPart - 1] != '-') return std::nullopt;
    const std::string hostAndPid = middle.substr(0, middle.size() - randomPart - 1);
    const size_t dash = hostAndPid.rfind('-');
    if (dash == std::string::npos || dash == 0 || dash + 1 == hostAndPid.size()) return std::nullopt;
    const std::string pidText = hostAndPid.substr(dash + 1);
    if (pidText.size() > 9 || !std::all_of(pidText.begin(), pidText.end(), isDigit)) return std::nullopt;
    return TempFileOwner{hostAndPid.substr(0, dash), std::stoi(pidText)};
}

std::vector<std::string> listFolder(const std::string& folder, std::string* err) {
    FolderListing listing = readFolder(folder);
    if (err != nullptr) *err = listing.error;
    return listing.paths;
}

FolderListing readFolder(const std::string& folder) {
    FolderListing listing;
    std::vector<std::string> names;
    std::string reason;
    if (holdsNul(folder)) {
        reason = msg::invalidFolderName + std::string(folder.c_str());  // up to the NUL
    } else {
        folderEntryNames(folder, names, reason);
    }
    if (!reason.empty()) {
        listing.error = msg::folderAccessError + reason + "\n";
        listing.whole = false;
    }
    std::sort(names.begin(), names.end());
    listing.paths.reserve(names.size());
    for (const std::string& name : names) listing.paths.push_back(joinPath(folder, name));
    return listing;
}

std::vector<std::string> splitPath(std::string path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t sep = path.find_first_of(kPathSeparators, start);
        if (sep == std::string::npos) break;
        parts.push_back(path.substr(start, sep - start));
        start = sep + 1;
    }
    parts.push_back(path.substr(start));
    return parts;
}

std::optional<std::string> readTextFile(const std::string& path) {
    if (!isRegularFile(path)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return content.str();
}

bool fileIsReadable(const std::string& path) {
    if (!isRegularFile(path)) return false;
    FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

bool holdsNul(const std::string& text) { return text.find('\0') != std::string::npos; }

bool isPathSeparator(char c) { return std::strchr(kPathSeparators, c) != nullptr && c != '\0'; }

bool isAbsolutePath(const std::string& path) {
    if (!path.empty() && isPathSeparator(path[0])) return true;
#ifdef _WIN32
    return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
#else
    return false;
#endif
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && isPathSeparator(folder.back())) return folder + name;
    return folder + kPathSeparator + name;
}

std::string baseName(const std::string& path) { return splitPath(path).back(); }

std::string parentFolder(const std::string& path) {
    const size_t slash = path.find_last_of(kPathSeparators);
    if (slash == std::string::npos) return ".";
    if (slash == 0) return path.substr(0, 1);
    // A drive's root keeps its separator: "C:" alone is the drive's working folder.
    const bool driveRoot = slash == 2 && isAbsolutePath(path) && !isPathSeparator(path[0]);
    return path.substr(0, driveRoot ? slash + 1 : slash);
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Replaces `path`, a file in `folder`, with `content`, so that readers (and a
// process killed at any moment) see either the old file or the new one, never
// a part of it. The file is not synced to disk: the report is rewritten after
// every entry of a batch (thousands of times for a big folder), and a rename
// survives a killed process without it.
bool replaceFile(const std::string& folder, const std::string& path, const std::string& content, std::string* err) {
    std::string temp;
    FileDescriptor out(createTempFile(folder, temp, err));
    if (out.fd < 0) return false;
    bool done = writeWhole(out.fd, content, err);
    if (done && !out.close()) done = systemFailure(err, errno);
    if (done) done = renameFile(temp, path, err);
    if (!done) removeIfPresent(temp, nullptr);
    return done;
}
