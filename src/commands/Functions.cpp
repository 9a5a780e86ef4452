// The commands opt and mod_lp, and the solve of one model with SCIP.
#include "commands/Functions.h"

#include <cerrno>
#include <cstdio>
#include <iostream>

#include "batch/model_folder.h"
#include "batch/model_names.h"
#include "commands/parameter_check.h"
#include "commands/shards.h"
#include "engine/batch_runner.h"
#include "platform/console.h"
#include "platform/files.h"
#include "reports/batch_record.h"
#include "reports/report_rows.h"
#include "reports/reports.h"
#include "scip/model_log.h"
#include "scip/scip_api.h"
#include "scip/scip_handles.h"
#include "scip/scip_parameters.h"
#include "scip/scip_result.h"
#include "scip/solution_file.h"
#include "text/Messages.h"

namespace {

// SCIP's functions: only in worker processes, once solveModel has loaded the library.
const ScipApi& lib() { return scipLibrary(); }

// What every model gets before its file is read: the batch's parameters and
// its own, then the memory limit and Ctrl-C, which those cannot change.
SCIP_RETCODE setUp(SCIP* scip, const BatchSettings& settings, const std::string& modelPath, bool& settingsRefused) {
    LOTE_SCIP_CALL(lib().SCIPincludeDefaultPlugins(scip));
    const SCIP_RETCODE applied = applyModelParameters(scip, settings, modelPath);
    settingsRefused = applied != SCIP_OKAY;
    if (settingsRefused) return applied;
    // Only the program that started the batch answers Ctrl-C.
    LOTE_SCIP_CALL(lib().SCIPsetBoolParam(scip, "misc/catchctrlc", 0));
    if (settings.memoryLimitMb > 0.0) {
        LOTE_SCIP_CALL(lib().SCIPsetRealParam(scip, "limits/memory", settings.memoryLimitMb));
    }
    LOTE_SCIP_CALL(lib().SCIPcreateProbBasic(scip, "lp_example"));
    return SCIP_OKAY;
}

SCIP_RETCODE readModel(SCIP* scip, const std::string& modelPath) {
    LOTE_SCIP_CALL(lib().SCIPreadProb(scip, modelPath.c_str(), nullptr));
    return SCIP_OKAY;
}

SCIP_RETCODE applyTimeLimit(SCIP* scip, double timeLimit) {
    if (timeLimit != 0.0) LOTE_SCIP_CALL(lib().SCIPsetRealParam(scip, "limits/time", timeLimit));
    return SCIP_OKAY;
}

// A handler that shows nothing on the console but still writes what SCIP
// prints into an explicit file (the solution file), and into the model's
// log when it has one.
SCIP_RETCODE createFileOnlyHandler(ScipMessageHandler& fileOnly, const std::string& logPath) {
    LOTE_SCIP_CALL(lib().SCIPcreateMessagehdlrDefault(&fileOnly.handler, 0, logPath.empty() ? nullptr : logPath.c_str(), 1));
    return SCIP_OKAY;
}

// Silences SCIP from here on: only solution files and the log are written, through a file-only
// handler (or nothing). SCIP's first handler lives on in `original` while SCIP's VBC output may
// use it; its log is closed first, so the lines of the read stay at the log's start.
SCIP_RETCODE silence(SCIP* scip, ScipMessageHandler& original, ScipMessageHandler& fileOnly, const std::string& logPath) {
    original.handler = lib().SCIPgetMessagehdlr(scip);
    if (original.handler != nullptr) lib().SCIPmessagehdlrCapture(original.handler);
    if (!logPath.empty()) lib().SCIPsetMessagehdlrLogfile(scip, nullptr);
    if (createFileOnlyHandler(fileOnly, logPath) != SCIP_OKAY) fileOnly.handler = nullptr;
    LOTE_SCIP_CALL(lib().SCIPsetMessagehdlr(scip, fileOnly.handler));
    return SCIP_OKAY;
}

SCIP_RETCODE readSolution(SCIP* scip, const std::string& path) {
    LOTE_SCIP_CALL(lib().SCIPreadSol(scip, path.c_str()));
    return SCIP_OKAY;
}

// SCIP's statistics close the model's log; the console does not show them.
SCIP_RETCODE solve(SCIP* scip, const ModelLog& log) {
    LOTE_SCIP_CALL(lib().SCIPsolve(scip));
    if (!log.tempPath.empty()) {
        LOTE_SCIP_CALL(lib().SCIPprintStatistics(scip, nullptr));
        lib().SCIPsetMessagehdlrLogfile(scip, nullptr);  // the solution file is not part of it
    }
    return SCIP_OKAY;
}

// The layout of SCIP's own "write solution": status, objective, values.
SCIP_RETCODE printSolution(SCIP* scip, FILE* file) {
    std::fputs("solution status: ", file);
    LOTE_SCIP_CALL(lib().SCIPprintStatus(scip, file));
    std::fputs("\n", file);
    LOTE_SCIP_CALL(lib().SCIPprintBestSol(scip, file, 0));
    return SCIP_OKAY;
}

// The result of a model that was not read, or not solved: its outcome lines,
// no values, no solution file.
ModelResult unsolved(const std::string& name, Outcome outcome, const std::string& outputFolder) {
    ModelResult result;
    result.name = name;
    result.outcome = outcome;
    std::cout << outcomeLines(name, 0.0, outcome);
    result.solutionFile = removeSolutionFile(outputFolder, name);
    return result;
}

}  // namespace

std::optional<ModelResult> solveModel(std::string modelPath, const std::string& outputFolder,
                                      const BatchSettings& settings, const std::function<void()>& solveStarting) {
    if (!modelFormat(baseName(modelPath), settings.formats)) return std::nullopt;
    const std::string name = baseName(modelPath);
    const std::optional<FileStamp> stamp = fileStamp(modelPath);

    // Folders, FIFOs, devices and broken links are never handed to the solver: it would
    // read a folder as an empty problem, and wait on a FIFO for ever.
    if (!isRegularFile(modelPath)) {
        std::cerr << msg::notARegularFile << modelPath << "\n" << std::flush;
        reportInitialSolutionFolder(modelPath);
        return unsolved(name, Outcome::ReadError, outputFolder);
    }
    if (const std::string loadError = loadScipLibrary(); !loadError.empty()) {
        std::cerr << msg::scipNotLoaded << loadError << "\n" << std::flush;
        reportInitialSolutionFolder(modelPath);
        return unsolved(name, Outcome::SolveError, outputFolder);
    }
    // Each step ends at its first failed call; the first failure of all is
    // kept, and makes the model a solve error (a read error when it is the
    // read that failed).
    int firstFailure = SCIP_OKAY;
    const auto note = [&firstFailure](SCIP_RETCODE code) {
        if (firstFailure == SCIP_OKAY) firstFailure = code;
        return code == SCIP_OKAY;
    };
    // Declared first: released once SCIP has let them go.
    ModelLog log(settings.keepLogs, outputFolder, name);
    ScipMessageHandler original;
    ScipInstance instance;
    if (!note(instance.create())) {
        instance.scip = nullptr;
        reportInitialSolutionFolder(modelPath);
        return unsolved(name, Outcome::SolveError, outputFolder);
    }
    SCIP* scip = instance.scip;
    if (!log.tempPath.empty()) lib().SCIPsetMessagehdlrLogfile(scip, log.tempPath.c_str());
    bool settingsRefused = false;
    const bool setUpDone = note(setUp(scip, settings, modelPath, settingsRefused));
    const bool read = setUpDone && note(readModel(scip, modelPath));
    if (read) note(applyTimeLimit(scip, settings.timeLimit));
    ScipMessageHandler fileOnly;
    note(silence(scip, original, fileOnly, log.tempPath));
    const std::optional<std::string> initialFolder = reportInitialSolutionFolder(modelPath);

    // A model that was not read is not solved: the instance would hold an
    // empty problem, whose "optimal" result means nothing. A settings file
    // of its own that SCIP refused is a read error too.
    const Outcome failure = (setUpDone || settingsRefused) && !read ? Outcome::ReadError : Outcome::SolveError;
    if (firstFailure != SCIP_OKAY) return unsolved(name, failure, outputFolder);
    // A start solution from the initial-solution folder, if it holds one for
    // this model; one that SCIP refuses is only noted.
    InitialSolution initialSolution = InitialSolution::None;
    const std::string initialPath = initialFolder ? joinPath(*initialFolder, solutionFileName(name)) : "";
    if (initialFolder && isRegularFile(initialPath)) {
        initialSolution = InitialSolution::Rejected;
        if (readSolution(scip, initialPath) == SCIP_OKAY) {
            std::cout << msg::initialSolRead << initialPath << "\n";
            if (lib().SCIPgetNSols(scip) > 0) initialSolution = InitialSolution::Stored;
        }
    }
    if (solveStarting) solveStarting();
    note(solve(scip, log));
    // The solution is printed before the outcome is shown: a failure to print
    // it fails the solve.
    std::optional<std::string> solution;
    const bool hasSolution = firstFailure == SCIP_OKAY && lib().SCIPgetStage(scip) > SCIP_STAGE_PROBLEM &&
                             lib().SCIPgetNSols(scip) > 0;
    if (hasSolution) {
        MemoryStream buffer;
        if (buffer.file == nullptr) printIoError(msg::solutionNotWritten, solutionFileName(name), errno);
        if (buffer.file != nullptr && note(printSolution(scip, buffer.file))) solution = buffer.text();
    }
    if (firstFailure != SCIP_OKAY) return unsolved(name, Outcome::SolveError, outputFolder);
    ModelResult result = recordResult(scip, modelPath, initialSolution);
    result.stamp = stamp;
    result.solutionFile = solution ? writeSolutionFile(outputFolder, name, *solution) : removeSolutionFile(outputFolder, name);
    // A solution that could not be put in memory is not written.
    if (hasSolution && !solution) result.solutionFile = SolutionFile::WriteFailed;
    result.logLost = !log.finish();  // SCIP closed it after its statistics
    return result;
}

OptResult optimizeFolder(const BatchSettings& settings) {
    std::cout << msg::lpFolderPrompt << std::flush;
    OptRequest request;
    if (!readLine(request.lpFolder)) return {};
    request.settings = settings;
    return runOpt(request);
}

OptResult runOpt(const OptRequest& request) {
    const bool atPrompt = request.caller == Caller::Shell;
    // In the shell a folder that is not there is said with the prompts; on
    // the command line it is an error, with the usage.
    const auto invalid = [atPrompt](const char* message) {
        (atPrompt ? std::cout : std::cerr) << message << (atPrompt ? "" : msg::usage) << std::flush;
        return OptResult{};
    };
    OptResult result;
    if (!folderExists(request.lpFolder)) return invalid(msg::lpFolderInvalid);
    // SCIP's parameters are checked, in a child process, before anything is
    // touched. Without SCIP the batch goes on when none were asked for: each
    // model then says that SCIP could not be loaded.
    const ParameterCheck check = checkBatchParameters(request.scip, request.settings.timeLimit);
    const bool parametersAsked =
        !request.scip.parameterFile.empty() || !request.scip.parameters.empty() || request.scip.seed;
    if (check.state == ParameterCheck::Refused || (check.state == ParameterCheck::ScipMissing && parametersAsked)) {
        std::cerr << check.message << std::flush;
        return result;
    }
    BatchSettings settings = request.settings;
    settings.scipParameters = check.changed;
    std::string outputFolder = request.outputFolder;
    if (!atPrompt) {
        if (const int error = prepareOutputFolder(outputFolder)) {
            printIoError(msg::outputFolderNotWritable, outputFolder, error);
            return invalid("");
        }
        if (request.shard && sameFolder(request.lpFolder, outputFolder)) {
            std::fprintf(stderr, msg::shardIntoModelFolder, outputFolder.c_str());
            return invalid("");
        }
    }
    // Rows kept from an earlier run are read before the model folder's old
    // report is removed (the two folders may be one).
    BatchPlan plan;
    plan.shard = request.shard;
    if (request.resume == Resume::KeepRows) plan.keptRows = readKeptRows(outputFolder, request.shard);
    // Every part lists the folder as the whole batch would after removing
    // an old report; only the first removes it.
    // A batch resumed into its own model folder leaves its report in place
    // until the first rewrite replaces it: removed earlier, a kill in between
    // would lose its rows.
    const bool resumedInPlace = request.resume == Resume::KeepRows && sameFolder(request.lpFolder, outputFolder);
    const OldReport oldReport = resumedInPlace || (request.shard && request.shard->index > 1) ? OldReport::LeaveOut
                                : request.shard                                           ? OldReport::RemoveAndLeaveOut
                                                                                          : OldReport::Remove;
    // The command line never solves part of a folder it could not list
    // whole; the shell solves the entries it found.
    const FolderListing listing = collectModels(request.lpFolder, oldReport,
                                                atPrompt ? IncompleteListing::Accept : IncompleteListing::Refuse);
    if (!listing.whole && !atPrompt) return result;
    plan.modelPaths = listing.paths;
    if (atPrompt) {
        std::cout << msg::outputFolderPrompt << std::flush;
        if (!readLine(outputFolder)) return result;
        if (!folderExists(outputFolder)) return invalid(msg::outputFolderInvalid);
    }
    removeStaleTempFiles(outputFolder);
    // A batch started afresh owes nothing to the journal of an earlier one.
    if (request.resume == Resume::No) removeIfPresent(joinPath(outputFolder, journalName(request.shard)));
    if (request.shard) {
        plan.solve = shardEntries(plan.modelPaths.size(), *request.shard);
        writePartRecord(outputFolder, *request.shard, plan.modelPaths, std::nullopt);
    }
    plan.record = describeBatch(settings, request.scip.seed, request.commandLine, check.scipVersion, check.changed,
                                plan.modelPaths);
    const BatchResult batch = runBatch(plan, outputFolder, settings, solveModel);
    result.interruptedBy = batch.interruptedBy;
    result.exitStatus = batch.anyError || batch.wrong > 0 ? 1 : 0;
    // The record says the part finished only when every entry of it did.
    if (request.shard && !writePartRecord(outputFolder, *request.shard, plan.modelPaths, batch)) result.exitStatus = 1;
    return result;
}

TranslationResult convertFolder(const BatchSettings& settings) {
    std::cout << msg::modFolderPrompt << std::flush;
    std::string folder;
    if (!readLine(folder)) return {};
    return convertFolderAt(folder, settings, IncompleteListing::Accept).value_or(TranslationResult{});
}

std::optional<TranslationResult> convertFolderAt(const std::string& folder, const BatchSettings& settings,
                                                 IncompleteListing incomplete) {
    if (!folderExists(folder)) {
        std::cout << msg::modFolderInvalid;
        return std::nullopt;
    }
    std::cout << msg::modFolderFound;
    removeStaleTempFiles(folder);
    const FolderListing listing = readFolder(folder);
    if (!listing.whole && incomplete == IncompleteListing::Refuse) return TranslationResult{0, 0, false};
    TranslationResult result = translateEntries(folder, listing.paths, settings);
    result.listedWhole = listing.whole;
    return result;
}
