// The operating system's services that are not files, on POSIX systems.
#include "platform/system.h"

#include "platform/files.h"

#include <clocale>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <vector>

#include <dlfcn.h>
#include <unistd.h>

void setProgramLocale() {
    const char* const names[] = {"pt_BR.UTF-8", "pt_BR.utf8", "pt_PT.UTF-8", "pt_PT.utf8",
                                 "pt_BR",       "pt_PT",      "portuguese"};
    for (const char* name : names) {
        if (std::setlocale(LC_ALL, name) != nullptr) break;
    }
    std::setlocale(LC_NUMERIC, "C");
}

void ignoreBrokenPipes() { std::signal(SIGPIPE, SIG_IGN); }

void endBySignal(int signal) {
    std::cout << std::flush;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal);
}

bool outputOnTerminal() { return ::isatty(STDOUT_FILENO) == 1; }
bool errorsOnTerminal() { return ::isatty(STDERR_FILENO) == 1; }

int processId() { return static_cast<int>(::getpid()); }

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

void setEnvironmentValue(const char* name, const std::string& value) { ::setenv(name, value.c_str(), 1); }

std::string absolutePath(const std::string& path) {
    if (path.find('/') == std::string::npos || path[0] == '/') return path;
    std::string folder(4096, '\0');
    while (::getcwd(&folder[0], folder.size()) == nullptr) {
        if (errno != ERANGE) return path;
        folder.resize(folder.size() * 2);
    }
    folder.resize(std::strlen(folder.c_str()));
    return (folder == "/" ? folder : folder + "/") + path;
}

void endAtOnce() {
    ::kill(::getpid(), SIGKILL);
    ::_exit(137);
}

std::string machineName() {
    char host[256] = "";
    return ::gethostname(host, sizeof host - 1) == 0 ? std::string(host) : std::string();
}

void* loadSharedLibrary(const std::string& name, std::string* err) {
    const std::string folder = name.find('/') != std::string::npos ? parentFolder(name) : "";
    // The libraries taken from the folder, let go once `name` holds them itself (or failed).
    std::vector<void*> taken;
    void* library = nullptr;
    std::string reason = name;
    // Each round takes one missing library from the folder (and what it needs in turn).
    for (int round = 0; round < 32 && library == nullptr; ++round) {
        library = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library != nullptr) break;
        const char* said = ::dlerror();
        reason = said != nullptr ? said : "";
        // The loader's reason starts with the name of the library it could not open.
        const std::string missing = reason.substr(0, reason.find(':'));
        const std::string beside = joinPath(folder, missing);
        void* needed =
            folder.empty() || missing.empty() || missing.find('/') != std::string::npos || !isRegularFile(beside)
                ? nullptr
                : loadSharedLibrary(beside, nullptr);
        if (needed == nullptr) break;
        taken.push_back(needed);
    }
    for (auto it = taken.rbegin(); it != taken.rend(); ++it) ::dlclose(*it);
    if (library == nullptr && err != nullptr) *err = reason;
    return library;
}

void unloadSharedLibrary(void* library) {
    if (library != nullptr) ::dlclose(library);
}

void* librarySymbol(void* library, const char* symbol) { return ::dlsym(library, symbol); }

std::string libraryFileOf(const void* address) {
    Dl_info info{};
    if (::dladdr(address, &info) == 0 || info.dli_fname == nullptr) return "";
    // The file itself, not a link to it: one library, one name.
    char* real = ::realpath(info.dli_fname, nullptr);
    const std::string file = real != nullptr ? real : info.dli_fname;
    std::free(real);
    return file;
}

bool isTerminateSignal(int signal) { return signal == SIGTERM; }

std::string localTimeNow(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[64] = "";
    if (::localtime_r(&now, &local) != nullptr) std::strftime(text, sizeof text, format, &local);
    return text;
}

const char* textCharset() { return "utf-8"; }
