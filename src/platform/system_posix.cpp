// The operating system's services that are not files, on POSIX systems.
#include "platform/system.h"

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <iostream>

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

void endAtOnce() {
    ::kill(::getpid(), SIGKILL);
    ::_exit(137);
}

std::string machineName() {
    char host[256] = "";
    return ::gethostname(host, sizeof host - 1) == 0 ? std::string(host) : std::string();
}

void* loadSharedLibrary(const char* name, std::string* err) {
    void* library = ::dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr && err != nullptr) *err = ::dlerror();
    return library;
}

void* librarySymbol(void* library, const char* symbol) { return ::dlsym(library, symbol); }

bool isTerminateSignal(int signal) { return signal == SIGTERM; }

std::string localTimeNow(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[64] = "";
    if (::localtime_r(&now, &local) != nullptr) std::strftime(text, sizeof text, format, &local);
    return text;
}
