// The solve of one model with SCIP, and the job each kind of worker runs.
#include "commands/Functions.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>

#include "batch/model_folder.h"
#include "batch/model_names.h"
#include "commands/mod_lp.h"
#include "commands/parameter_check.h"
#include "engine/solve_job.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/system.h"
#include "process/codec.h"
#include "reports/report_rows.h"
#include "scip/model_log.h"
#include "scip/scip_api.h"
#include "scip/scip_handles.h"
#include "scip/scip_parameters.h"
#include "scip/scip_result.h"
#include "scip/scip_status.h"
#include "scip/solution_clock.h"
#include "scip/solution_check.h"
#include "scip/solution_file.h"
#include "scip/start_solution.h"
#include "text/messages.h"

namespace {

// What every model gets before its file is read: the batch's parameters and
// its own, then the memory limit and Ctrl-C, which those cannot change.
SCIP_RETCODE setUp(SCIP* scip, const BatchSettings& settings, const std::string& modelPath, SolutionClock& clock,
                   bool& settingsRefused) {
    LOTE_SCIP_CALL(lib().SCIPincludeDefaultPlugins(scip));
    LOTE_SCIP_CALL(includeSolutionClock(scip, clock));
    const SCIP_RETCODE applied = applyModelParameters(scip, settings, modelPath, printErrors);
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
// prints into the file it is given by name: the model's log when it has one,
// then the solution's text (scip/solution_file.cpp).
SCIP_RETCODE createFileOnlyHandler(ScipMessageHandler& fileOnly, const std::string& logPath) {
    LOTE_SCIP_CALL(
        lib().SCIPcreateMessagehdlrDefault(&fileOnly.handler, 0, logPath.empty() ? nullptr : logPath.c_str(), 1));
    return SCIP_OKAY;
}

// Silences SCIP from here on: only solution files and the log are written, through a file-only
// handler (or nothing). SCIP's first handler lives on in `original` while SCIP's VBC output may
// use it; its log is closed first, so the lines of the read stay at the log's start.
SCIP_RETCODE silence(SCIP* scip, ScipMessageHandler& original, ScipMessageHandler& fileOnly,
                     const std::string& logPath) {
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

// The result of a model that was not read, or not solved: its outcome lines,
// no values, no solution file.
ModelResult unsolved(const std::string& name, Outcome outcome, const std::string& outputFolder) {
    ModelResult result;
    result.name = name;
    result.outcome = outcome;
    std::cout << outcomeLines(name, 0.0, outcome);
    std::string err;
    result.solutionFile = removeSolutionFile(outputFolder, name, &err);
    printErrors(err);
    return result;
}

// The first failed SCIP call of a model (each step ends at its first): it makes
// the model a solve error, or a read error when it is the read that failed.
struct FirstFailure {
    SCIP_RETCODE code = SCIP_OKAY;
    bool note(SCIP_RETCODE result) {
        if (code == SCIP_OKAY) code = result;
        return result == SCIP_OKAY;
    }
};

// A model never handed to SCIP: folders, FIFOs, devices and broken links
// (SCIP would read a folder as an empty problem, and wait on a FIFO for
// ever), or every model when SCIP's library cannot be loaded.
std::optional<ModelResult> refusedBeforeScip(const std::string& modelPath, const std::string& name,
                                             const std::string& outputFolder) {
    if (!isRegularFile(modelPath)) {
        std::cerr << msg::notARegularFile << modelPath << "\n" << std::flush;
        reportInitialSolutionFolder(modelPath);
        return unsolved(name, Outcome::ReadError, outputFolder);
    }
    if (std::string loadError; !loadScipLibrary(&loadError)) {
        std::cerr << msg::scipNotLoaded << loadError << "\n" << std::flush;
        reportInitialSolutionFolder(modelPath);
        return unsolved(name, Outcome::SolveError, outputFolder);
    }
    return std::nullopt;
}

// Sets SCIP up for the model, reads it and applies the time limit, each step
// once the one before it went well, then silences SCIP. Returns what a
// failure noted here makes of the model: a model that was not read is not
// solved (the instance would hold an empty problem, whose "optimal" result
// means nothing), and a settings file of its own that SCIP refused is a read
// error too.
Outcome readIntoScip(SCIP* scip, const BatchSettings& settings, const std::string& modelPath, const ModelLog& log,
                     SolutionClock& clock, ScipMessageHandler& original, ScipMessageHandler& fileOnly,
                     FirstFailure& failure) {
    if (!log.tempPath.empty()) lib().SCIPsetMessagehdlrLogfile(scip, log.tempPath.c_str());
    bool settingsRefused = false;
    const bool setUpDone = failure.note(setUp(scip, settings, modelPath, clock, settingsRefused));
    const bool read = setUpDone && failure.note(readModel(scip, modelPath));
    if (read) failure.note(applyTimeLimit(scip, solveTimeLimit(settings)));
    failure.note(silence(scip, original, fileOnly, log.tempPath));
    return (setUpDone || settingsRefused) && !read ? Outcome::ReadError : Outcome::SolveError;
}

// A start solution from the initial-solution folder, if it holds one for
// this model: stored when SCIP keeps it after its check (the model is then
// transformed), and what SCIP made of it said on standard error; a file that
// SCIP cannot read is only noted.
InitialSolution readInitialSolution(SCIP* scip, const std::optional<std::string>& initialFolder,
                                    const std::string& name, FirstFailure& failure) {
    if (!initialFolder) return InitialSolution::None;
    const std::string path = joinPath(*initialFolder, solutionFileName(name));
    if (!isRegularFile(path)) return InitialSolution::None;
    if (readSolution(scip, path) != SCIP_OKAY) return InitialSolution::Rejected;
    std::cout << msg::initialSolRead << path << "\n" << std::flush;
    StartSolutionVerdict verdict;
    if (!failure.note(judgeStartSolution(scip, path, verdict))) return InitialSolution::Rejected;
    std::cerr << startSolutionLines(verdict, path) << std::flush;
    return verdict.kept ? InitialSolution::Stored : InitialSolution::Rejected;
}

// The model solved, its solution written; SCIP's instance freed on return.
std::optional<ModelResult> solveWithScip(const std::string& modelPath, const std::string& outputFolder,
                                         const BatchSettings& settings,
                                         const std::function<void(const std::string&)>& solveStarting,
                                         std::string& logFailures) {
    if (!modelFormat(baseName(modelPath), settings.formats)) return std::nullopt;
    const std::string name = baseName(modelPath);
    const std::optional<FileStamp> stamp = fileStamp(modelPath);
    if (std::optional<ModelResult> refused = refusedBeforeScip(modelPath, name, outputFolder)) return refused;
    FirstFailure failure;
    // Declared first: released once SCIP has let them go.
    ModelLog log(settings.keepLogs, outputFolder, name, &logFailures);
    printErrors(logFailures);
    logFailures.clear();
    ScipMessageHandler original;
    SolutionClock clock;
    ScipInstance instance;
    if (!failure.note(instance.create())) {
        instance.scip = nullptr;
        reportInitialSolutionFolder(modelPath);
        return unsolved(name, Outcome::SolveError, outputFolder);
    }
    SCIP* scip = instance.scip;
    ScipMessageHandler fileOnly;
    const Outcome failedAs = readIntoScip(scip, settings, modelPath, log, clock, original, fileOnly, failure);
    const std::optional<std::string> initialFolder = reportInitialSolutionFolder(modelPath);
    if (failure.code != SCIP_OKAY) return unsolved(name, failedAs, outputFolder);
    const InitialSolution initialSolution = readInitialSolution(scip, initialFolder, name, failure);
    if (failure.code != SCIP_OKAY) return unsolved(name, Outcome::SolveError, outputFolder);
    if (solveStarting) solveStarting("");
    failure.note(solve(scip, log));
    const bool hasSolution =
        failure.code == SCIP_OKAY && lib().SCIPgetStage(scip) > SCIP_STAGE_PROBLEM && lib().SCIPgetNSols(scip) > 0;
    SCIP_RETCODE printed = SCIP_OKAY;
    std::string err;
    const std::optional<std::string> solution = hasSolution ? solutionText(scip, name, printed, &err) : std::nullopt;
    printErrors(err);
    err.clear();
    failure.note(printed);
    if (failure.code != SCIP_OKAY) return unsolved(name, Outcome::SolveError, outputFolder);
    ModelResult result = readScipResult(scip, modelPath, initialSolution);
    readSolutionTimes(scip, clock, result);
    std::cout << outcomeLines(result.name, result.seconds, result.outcome);
    const int major = result.scipMajorVersion;
    if (!outcomeFromScipStatus(major, result.scipStatus)) std::fprintf(stderr, msg::unknownScipVersion, major);
    result.stamp = stamp;
    result.seed = settings.seed;
    result.solutionFile = solution ? writeSolutionFile(outputFolder, name, *solution, &err)
                                   : removeSolutionFile(outputFolder, name, &err);
    // A solution that could not be put in memory is not written.
    if (hasSolution && !solution) result.solutionFile = SolutionFile::WriteFailed;
    result.logLost = !log.finish();  // SCIP closed it after its statistics
    printErrors(err + logFailures);
    logFailures.clear();
    return result;
}

}  // namespace

std::optional<ModelResult> solveModel(std::string modelPath, const std::string& outputFolder,
                                      const BatchSettings& settings,
                                      const std::function<void(const std::string&)>& solveStarting) {
    // What kept SCIP's log from its name, when it was named as the solve's instance was freed.
    std::string logFailures;
    std::optional<ModelResult> result = solveWithScip(modelPath, outputFolder, settings, solveStarting, logFailures);
    printErrors(logFailures);
    // The solution as written, checked once the solve's instance is gone, under an allowance of its own.
    if (result && result->solutionFile == SolutionFile::Written) {
        // The result as it stands goes first, so that a check that cannot finish costs no solved model.
        result->verified = Verification::NotChecked;
        if (solveStarting) solveStarting(encodeValue(*result));
        // A test's stand-ins for a check that cannot finish: the worker ends here, or waits for ever.
        const std::string checkSeam = environmentValue("LOTE_TESTE_VERIFICACAO");
        if (checkSeam == "morre") endAtOnce();
        while (checkSeam == "espera") std::this_thread::sleep_for(std::chrono::hours(1));
        const std::string solution = joinPath(outputFolder, solutionFileName(result->name));
        const SolutionCheck check = checkSolutionFile(modelPath, solution, settings, printErrors);
        std::cerr << checkMessage(check, modelPath, solution);
        result->verified = check.verified;
    }
    return result;
}

std::optional<JobFunction> workerJob(const std::string& name) {
    if (name == kSolveJob) {
        return JobFunction(
            [](const std::string& request, const Task& task, const std::function<void(const std::string&)>& starting) {
                return solveJob(request, task, solveModel, starting);
            });
    }
    if (name == kTranslationJob) return JobFunction(translationJob);
    if (name == kParameterCheckJob) return JobFunction(parameterCheckJob);
    return std::nullopt;
}
