#include "Functions.h"

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <stdexcept>

#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <signal.h>
#include <unistd.h>

extern "C" {
#include <glpk.h>
}

#include "Messages.h"

namespace fs = std::filesystem;

double timeLimit = 0.0;
std::vector<std::string> modelPaths;
std::vector<std::string> resultRows;

namespace {

bool inputHasEnded = false;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Base name of this source file, for the solver error header.
constexpr const char* sourceBaseName(const char* path) {
    const char* base = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '/' || *p == '\\') base = p + 1;
    }
    return base;
}
constexpr const char* kSourceFile = sourceBaseName(__FILE__);

// Reports a failed SCIP call through SCIP's own error printing.
bool scipOk(SCIP_RETCODE code, int line) {
    if (code == SCIP_OKAY) return true;
    SCIPmessagePrintErrorHeader(kSourceFile, line);
    SCIPmessagePrintError(msg::scipErrorFormat, code);
    return false;
}
#define SCIP_OK(call) scipOk((call), __LINE__)

// A SCIP instance, freed (and the free checked) when it goes out of scope.
struct ScipInstance {
    SCIP* scip = nullptr;
    ScipInstance() = default;
    ScipInstance(const ScipInstance&) = delete;
    ScipInstance& operator=(const ScipInstance&) = delete;
    ~ScipInstance() {
        if (scip != nullptr) SCIP_OK(SCIPfree(&scip));
    }
};

// A SCIP message handler, released when it goes out of scope.
struct ScipMessageHandler {
    SCIP_MESSAGEHDLR* handler = nullptr;
    ScipMessageHandler() = default;
    ScipMessageHandler(const ScipMessageHandler&) = delete;
    ScipMessageHandler& operator=(const ScipMessageHandler&) = delete;
    ~ScipMessageHandler() {
        if (handler != nullptr) SCIP_OK(SCIPmessagehdlrRelease(&handler));
    }
};

// A GLPK problem object and MathProg workspace, released in reverse order.
struct GlpkTranslation {
    glp_prob* prob = nullptr;
    glp_tran* tran = nullptr;
    GlpkTranslation() {
        prob = glp_create_prob();
        tran = glp_mpl_alloc_wksp();
    }
    GlpkTranslation(const GlpkTranslation&) = delete;
    GlpkTranslation& operator=(const GlpkTranslation&) = delete;
    ~GlpkTranslation() {
        glp_mpl_free_wksp(tran);
        glp_delete_prob(prob);
    }
};

// A file descriptor, closed when it goes out of scope.
struct FileDescriptor {
    int fd = -1;
    explicit FileDescriptor(int f) : fd(f) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
    // Closes now and says whether the close succeeded.
    bool close() {
        const int f = fd;
        fd = -1;
        return ::close(f) == 0;
    }
};

// A memory stream that SCIP can print into, freed when it goes out of scope.
struct MemoryStream {
    char* data = nullptr;
    size_t size = 0;
    FILE* file = nullptr;
    MemoryStream() { file = open_memstream(&data, &size); }
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;
    ~MemoryStream() {
        if (file != nullptr) std::fclose(file);
        std::free(data);
    }
    std::string text() {
        std::fflush(file);
        return std::string(data, size);
    }
};

bool hasNul(const std::string& s) { return s.find('\0') != std::string::npos; }

// Prefix and suffix of every temporary file the program writes. The fixed
// ".tmp" ending keeps them from ever being taken for a model (they end
// neither in "lp" nor in "mod").
constexpr const char* kTempPrefix = ".loteotimizador-";
constexpr const char* kTempSuffix = ".tmp";

const std::string& hostName() {
    static const std::string name = [] {
        char buffer[256] = {};
        if (::gethostname(buffer, sizeof buffer - 1) != 0 || buffer[0] == '\0') return std::string("host");
        std::string text(buffer);
        // Keep the name usable as part of a file name.
        for (char& c : text) {
            if (c == '/') c = '_';
        }
        return text;
    }();
    return name;
}

// The mode a plain new file gets: 0666 less the process umask.
mode_t plainFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

// Creates a temporary file in `folder` whose name is unique to this writer
// (host, process, random part), so that batches writing into one folder at
// the same time never share one. Returns the open descriptor (or -1 with
// errno set) and its path.
int createTempFile(const std::string& folder, std::string& path) {
    std::string pattern = joinPath(folder, kTempPrefix + hostName() + "-" + std::to_string(::getpid()) +
                                               "-XXXXXX" + kTempSuffix);
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemps(name.data(), static_cast<int>(std::strlen(kTempSuffix)));
    if (fd < 0) return -1;
    path = name.data();
    if (::fchmod(fd, plainFileMode()) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(path.c_str());
        errno = error;
        return -1;
    }
    return fd;
}

// Replaces `path`, a file in `folder`, with `content`, so that readers (and a
// process killed at any moment) see either the old file or the new one, never
// a part of it. The file is not synced to disk: the report is rewritten after
// every entry of a batch (thousands of times for a big folder), and a rename
// survives a killed process without it. Returns 0 or the errno of the failure.
int replaceFile(const std::string& folder, const std::string& path, const std::string& content) {
    std::string temp;
    FileDescriptor out(createTempFile(folder, temp));
    if (out.fd < 0) return errno;
    int error = 0;
    size_t done = 0;
    while (done < content.size() && error == 0) {
        const ssize_t n = ::write(out.fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno != EINTR) error = errno;
        } else {
            done += static_cast<size_t>(n);
        }
    }
    if (!out.close() && error == 0) error = errno;
    if (error == 0 && std::rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) ::unlink(temp.c_str());
    return error;
}

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

void removeStaleTempFiles(const std::string& folder) {
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error) return;
    const auto dayAgo = fs::file_time_type::clock::now() - std::chrono::hours(24);
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) return;
        const std::string name = it->path().filename().string();
        const std::optional<TempFileOwner> owner = tempFileOwner(name);
        if (!owner) continue;
        bool stale = owner->host == hostName() && ::kill(owner->pid, 0) != 0 && errno == ESRCH;
        std::error_code timeError;
        const auto written = fs::last_write_time(it->path(), timeError);
        if (!timeError && written < dayAgo) stale = true;
        if (stale) ::unlink(it->path().c_str());
    }
}

namespace {

void printIoError(const char* what, const std::string& path, int error) {
    std::cerr << what << path << ": " << std::strerror(error) << "\n" << std::flush;
}

// Removes `path` if it is there; absence (or a name too long to exist) is
// not an error. Returns 0 or errno.
int removeIfPresent(const std::string& path) {
    if (::unlink(path.c_str()) == 0 || errno == ENOENT || errno == ENAMETOOLONG) return 0;
    return errno;
}

// Console and report output of a model that could not be read.
void recordReadError(const std::string& name) {
    std::cout << msg::nameLabel << name << "\n";
    std::cout << msg::timeLabel << 0.0 << "\n";
    std::cout << statusLine(Outcome::ReadError);
    resultRows.push_back(buildResultRow(name, 0.0, Outcome::ReadError, std::nullopt));
}

// Reads the model's start solution from the initial-solution folder, if it holds one.
void readInitialSolution(SCIP* scip, const std::string& folder, const std::string& name) {
    const std::string path = joinPath(folder, solutionFileName(name));
    if (!isRegularFile(path)) return;
    if (SCIP_OK(SCIPreadSol(scip, path.c_str()))) {
        std::cout << msg::initialSolRead << path << "\n";
    }
}

// Writes the best solution of a solved instance to `outputFolder`/<name>.sol
// in SCIP's solution format; without a solution, removes an older file of
// that name so that the folder never contradicts the report.
void writeSolution(SCIP* scip, const std::string& outputFolder, const std::string& name) {
    const std::string path = joinPath(outputFolder, solutionFileName(name));
    const bool hasSolution =
        scip != nullptr && SCIPgetStage(scip) > SCIP_STAGE_PROBLEM && SCIPgetNSols(scip) > 0;
    if (!hasSolution) {
        if (const int error = removeIfPresent(path)) printIoError(msg::solutionNotRemoved, path, error);
        return;
    }
    MemoryStream buffer;
    if (buffer.file == nullptr) {
        printIoError(msg::solutionNotWritten, path, errno);
        return;
    }
    // The layout of SCIP's own "write solution": status, objective, values.
    std::fputs("solution status: ", buffer.file);
    if (!SCIP_OK(SCIPprintStatus(scip, buffer.file))) return;
    std::fputs("\n", buffer.file);
    if (!SCIP_OK(SCIPprintBestSol(scip, buffer.file, 0))) return;
    if (const int error = replaceFile(outputFolder, path, buffer.text())) {
        printIoError(msg::solutionNotWritten, path, error);
    }
}

}  // namespace

// ---- Console input ------------------------------------------------------

bool readLine(std::string& line) {
    if (inputHasEnded) return false;
    std::getline(std::cin, line);
    if (std::cin.eof()) inputHasEnded = true;
    return !std::cin.fail();
}

bool inputEnded() { return inputHasEnded; }

// ---- Folder services ----------------------------------------------------

std::vector<std::string> listFolder(const std::string& folder) {
    std::vector<std::string> names;
    try {
        if (hasNul(folder)) throw std::runtime_error(msg::invalidFolderName + folder);
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
    } catch (const std::exception& e) {
        std::cerr << msg::folderAccessError << e.what() << "\n" << std::flush;
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const std::string& name : names) paths.push_back(joinPath(folder, name));
    return paths;
}

std::vector<std::string> splitPath(std::string path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t sep = path.find('/', start);
        if (sep == std::string::npos) break;
        parts.push_back(path.substr(start, sep - start));
        start = sep + 1;
    }
    parts.push_back(path.substr(start));
    return parts;
}

bool folderExists(std::string path) {
    struct stat info;
    if (hasNul(path) || ::stat(path.c_str(), &info) != 0) return false;
    return S_ISDIR(info.st_mode);
}

bool isRegularFile(const std::string& path) {
    struct stat info;
    if (hasNul(path) || ::stat(path.c_str(), &info) != 0) return false;
    return S_ISREG(info.st_mode);
}

bool fileIsReadable(const std::string& path) {
    if (!isRegularFile(path)) return false;
    FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

// ---- Pure helpers -------------------------------------------------------

std::string joinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

std::string baseName(const std::string& path) { return splitPath(path).back(); }

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::optional<double> parseTimeLimit(const std::string& line) {
    // Scan the number by hand: a decimal comma or point, an optional
    // exponent, nothing that strtod alone would also take (hexadecimal,
    // "inf", "nan"). The span found is then converted in the C convention.
    const std::string text = line.substr(0, line.find('\0'));
    const size_t size = text.size();
    size_t i = 0;
    while (i < size && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    std::string number;
    if (i < size && (text[i] == '+' || text[i] == '-')) number += text[i++];
    if (i + 1 < size && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) return std::nullopt;
    size_t digits = 0;
    while (i < size && isDigit(text[i])) {
        number += text[i++];
        ++digits;
    }
    if (i < size && (text[i] == ',' || text[i] == '.')) {
        size_t j = i + 1;
        std::string fraction;
        while (j < size && isDigit(text[j])) fraction += text[j++];
        if (digits > 0 || !fraction.empty()) {
            number += "." + fraction;
            digits += fraction.size();
            i = j;
        }
    }
    if (digits == 0) return std::nullopt;
    if (i < size && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < size && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
        const size_t first = exponent.size();
        while (j < size && isDigit(text[j])) exponent += text[j++];
        if (exponent.size() > first) number += exponent;
    }
    static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    errno = 0;
    const double value = strtod_l(number.c_str(), nullptr, cLocale);
    // Negative values and values beyond SCIP's largest limit are refused.
    if (errno == ERANGE || !(value >= 0.0) || value > kLargestTimeLimit) return std::nullopt;
    return value == 0.0 ? 0.0 : value;
}

std::string formatReportNumber(double value) {
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    std::string text(buffer, result.ptr);
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

std::string initialSolutionFolderOfFolder(const std::string& modelFolder) {
    const std::vector<std::string> parts = splitPath(modelFolder);
    std::string folder;
    for (size_t i = 0; i + 1 < parts.size(); ++i) folder += parts[i] + "/";
    return folder + "initial_sol";
}

std::string initialSolutionFolderOfModel(const std::string& modelPath) {
    const std::vector<std::string> parts = splitPath(modelPath);
    std::string folder;
    for (size_t i = 0; i + 2 < parts.size(); ++i) folder += parts[i] + "/";
    return folder + "initial_sol";
}

std::string solutionFileName(const std::string& modelName) {
    if (endsWith(modelName, ".lp")) return modelName.substr(0, modelName.size() - 3) + ".sol";
    return modelName + ".sol";
}

std::optional<Outcome> outcomeFromScipStatus(int scipMajorVersion, int status) {
    if (scipMajorVersion >= 7 && scipMajorVersion <= 9) {
        switch (status) {
            case 5: return Outcome::TimeLimit;
            case 11: return Outcome::Optimal;
            case 12: return Outcome::Infeasible;
            case 13: return Outcome::Unbounded;
            case 14: return Outcome::InfeasibleOrUnbounded;
            default: return Outcome::Other;
        }
    }
    if (scipMajorVersion == 10) {
        switch (status) {
            case 1: return Outcome::Optimal;
            case 2: return Outcome::Infeasible;
            case 3: return Outcome::Unbounded;
            case 4: return Outcome::InfeasibleOrUnbounded;
            case 23: return Outcome::TimeLimit;
            default: return Outcome::Other;
        }
    }
    return std::nullopt;
}

const char* statusLine(Outcome outcome) {
    switch (outcome) {
        case Outcome::TimeLimit: return msg::statusTimeLimitLine;
        case Outcome::Optimal: return msg::statusOptimalLine;
        case Outcome::Infeasible: return msg::statusInfeasibleLine;
        case Outcome::Unbounded: return msg::statusUnboundedLine;
        case Outcome::InfeasibleOrUnbounded: return msg::statusInfOrUnbdLine;
        case Outcome::ReadError: return msg::statusReadErrorLine;
        case Outcome::Other: break;
    }
    return "";
}

const char* statusRowText(Outcome outcome) {
    switch (outcome) {
        case Outcome::TimeLimit: return msg::statusTimeLimitRow;
        case Outcome::Optimal: return msg::statusOptimalRow;
        case Outcome::Infeasible: return msg::statusInfeasibleRow;
        case Outcome::Unbounded: return msg::statusUnboundedRow;
        case Outcome::InfeasibleOrUnbounded: return msg::statusInfOrUnbdRow;
        case Outcome::ReadError: return msg::statusReadErrorRow;
        case Outcome::Other: break;
    }
    return "";
}

std::string csvName(const std::string& name) {
    if (name.find_first_of(";\"\r\n") == std::string::npos) return name;
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string buildResultRow(const std::string& name, double seconds, Outcome outcome,
                           std::optional<double> primalBound) {
    std::string row = csvName(name) + ";";
    row += formatReportNumber(seconds) + ";";
    // A status without a text keeps its field, empty, so Z stays in its column.
    row += outcome == Outcome::Other ? ";" : statusRowText(outcome);
    if (primalBound) row += formatReportNumber(*primalBound);
    row += ";";
    return row;
}

std::string reportText(const std::vector<std::string>& rows) {
    std::string text = msg::reportHeader;
    for (const std::string& row : rows) text += row + "\n";
    return text;
}

// ---- opt ----------------------------------------------------------------

void optimizeFolder() {
    std::cout << msg::lpFolderPrompt << std::flush;
    std::string lpFolder;
    if (!readLine(lpFolder)) return;
    if (!folderExists(lpFolder)) {
        std::cout << msg::lpFolderInvalid;
        return;
    }
    std::cout << msg::lpFolderFound;

    const std::string oldReport = lpFolder + "/sol_stat.csv";
    if (::unlink(oldReport.c_str()) == 0) {
        std::cout << msg::oldReportRemoved;
    } else if (errno != ENOENT) {
        printIoError(msg::oldReportNotRemoved, oldReport, errno);
    }

    removeStaleTempFiles(lpFolder);
    collectModels(lpFolder);

    std::cout << msg::outputFolderPrompt << std::flush;
    std::string outputFolder;
    if (!readLine(outputFolder)) return;
    if (!folderExists(outputFolder)) {
        std::cout << msg::outputFolderInvalid;
        return;
    }
    removeStaleTempFiles(outputFolder);
    for (size_t i = 0; i < modelPaths.size(); ++i) {
        std::cout << msg::dashLine << msg::modelHeader << i << msg::modelHeaderEnd;
        solveModel(modelPaths[i], outputFolder);
        writeReport(outputFolder);
    }
    resultRows.clear();
}

void collectModels(std::string lpFolder) {
    modelPaths = listFolder(lpFolder);
    const std::string initialFolder = initialSolutionFolderOfFolder(lpFolder);
    if (folderExists(initialFolder)) {
        std::cout << msg::initialSolFolderExists;
        listFolder(initialFolder);
    } else {
        std::cout << msg::initialSolFolderMissing;
    }
}

std::optional<std::string> reportInitialSolutionFolder(std::string modelPath) {
    const std::string folder = initialSolutionFolderOfModel(modelPath);
    if (folderExists(folder)) {
        std::cout << msg::initialSolFolderExists;
        listFolder(folder);
        return folder;
    }
    std::cout << msg::initialSolFolderMissing;
    return std::nullopt;
}

void solveModel(std::string modelPath, const std::string& outputFolder) {
    if (!endsWith(modelPath, "lp")) return;
    const std::string name = baseName(modelPath);

    // Folders, FIFOs, devices and broken links are never handed to the
    // solver: it would read a folder as an empty problem, and wait on a FIFO
    // for ever.
    if (!isRegularFile(modelPath)) {
        std::cerr << msg::notARegularFile << modelPath << "\n" << std::flush;
        reportInitialSolutionFolder(modelPath);
        recordReadError(name);
        writeSolution(nullptr, outputFolder, name);
        return;
    }

    ScipInstance instance;
    if (!SCIP_OK(SCIPcreate(&instance.scip))) {
        instance.scip = nullptr;
        return;
    }
    SCIP* scip = instance.scip;
    SCIP_OK(SCIPincludeDefaultPlugins(scip));
    SCIP_OK(SCIPcreateProbBasic(scip, "lp_example"));
    const bool read = SCIP_OK(SCIPreadProb(scip, modelPath.c_str(), nullptr));
    if (read && timeLimit != 0.0) {
        SCIP_OK(SCIPsetRealParam(scip, "limits/time", timeLimit));
    }
    // Silence SCIP from here on (solving log, warnings); only solution files
    // are still written through this handler.
    ScipMessageHandler fileOnly;
    if (SCIP_OK(SCIPcreateMessagehdlrDefault(&fileOnly.handler, 0, nullptr, 1))) {
        SCIP_OK(SCIPsetMessagehdlr(scip, fileOnly.handler));
    } else {
        SCIP_OK(SCIPsetMessagehdlr(scip, nullptr));
    }
    const std::optional<std::string> initialFolder = reportInitialSolutionFolder(modelPath);

    // A model that was not read is not solved: the instance would hold an
    // empty problem, whose "optimal" result means nothing.
    if (!read) {
        recordReadError(name);
        writeSolution(nullptr, outputFolder, name);
        return;
    }
    if (initialFolder) readInitialSolution(scip, *initialFolder, name);
    SCIP_OK(SCIPsolve(scip));
    recordResult(scip, modelPath);
    writeSolution(scip, outputFolder, name);
}

void recordResult(SCIP* scip, std::string modelPath) {
    const std::string name = splitPath(modelPath).back();
    std::cout << msg::nameLabel << name << "\n";
    // The result getters are only valid once the instance is past the
    // problem stage (the primal bound crashes before that).
    const bool solved = SCIPgetStage(scip) > SCIP_STAGE_PROBLEM;
    const SCIP_STATUS status = SCIPgetStatus(scip);
    const double seconds = solved ? SCIPgetSolvingTime(scip) : 0.0;
    std::cout << msg::timeLabel << seconds << "\n";

    Outcome outcome = Outcome::Other;
    const int major = SCIPmajorVersion();
    if (const std::optional<Outcome> known = outcomeFromScipStatus(major, status)) {
        outcome = *known;
    } else {
        std::fprintf(stderr, msg::unknownScipVersion, major);
    }
    std::cout << statusLine(outcome);

    std::optional<double> bound;
    if (solved) bound = SCIPgetPrimalbound(scip);
    resultRows.push_back(buildResultRow(name, seconds, outcome, bound));
}

bool writeReport(std::string outputFolder) {
    const std::string path = outputFolder + "/sol_stat.csv";
    if (const int error = replaceFile(outputFolder, path, reportText(resultRows))) {
        printIoError(msg::reportNotWritten, path, error);
        return false;
    }
    return true;
}

// ---- mod_lp -------------------------------------------------------------

void convertFolder() {
    std::cout << msg::modFolderPrompt << std::flush;
    std::string folder;
    if (!readLine(folder)) return;
    if (!folderExists(folder)) {
        std::cout << msg::modFolderInvalid;
        return;
    }
    std::cout << msg::modFolderFound;
    removeStaleTempFiles(folder);
    const std::vector<std::string> entries = listFolder(folder);
    for (size_t i = 0; i < entries.size(); ++i) {
        std::cout << msg::dashLine << msg::modelHeader << i << msg::generatedHeaderEnd << std::flush;
        convertModel(entries[i]);
    }
}

namespace {

// Says on standard error that an LP file beside a model that failed to
// translate is from an earlier translation, so it is not taken as current.
void warnIfOutdated(const std::string& lpPath) {
    if (isRegularFile(lpPath)) std::fprintf(stderr, msg::lpOutdated, lpPath.c_str());
}

// Has GLPK write the problem as an LP file through a temporary file in the
// LP file's folder, renamed over `lpPath` once whole, so that a translation
// killed halfway never leaves a truncated LP file. Returns true on success.
bool writeLpFile(glp_prob* prob, const std::string& lpPath) {
    // An existing LP path that is not a regular file (a folder, a FIFO) is
    // not replaced.
    struct stat info;
    if (::stat(lpPath.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return false;
    const size_t slash = lpPath.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : lpPath.substr(0, slash + 1);
    std::string temp;
    FileDescriptor out(createTempFile(folder, temp));
    if (out.fd < 0) return false;
    out.close();
    // GLPK names the file it writes on the terminal: show the LP path there,
    // not the temporary one.
    struct Names {
        const std::string& temp;
        const std::string& target;
    } names{temp, lpPath};
    glp_term_hook(
        [](void* info, const char* text) -> int {
            const Names& n = *static_cast<const Names*>(info);
            std::string line(text);
            const size_t at = line.find(n.temp);
            if (at != std::string::npos) line.replace(at, n.temp.size(), n.target);
            std::fputs(line.c_str(), stdout);
            std::fflush(stdout);
            return 1;
        },
        &names);
    const bool written = glp_write_lp(prob, nullptr, temp.c_str()) == 0;
    glp_term_hook(nullptr, nullptr);
    if (!written || std::rename(temp.c_str(), lpPath.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace

void convertModel(std::string modelPath) {
    if (!endsWith(modelPath, "mod")) return;
    const std::string base = modelPath.substr(0, modelPath.size() - 3);
    const std::string lpPath = base + "lp";
    const std::string dataPath = base + "dat";

    // Only regular files are handed to the library (a FIFO would block it).
    if (!isRegularFile(modelPath)) {
        std::fprintf(stderr, "%s", msg::modelReadError);
        warnIfOutdated(lpPath);
        return;
    }
    GlpkTranslation translation;
    // With a data file, the data file supplies the data and the model's own
    // data section is skipped; without one, the model's own data is used.
    int readResult;
    if (fileIsReadable(dataPath)) {
        readResult = glp_mpl_read_model(translation.tran, modelPath.c_str(), 1);
        if (readResult == 0) readResult = glp_mpl_read_data(translation.tran, dataPath.c_str());
    } else {
        readResult = glp_mpl_read_model(translation.tran, modelPath.c_str(), 0);
    }
    if (readResult != 0) {
        std::fprintf(stderr, "%s", msg::modelReadError);
        warnIfOutdated(lpPath);
        return;
    }
    if (glp_mpl_generate(translation.tran, nullptr) != 0) {
        std::fprintf(stderr, "%s", msg::modelGenerateError);
        warnIfOutdated(lpPath);
        return;
    }
    glp_mpl_build_prob(translation.tran, translation.prob);
    if (!writeLpFile(translation.prob, lpPath)) {
        std::fprintf(stderr, "%s", msg::lpWriteError);
        warnIfOutdated(lpPath);
    }
}
