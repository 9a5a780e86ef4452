// One model's job in opt's batch.
#include "engine/solve_job.h"

#include <chrono>
#include <sstream>

#include "batch/model_folder.h"
#include "batch/model_names.h"
#include "engine/copy_files.h"
#include "platform/files.h"
#include "process/codec.h"
#include "reports/report_rows.h"
#include "scip/scip_status.h"
#include "scip/solution_file.h"
#include "text/format.h"
#include "text/messages.h"

namespace {

// A model that its worker did not report: the worker died or sent what could
// not be read (a solve error), or was killed for running far past the time
// limit (stopped by the limit; a read error while it was still being read).
// What the worker had printed, the outcome lines, a line that says what
// happened, no values, and no solution file (an old one would contradict
// the report).
ModelResult unreportedResult(const FinishedJob& finished, const std::string& modelPath,
                             const std::string& outputFolder) {
    ModelResult result;
    result.name = baseName(modelPath);
    result.seconds = finished.seconds;
    result.outcome = finished.how == FinishedJob::Overran
                         ? (finished.whileReading ? Outcome::ReadError : Outcome::TimeLimit)
                         : Outcome::SolveError;
    result.out = finished.out + outcomeLines(result.name, result.seconds, result.outcome);
    // A model stopped by its limit keeps its row when the batch is resumed.
    result.stamp = fileStamp(modelPath);
    std::string removal;
    result.solutionFile = removeSolutionFile(outputFolder, result.name, &removal);
    result.err = finished.err + whatHappened(finished, modelPath) + removal;
    return result;
}

// The seed of racing copy `copy` of a batch whose own seed is `seed`:
// what --semente seed+copy means (kept within SCIP's range).
int racerSeed(const std::optional<int>& seed, unsigned copy) {
    return static_cast<int>((static_cast<long long>(seed.value_or(0)) + copy) % 2147483648LL);
}

}  // namespace

// A model that was not read or not solved, or whose solution file could not
// be written or removed, fails the batch.
bool failsBatch(const ModelResult& result) {
    return result.outcome == Outcome::ReadError || result.outcome == Outcome::SolveError || result.logLost ||
           result.verified == Verification::No || result.solutionFile == SolutionFile::WriteFailed ||
           result.solutionFile == SolutionFile::RemoveFailed;
}

std::string solveJob(const std::string& request, const Task& task, SolveFunction solve,
                     const std::function<void(const std::string&)>& solveStarting) {
    const std::optional<SolveRequest> job = decodeValue<SolveRequest>(request);
    if (!job) return std::string();
    noteInitialFoldersListed(job->listedFolders);
    const std::string& modelPath = job->modelPath;
    const std::string& raceFolder = job->raceFolder;
    const BatchSettings& settings = job->settings;
    std::optional<ModelResult> solved;
    if (raceFolder.empty()) {
        solved = solve(modelPath, job->outputFolder, settings, solveStarting);
    } else {
        BatchSettings copy = settings;
        if (task.copy > 0) {
            copy.racerSeed = copy.seed = racerSeed(settings.seed, task.copy);
            if (task.timeLimit > 0.0) {
                copy.racerDeadline =
                    std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                           std::chrono::duration<double>(task.timeLimit));
            }
        }
        // A folder that cannot be made fails the copy's files, as a full disk would.
        makeCopyFolder(raceFolder, task.index, task.copy);
        solved = solve(modelPath, copyFolder(raceFolder, task.index, task.copy), copy, solveStarting);
    }
    return solved ? encodeValue(*solved) : std::string();
}

// The result of a finished job: what its worker reported, or what became of
// a model it did not report. A raced model's time counts from its first
// copy's start, and its files are the chosen copy's.
ModelResult jobResult(const FinishedJob& job, const JobEnd& end, const std::string& modelPath,
                      const std::string& outputFolder, const std::string& raceFolder, const BatchSettings& settings) {
    const bool reported = givenResult(job);
    FinishedJob timed = job;
    timed.seconds += end.startedLater;
    ModelResult result =
        reported ? *decodeValue<ModelResult>(job.result) : unreportedResult(timed, modelPath, outputFolder);
    if (reported) {
        const std::string lines = outcomeLines(result.name, result.seconds, result.outcome);
        result.seconds += end.startedLater;
        // Its solutions' times count from the first copy's start too.
        for (std::optional<double>* found : {&result.firstSolutionSeconds, &result.bestSolutionSeconds}) {
            if (*found) **found += end.startedLater;
        }
        result.out = job.out;
        // The block shows the time the row holds.
        if (end.startedLater > 0.0 && endsWith(result.out, lines)) {
            result.out.resize(result.out.size() - lines.size());
            result.out += outcomeLines(result.name, result.seconds, result.outcome);
        }
        result.err = job.err;
        // Its check was cut short: the solve stands, its solution unchecked.
        if (job.checkCut) result.err += whatHappened(job, modelPath) + formatMessage(msg::checkCut, modelPath);
    }
    if (!raceFolder.empty()) {
        std::ostringstream errors;
        keepCopyFiles(outputFolder, raceFolder, job.index, job.copy, end.copies, settings.keepLogs && reported, result,
                      errors);
        result.err += errors.str();
    }
    return result;
}

bool betterResult(const ModelResult& a, const ModelResult& b) {
    if (a.fromScip != b.fromScip) return a.fromScip;
    const bool aHas = a.hasSolution && a.primalBound, bHas = b.hasSolution && b.primalBound;
    if (aHas != bHas) return aHas;
    if (!aHas) return false;
    return a.minimize ? *a.primalBound < *b.primalBound : *a.primalBound > *b.primalBound;
}

bool givenResult(const FinishedJob& job) { return job.how == FinishedJob::Reported || job.checkCut; }

// A copy whose solution is not feasible answers nothing, and is worse than any other.
bool copyAnswered(const FinishedJob& job) {
    if (!givenResult(job)) return false;
    const ModelResult result = *decodeValue<ModelResult>(job.result);
    return endsWithAnswer(result) && result.verified != Verification::No;
}

bool betterCopy(const FinishedJob& a, const FinishedJob& b) {
    if (givenResult(a) != givenResult(b)) return givenResult(a);
    if (!givenResult(a)) return false;
    const ModelResult first = *decodeValue<ModelResult>(a.result), second = *decodeValue<ModelResult>(b.result);
    const bool firstWrong = first.verified == Verification::No, secondWrong = second.verified == Verification::No;
    return firstWrong != secondWrong ? secondWrong : betterResult(first, second);
}
