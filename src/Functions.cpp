// The commands opt and mod_lp, and the solve of one model with SCIP.
#include "Functions.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include <unistd.h>

#include "Messages.h"
#include "console.h"
#include "files.h"
#include "pool.h"
#include "report.h"
#include "scip_api.h"
#include "translator.h"

namespace {

// SCIP's functions. Models are solved only in worker processes, after
// solveModel has loaded the library.
const ScipApi& lib() {
    std::string unused;
    return *loadScipLibrary(unused);
}

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
    lib().SCIPmessagePrintErrorHeader(kSourceFile, line);
    lib().SCIPmessagePrintError(msg::scipErrorFormat, code);
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
        if (scip != nullptr) SCIP_OK(lib().SCIPfree(&scip));
    }
};

// A SCIP message handler, released when it goes out of scope.
struct ScipMessageHandler {
    SCIP_MESSAGEHDLR* handler = nullptr;
    ScipMessageHandler() = default;
    ScipMessageHandler(const ScipMessageHandler&) = delete;
    ScipMessageHandler& operator=(const ScipMessageHandler&) = delete;
    ~ScipMessageHandler() {
        if (handler != nullptr) SCIP_OK(lib().SCIPmessagehdlrRelease(&handler));
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

// Console and report output of a model that could not be read.
void recordReadError(const std::string& name, std::vector<std::string>& resultRows) {
    std::cout << outcomeLines(name, 0.0, Outcome::ReadError);
    resultRows.push_back(buildResultRow(name, 0.0, Outcome::ReadError, std::nullopt));
    resultRows.push_back(incompleteRow(name, 0.0, Outcome::ReadError));
}

// Reads the model's start solution from the initial-solution folder, if it
// holds one. Says whether SCIP kept it (SIM), refused it (REJEITADA) or
// there was none (NAO).
std::string readInitialSolution(SCIP* scip, const std::string& folder, const std::string& name) {
    const std::string path = joinPath(folder, solutionFileName(name));
    if (!isRegularFile(path)) return msg::initialSolNone;
    if (!SCIP_OK(lib().SCIPreadSol(scip, path.c_str()))) return msg::initialSolRejected;
    std::cout << msg::initialSolRead << path << "\n";
    return lib().SCIPgetNSols(scip) > 0 ? msg::initialSolStored : msg::initialSolRejected;
}

// Writes the best solution of a solved instance to `outputFolder`/<name>.sol
// in SCIP's solution format; without a solution, removes an older file of
// that name so that the folder never contradicts the report.
void writeSolution(SCIP* scip, const std::string& outputFolder, const std::string& name) {
    const std::string path = joinPath(outputFolder, solutionFileName(name));
    const bool hasSolution =
        scip != nullptr && lib().SCIPgetStage(scip) > SCIP_STAGE_PROBLEM && lib().SCIPgetNSols(scip) > 0;
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
    if (!SCIP_OK(lib().SCIPprintStatus(scip, buffer.file))) return;
    std::fputs("\n", buffer.file);
    if (!SCIP_OK(lib().SCIPprintBestSol(scip, buffer.file, 0))) return;
    if (const int error = replaceFile(outputFolder, path, buffer.text())) {
        printIoError(msg::solutionNotWritten, path, error);
    }
}

}  // namespace

BatchResult optimizeFolder(const BatchSettings& settings) {
    std::cout << msg::lpFolderPrompt << std::flush;
    std::string lpFolder;
    if (!readLine(lpFolder)) return {};
    const std::optional<std::vector<std::string>> modelPaths = openModelFolder(lpFolder);
    if (!modelPaths) return {};
    std::cout << msg::outputFolderPrompt << std::flush;
    std::string outputFolder;
    if (!readLine(outputFolder)) return {};
    if (!folderExists(outputFolder)) {
        std::cout << msg::outputFolderInvalid;
        return {};
    }
    removeStaleTempFiles(outputFolder);
    BatchPlan plan;
    plan.modelPaths = *modelPaths;
    return runBatch(plan, outputFolder, settings);
}

std::optional<std::vector<std::string>> openModelFolder(const std::string& lpFolder, bool removeOldReport,
                                                        bool leaveOutReport) {
    if (!folderExists(lpFolder)) {
        std::cout << msg::lpFolderInvalid;
        return std::nullopt;
    }
    std::cout << msg::lpFolderFound;
    const std::string oldReport = lpFolder + "/sol_stat.csv";
    if (removeOldReport) {
        if (::unlink(oldReport.c_str()) == 0) {
            std::cout << msg::oldReportRemoved;
        } else if (errno != ENOENT) {
            printIoError(msg::oldReportNotRemoved, oldReport, errno);
        }
    }
    removeStaleTempFiles(lpFolder);
    std::vector<std::string> modelPaths = collectModels(lpFolder);
    if (leaveOutReport) {
        modelPaths.erase(std::remove_if(modelPaths.begin(), modelPaths.end(),
                                        [](const std::string& path) { return baseName(path) == "sol_stat.csv"; }),
                         modelPaths.end());
    }
    return modelPaths;
}

std::vector<std::string> collectModels(std::string lpFolder) {
    std::vector<std::string> modelPaths = listFolder(lpFolder);
    const std::string initialFolder = initialSolutionFolderOfFolder(lpFolder);
    if (folderExists(initialFolder)) {
        std::cout << msg::initialSolFolderExists;
        listFolder(initialFolder);
    } else {
        std::cout << msg::initialSolFolderMissing;
    }
    return modelPaths;
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

void solveModel(std::string modelPath, const std::string& outputFolder, const BatchSettings& settings,
                std::vector<std::string>& resultRows, const std::function<void()>& solveStarting) {
    if (!endsWith(modelPath, "lp")) return;
    const std::string name = baseName(modelPath);

    // Folders, FIFOs, devices and broken links are never handed to the
    // solver: it would read a folder as an empty problem, and wait on a FIFO
    // for ever.
    if (!isRegularFile(modelPath)) {
        std::cerr << msg::notARegularFile << modelPath << "\n" << std::flush;
        reportInitialSolutionFolder(modelPath);
        recordReadError(name, resultRows);
        writeSolution(nullptr, outputFolder, name);
        return;
    }

    std::string loadError;
    if (loadScipLibrary(loadError) == nullptr) {
        std::cerr << msg::scipNotLoaded << loadError << "\n" << std::flush;
        reportInitialSolutionFolder(modelPath);
        std::cout << outcomeLines(name, 0.0, Outcome::SolveError);
        resultRows.push_back(buildResultRow(name, 0.0, Outcome::SolveError, std::nullopt));
        resultRows.push_back(incompleteRow(name, 0.0, Outcome::SolveError));
        return;
    }
    ScipInstance instance;
    if (!SCIP_OK(lib().SCIPcreate(&instance.scip))) {
        instance.scip = nullptr;
        return;
    }
    SCIP* scip = instance.scip;
    // Only the program that started the batch answers Ctrl-C.
    SCIP_OK(lib().SCIPsetBoolParam(scip, "misc/catchctrlc", 0));
    if (settings.memoryLimitMb > 0.0) SCIP_OK(lib().SCIPsetRealParam(scip, "limits/memory", settings.memoryLimitMb));
    SCIP_OK(lib().SCIPincludeDefaultPlugins(scip));
    SCIP_OK(lib().SCIPcreateProbBasic(scip, "lp_example"));
    const bool read = SCIP_OK(lib().SCIPreadProb(scip, modelPath.c_str(), nullptr));
    if (read && settings.timeLimit != 0.0) {
        SCIP_OK(lib().SCIPsetRealParam(scip, "limits/time", settings.timeLimit));
    }
    // Silence SCIP from here on (solving log, warnings); only solution files
    // are still written through this handler.
    ScipMessageHandler fileOnly;
    if (SCIP_OK(lib().SCIPcreateMessagehdlrDefault(&fileOnly.handler, 0, nullptr, 1))) {
        SCIP_OK(lib().SCIPsetMessagehdlr(scip, fileOnly.handler));
    } else {
        SCIP_OK(lib().SCIPsetMessagehdlr(scip, nullptr));
    }
    const std::optional<std::string> initialFolder = reportInitialSolutionFolder(modelPath);

    // A model that was not read is not solved: the instance would hold an
    // empty problem, whose "optimal" result means nothing.
    if (!read) {
        recordReadError(name, resultRows);
        writeSolution(nullptr, outputFolder, name);
        return;
    }
    const std::string initialSolution =
        initialFolder ? readInitialSolution(scip, *initialFolder, name) : std::string(msg::initialSolNone);
    if (solveStarting) solveStarting();
    SCIP_OK(lib().SCIPsolve(scip));
    recordResult(scip, modelPath, resultRows, settings, initialSolution);
    writeSolution(scip, outputFolder, name);
}

void recordResult(SCIP* scip, std::string modelPath, std::vector<std::string>& resultRows,
                  const BatchSettings& settings, const std::string& initialSolution) {
    const std::string name = splitPath(modelPath).back();
    std::cout << msg::nameLabel << name << "\n";
    // The result getters are only valid once the instance is past the
    // problem stage (the primal bound crashes before that).
    const bool solved = lib().SCIPgetStage(scip) > SCIP_STAGE_PROBLEM;
    const SCIP_STATUS status = lib().SCIPgetStatus(scip);
    const double seconds = solved ? lib().SCIPgetSolvingTime(scip) : 0.0;
    std::cout << msg::timeLabel << seconds << "\n";

    Outcome outcome = Outcome::Other;
    const int major = lib().SCIPmajorVersion();
    if (const std::optional<Outcome> known = outcomeFromScipStatus(major, status)) {
        outcome = *known;
    } else {
        std::fprintf(stderr, msg::unknownScipVersion, major);
    }
    std::cout << statusLine(outcome);

    std::optional<double> bound;
    if (solved) bound = lib().SCIPgetPrimalbound(scip);
    resultRows.push_back(buildResultRow(name, seconds, outcome, bound));

    SolveFacts facts;
    facts.name = name;
    facts.seconds = seconds;
    facts.status = completeStatusText(major, status);
    facts.initialSolution = initialSolution;
    facts.variables = lib().SCIPgetNOrigVars(scip);
    facts.integers = lib().SCIPgetNOrigIntVars(scip) + lib().SCIPgetNOrigBinVars(scip);
    facts.constraints = lib().SCIPgetNOrigConss(scip);
    if (solved) {
        facts.primalBound = finiteValue(*bound);
        facts.dualBound = finiteValue(lib().SCIPgetDualbound(scip));
        // The gap means something only between a solution and a finite dual bound.
        const std::optional<double> gap = finiteValue(lib().SCIPgetGap(scip));
        if (gap && facts.primalBound && facts.dualBound) facts.gapPercent = 100.0 * *gap;
        facts.nodes = lib().SCIPgetNTotalNodes(scip);
        facts.lpIterations = lib().SCIPgetNLPIterations(scip);
        facts.solutions = lib().SCIPgetNSolsFound(scip);
    }
    if (settings.knownResults) {
        const std::string key = endsWith(name, ".lp") ? name.substr(0, name.size() - 3) : name;
        const auto found = settings.knownResults->find(key);
        const std::optional<Reference> reference =
            found != settings.knownResults->end() ? std::optional<Reference>(found->second) : std::nullopt;
        const std::optional<double> z = lib().SCIPgetNSols(scip) > 0 ? facts.primalBound : std::nullopt;
        facts.check = checkAnswer(reference, outcome, z, lib().SCIPgetObjsense(scip) == SCIP_OBJSENSE_MINIMIZE);
    }
    resultRows.push_back(buildCompleteRow(facts));
}

void convertFolder() {
    std::cout << msg::modFolderPrompt << std::flush;
    std::string folder;
    if (!readLine(folder)) return;
    convertFolderAt(folder);
}

std::optional<size_t> convertFolderAt(const std::string& folder) {
    if (!folderExists(folder)) {
        std::cout << msg::modFolderInvalid;
        return std::nullopt;
    }
    std::cout << msg::modFolderFound;
    removeStaleTempFiles(folder);
    const std::vector<std::string> entries = listFolder(folder);
    size_t failures = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        std::cout << msg::dashLine << msg::modelHeader << i << msg::generatedHeaderEnd << std::flush;
        if (!convertModel(entries[i])) ++failures;
    }
    return failures;
}

BatchResult optimizeFolders(const std::string& lpFolder, const std::string& outputFolder,
                            const BatchSettings& settings, bool resume, const std::optional<Shard>& shard,
                            int& status) {
    status = 2;
    if (!folderExists(lpFolder)) {
        std::cerr << msg::lpFolderInvalid << msg::usage << std::flush;
        return {};
    }
    if (const int error = prepareOutputFolder(outputFolder)) {
        printIoError(msg::outputFolderNotWritable, outputFolder, error);
        std::cerr << msg::usage << std::flush;
        return {};
    }
    if (shard && sameFolder(lpFolder, outputFolder)) {
        std::fprintf(stderr, msg::shardIntoModelFolder, outputFolder.c_str());
        std::cerr << msg::usage << std::flush;
        return {};
    }
    // Rows kept from an earlier run are read before the model folder's old
    // report is removed (the two folders may be one).
    BatchPlan plan;
    if (resume) plan.keptRows = readKeptRows(outputFolder);
    // Every shard lists the folder as the whole batch would after removing
    // an old report; only the first removes it.
    const std::optional<std::vector<std::string>> modelPaths =
        openModelFolder(lpFolder, !shard || shard->index == 1, shard.has_value());
    if (!modelPaths) return {};
    plan.modelPaths = *modelPaths;
    removeStaleTempFiles(outputFolder);
    if (shard) {
        plan.solve = shardEntries(plan.modelPaths.size(), *shard);
        for (std::string& name : plan.reportNames) name = partName(name, *shard);
        writePartRecord(outputFolder, *shard, plan.modelPaths, {}, false);
    }
    const BatchResult result = runBatch(plan, outputFolder, settings);
    status = result.anyError || result.wrong > 0 ? 1 : 0;
    // The record says the part finished only when every entry of it did.
    if (shard && result.interruptedBy == 0 && result.finished == result.entries &&
        !writePartRecord(outputFolder, *shard, plan.modelPaths, result.rowPositions, true)) {
        status = 1;
    }
    return result;
}
