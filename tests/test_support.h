// Helpers for the tests: temporary folders, files, and running the real
// binary with text on its standard input.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "test_texts.h"

namespace testing_support {

namespace fs = std::filesystem;

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeFile(const fs::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

// A fresh folder under /tmp, removed with everything in it at the end.
struct TempDir {
    fs::path path;
    TempDir() {
        char pattern[] = "/tmp/lote_test_XXXXXX";
        if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
        path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path, ignored);
    }
    std::string str() const { return path.string(); }
    fs::path operator/(const std::string& name) const { return path / name; }
};

// The test models bundled in tests/models (see its README.md).
inline fs::path testModels() { return fs::path(LOTE_MODELS_DIR); }

struct RunResult {
    std::string out;
    std::string err;
    int exitCode = -1;  // exit status, or -1 when killed by a signal
    int signal = 0;     // the signal that ended the process, if any
    bool timedOut = false;
    double seconds = 0.0;
};

struct RunOptions {
    std::string cwd;
    double timeoutSeconds = 120.0;
    std::vector<std::string> extraEnv;  // "NAME=value"
    bool stdoutReaderGone = false;      // standard output is a pipe nobody reads
    std::vector<std::string> args;      // command-line arguments
    bool ownProcessGroup = false;       // as a shell starts a foreground job
};

// Options that start the program with these arguments (and environment).
inline RunOptions withArgs(std::vector<std::string> args, std::vector<std::string> env = {}) {
    RunOptions options;
    options.args = std::move(args);
    options.extraEnv = std::move(env);
    return options;
}

// Starts the program with `input` as its standard input (from a file, so the
// program sees end of input after it); its output streams go to files in `io`.
inline pid_t startProgram(const std::string& input, const TempDir& io, const RunOptions& options = {}) {
    writeFile(io / "in", input);
    const std::string inPath = (io / "in").string();
    const std::string outPath = (io / "out").string();
    const std::string errPath = (io / "err").string();
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int in = open(inPath.c_str(), O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        int ends[2];
        if (options.stdoutReaderGone && pipe(ends) == 0) {
            close(ends[0]);
            dup2(ends[1], 1);
        }
        if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) _exit(126);
        for (const std::string& var : options.extraEnv) putenv(const_cast<char*>(var.c_str()));
        if (options.ownProcessGroup) setpgid(0, 0);
        std::vector<char*> argv = {const_cast<char*>(LOTE_BINARY)};
        for (const std::string& arg : options.args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(LOTE_BINARY, argv.data());
        _exit(127);
    }
    return pid;
}

// True while the started program has not ended.
inline bool stillRunning(pid_t pid) {
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) return false;
    return info.si_pid == 0;
}

// Waits for a started program (killing it after the time-out) and collects its output.
inline RunResult finishProgram(pid_t pid, const TempDir& io, const RunOptions& options = {}) {
    const auto start = std::chrono::steady_clock::now();
    RunResult result;
    int status = 0;
    while (true) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (elapsed > options.timeoutSeconds) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    result.out = readFile(io / "out");
    result.err = readFile(io / "err");
    return result;
}

inline RunResult runProgram(const std::string& input, const RunOptions& options = {}) {
    TempDir io;
    return finishProgram(startProgram(input, io, options), io, options);
}

// Processes whose parent is `parent` (zombies left out).
inline std::vector<pid_t> childrenOf(pid_t parent) {
    std::vector<pid_t> children;
    for (const auto& entry : fs::directory_iterator("/proc")) {
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

// The workers of `pid` that solve models (not the child checking SCIP's parameters), once
// `count` of them have loaded SCIP (waiting up to a minute) and `seconds` more have passed.
inline std::vector<pid_t> workersAfter(pid_t pid, double seconds, size_t count = 1) {
    const auto workers = [pid](bool loaded) {
        std::vector<pid_t> found;
        for (pid_t child : childrenOf(pid)) {
            const std::string proc = "/proc/" + std::to_string(child);
            if (readFile(proc + "/cmdline").find(std::string("--trabalhador\0opt\0", 18)) != std::string::npos &&
                (!loaded || readFile(proc + "/maps").find("libscip") != std::string::npos))
                found.push_back(child);
        }
        return found;
    };
    for (int i = 0; i < 6000 && workers(true).size() < count; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    return workers(false);
}

// True while `pid` is a live process (not a zombie).
inline bool processAlive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

// Replaces the varying solving times of the console ("TEMPO: 0.0123") with "TEMPO: T".
inline std::string maskTimes(const std::string& text) {
    std::string result;
    size_t pos = 0;
    const std::string label = "TEMPO: ";
    while (true) {
        const size_t at = text.find(label, pos);
        if (at == std::string::npos) break;
        result += text.substr(pos, at - pos) + label + "T";
        pos = at + label.size();
        while (pos < text.size() && text[pos] != '\n') ++pos;
    }
    return result + text.substr(pos);
}

// Names of the program's temporary files in `folder` (its lock files,
// ".loteotimizador.trava…", are not temporary: they may stay).
inline std::vector<std::string> tempFilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(".loteotimizador-", 0) == 0) names.push_back(name);
    }
    return names;
}

// Leaves in `folder` a temporary file as a killed run of this host would:
// named for a process that has ended.
inline void plantStaleTempFile(const fs::path& folder) {
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    writeFile(folder / (".loteotimizador-" + std::string(host) + "-" + std::to_string(gone) + "-q1w2e3.tmp"), "half");
}

// Copies a folder tree, each copy writable by its owner.
inline void copyFolder(const fs::path& from, const fs::path& to) {
    fs::copy(from, to, fs::copy_options::recursive);
    for (const auto& entry : fs::recursive_directory_iterator(to)) {
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
    }
    fs::permissions(to, fs::perms::owner_write, fs::perm_options::add);
}

// The typed lines of one `opt` run.
inline std::string optInput(const fs::path& models, const fs::path& output) {
    return "opt\n" + models.string() + "\n" + output.string() + "\n";
}

// Report rows parsed into fields (the trailing ";" gives no extra field).
inline std::vector<std::vector<std::string>> reportRows(const std::string& report) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> all = lines(report);
    for (size_t i = 1; i < all.size(); ++i) {
        std::vector<std::string> fields;
        std::istringstream row(all[i]);
        for (std::string field; std::getline(row, field, ';');) fields.push_back(field);
        rows.push_back(fields);
    }
    return rows;
}

// The complete report's last three fields (INTEGRAL_PD and the solution
// times), which vary from run to run, as "T" where they are not empty.
inline std::string maskSolutionTimes(std::string row) {
    size_t end = row.size();
    for (int field = 0; field < 3 && end > 0; ++field) {
        const size_t start = row.rfind(';', end - 1);
        if (start == std::string::npos) break;
        if (end > start + 1) row.replace(start + 1, end - start - 1, "T");
        end = start;
    }
    return row;
}

// Rows without their time field, which varies from run to run (nor, in the
// complete report, the integral and the solution times).
inline std::vector<std::string> rowsWithoutTimes(const std::string& report) {
    std::vector<std::string> rows;
    const bool complete = report.find(";TEMPO_MELHOR_SOL\n") != std::string::npos;
    std::string masked;
    for (const std::string& line : lines(report)) masked += (complete ? maskSolutionTimes(line) : line) + "\n";
    for (const auto& fields : reportRows(masked)) {
        std::string row;
        for (size_t i = 0; i < fields.size(); ++i) {
            if (i != 1) row += fields[i] + ";";
        }
        rows.push_back(row);
    }
    return rows;
}

// Waits (up to `seconds`) until the report at `path` has at least `count` rows.
inline bool waitForRows(const fs::path& path, size_t count, double seconds = 30.0) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (rowsWithoutTimes(readFile(path)).size() >= count) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// A report number ("1120,000000") as a double.
inline double reportNumber(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    return std::strtod(text.c_str(), nullptr);
}

}  // namespace testing_support
