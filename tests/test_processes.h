// The processes of a running batch as the tests see them in /proc: its
// children, the workers that solve models, whether one is still alive.
#pragma once

#include <sys/types.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

// What a file of /proc holds ("" when the process is gone).
inline std::string procText(pid_t pid, const char* what) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + what, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Processes whose parent is `parent` (zombies left out).
inline std::vector<pid_t> childrenOf(pid_t parent) {
    std::vector<pid_t> children;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const size_t close = line.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 2));
        char state = 0;
        pid_t ppid = 0;
        rest >> state >> ppid;
        if (ppid == parent && state != 'Z') children.push_back(std::stoi(name));
    }
    return children;
}

// The children of `pid` that solve models (not the child that checks SCIP's
// parameters before a batch).
inline std::vector<pid_t> solvingWorkersOf(pid_t pid) {
    std::vector<pid_t> workers;
    for (pid_t child : childrenOf(pid)) {
        const std::string command = procText(child, "cmdline");
        if (command.find(std::string("--trabalhador\0opt\0", 18)) != std::string::npos) workers.push_back(child);
    }
    return workers;
}

// The workers of `pid`, once at least `count` of them have loaded SCIP
// (waiting up to a minute on a slow machine) and `seconds` more have passed.
inline std::vector<pid_t> workersAfter(pid_t pid, double seconds, size_t count = 1) {
    const auto loaded = [](pid_t worker) { return procText(worker, "maps").find("libscip") != std::string::npos; };
    for (int i = 0; i < 6000; ++i) {
        const std::vector<pid_t> workers = solvingWorkersOf(pid);
        if (static_cast<size_t>(std::count_if(workers.begin(), workers.end(), loaded)) >= count) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    return solvingWorkersOf(pid);
}

// True while `pid` is a live process (not a zombie).
inline bool processAlive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

}  // namespace testing_support
