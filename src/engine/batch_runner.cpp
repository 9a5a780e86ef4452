// A batch from its plan to its result: opt's kind of job.
#include "engine/batch_runner.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <sstream>

#include "batch/model_names.h"
#include "engine/batch_output.h"
#include "engine/copy_files.h"
#include "engine/hand_out.h"
#include "engine/jobs.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "process/codec.h"
#include "reports/answers.h"
#include "reports/batch_record.h"
#include "reports/report_rows.h"
#include "scip/solution_file.h"
#include "text/Messages.h"

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
    std::ostringstream err;
    err << finished.err << whatHappened(finished, modelPath);
    result.solutionFile = removeSolutionFile(outputFolder, result.name, err);
    result.err = err.str();
    return result;
}

// A model that was not read or not solved, or whose solution file could not
// be written or removed, fails the batch.
bool failed(const ModelResult& result) {
    return result.outcome == Outcome::ReadError || result.outcome == Outcome::SolveError || result.logLost ||
           result.solutionFile == SolutionFile::WriteFailed || result.solutionFile == SolutionFile::RemoveFailed;
}


// What a batch keeps of its entries besides their blocks and rows.
struct BatchState {
    std::vector<Check> checks;  // per entry
    size_t shown = 0;           // entries of this run
    bool anyError = false;
};

// An entry to be solved, with what is known of its length: its time in the
// earlier report, else its file's size.
HandOutEntry toHandOut(const BatchPlan& plan, size_t index, const std::optional<FileStamp>& stamp) {
    HandOutEntry entry;
    entry.index = index;
    const auto earlier = plan.earlier.seconds.find(baseName(plan.modelPaths[index]));
    if (earlier != plan.earlier.seconds.end()) entry.cost = earlier->second;
    entry.size = stamp ? static_cast<double>(stamp->size) : 0.0;
    return entry;
}

// Entries of another part are hidden; entries that are not models, and
// models whose rows of an earlier run still hold, finish at once. The
// others are to be solved, handed out longest expected first (hand_out.h);
// their blocks and rows keep folder order all the same.
std::vector<size_t> planEntries(const BatchPlan& plan, const BatchSettings& settings, BatchOutput& output,
                                BatchState& state) {
    std::vector<HandOutEntry> toSolve;
    const std::vector<std::string>& paths = plan.modelPaths;
    for (size_t i = 0; i < paths.size(); ++i) {
        if (!plan.solve.empty() && !plan.solve[i]) {
            output.hide(i);
            continue;
        }
        ++state.shown;
        if (!modelFormat(baseName(paths[i]), settings.formats)) {
            state.anyError |= !output.finishWithoutRow(i);
            continue;
        }
        // A row of an earlier run is kept while it is still true: the model
        // was solved, and its file has not changed since.
        const std::optional<FileStamp> stamp = fileStamp(paths[i]);
        const auto kept = plan.keptRows.find(baseName(paths[i]));
        if (kept == plan.keptRows.end() || kept->second.failed || !kept->second.stamp ||
            !(stamp == kept->second.stamp)) {
            toSolve.push_back(toHandOut(plan, i, stamp));
            continue;
        }
        state.checks[i] = kept->second.check;
        state.anyError |= !output.keep(i, kept->first, kept->second);
    }
    return handOutOrder(toSolve);
}

// The batch's record, once its workers and their memory are known.
bool writeRecord(const BatchPlan& plan, const std::string& outputFolder, size_t workers, double memoryLimitMb,
                 bool racing) {
    const std::string path = joinPath(outputFolder, recordFileName(plan.shard));
    const int error =
        replaceFile(outputFolder, path, recordText(*plan.record, workers, memoryLimitMb, plan.earlier.report, racing));
    if (error != 0) printIoError(msg::recordNotWritten, path, error);
    return error == 0;
}

// The seed of racing copy `copy` of a batch whose own seed is `seed`:
// what --semente seed+copy means (kept within SCIP's range).
int racerSeed(const std::optional<int>& seed, unsigned copy) {
    return static_cast<int>((static_cast<long long>(seed.value_or(0)) + copy) % 2147483648LL);
}

// In a worker: the model of `task` solved. A racing batch's copies each
// write into a folder of their own, under their own seed and time limit.
std::string solveTask(const Task& task, const std::string& modelPath, const std::string& outputFolder,
                      const std::string& raceFolder, const BatchSettings& settings, SolveFunction solve,
                      const std::function<void()>& solveStarting) {
    std::optional<ModelResult> solved;
    if (raceFolder.empty()) {
        solved = solve(modelPath, outputFolder, settings, solveStarting);
    } else {
        BatchSettings copy = settings;
        if (task.copy > 0) {
            copy.racerSeed = copy.seed = racerSeed(settings.seed, task.copy);
            if (task.timeLimit > 0.0) {
                copy.racerDeadline = std::chrono::steady_clock::now() +
                                     std::chrono::duration_cast<std::chrono::steady_clock::duration>(
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
    const bool reported = job.how == FinishedJob::Reported;
    FinishedJob timed = job;
    timed.seconds += end.startedLater;
    ModelResult result = reported ? *decodeValue<ModelResult>(job.result) : unreportedResult(timed, modelPath, outputFolder);
    if (reported) {
        const std::string lines = outcomeLines(result.name, result.seconds, result.outcome);
        result.seconds += end.startedLater;
        result.out = job.out;
        // The block shows the time the row holds.
        if (end.startedLater > 0.0 && endsWith(result.out, lines)) {
            result.out.resize(result.out.size() - lines.size());
            result.out += outcomeLines(result.name, result.seconds, result.outcome);
        }
        result.err = job.err;
    }
    if (!raceFolder.empty()) {
        std::ostringstream errors;
        keepCopyFiles(outputFolder, raceFolder, job.index, job.copy, end.copies, settings.keepLogs && reported, result,
                      errors);
        result.err += errors.str();
    }
    return result;
}

// opt's kind of job: in the worker, `solve` on the entry's model; in the
// program, its rows in the reports, its answer checked against the known
// results.
JobKind solveKind(const BatchPlan& plan, const std::string& outputFolder, const std::string& raceFolder,
                  const BatchSettings& settings, SolveFunction solve, BatchOutput& output, BatchState& state) {
    const std::vector<std::string>& paths = plan.modelPaths;
    JobKind kind;
    kind.run = [&paths, &outputFolder, &raceFolder, &settings, solve](const Task& task,
                                                                     const std::function<void()>& solveStarting) {
        return solveTask(task, paths[task.index], outputFolder, raceFolder, settings, solve, solveStarting);
    };
    kind.understood = [](const std::string& bytes) { return decodeValue<ModelResult>(bytes).has_value(); };
    kind.finish = [&paths, &outputFolder, &raceFolder, &settings, &output, &state](const FinishedJob& job,
                                                                                  const JobEnd& end) {
        ModelResult result = jobResult(job, end, paths[job.index], outputFolder, raceFolder, settings);
        if (settings.knownResults && result.fromScip) {
            result.check = checkResult(*settings.knownResults, result, settings.formats);
        }
        state.checks[job.index] = result.check;
        state.anyError |= failed(result);
        state.anyError |= !output.record(job.index, result);
    };
    kind.afterWait = [&output, &state] { state.anyError |= !output.writeReportsIfDue(); };
    kind.afterStop = [&output, &state, &outputFolder, &raceFolder] {
        state.anyError |= !output.closeReports();
        removeRaceFolder(raceFolder);
        removeStaleTempFiles(outputFolder);
    };
    kind.timeLimit = settings.timeLimit;
    kind.race = !raceFolder.empty();
    kind.answered = [](const FinishedJob& job) {
        return job.how == FinishedJob::Reported && endsWithAnswer(*decodeValue<ModelResult>(job.result));
    };
    kind.better = [](const FinishedJob& a, const FinishedJob& b) {
        if ((a.how == FinishedJob::Reported) != (b.how == FinishedJob::Reported)) return a.how == FinishedJob::Reported;
        return a.how == FinishedJob::Reported &&
               betterResult(*decodeValue<ModelResult>(a.result), *decodeValue<ModelResult>(b.result));
    };
    return kind;
}

// The answers checked against the known results, said and counted.
void countChecks(const BatchState& state, BatchOutput& output, BatchResult& result) {
    for (size_t position : result.rowPositions) {
        result.agree += state.checks[position] == Check::Ok ? 1 : 0;
        result.wrong += state.checks[position] == Check::Wrong ? 1 : 0;
        result.unreferenced += state.checks[position] == Check::NoReference ? 1 : 0;
    }
    output.checkSummary(result.agree, result.wrong, result.unreferenced);
}

}  // namespace

BatchResult runBatch(const BatchPlan& plan, const std::string& outputFolder, const BatchSettings& settings,
                     SolveFunction solve) {
    BatchSettings resolved = settings;
    const size_t entries = plan.modelPaths.size();
    Blocks blocks(entries, msg::modelHeaderEnd, true);
    BatchOutput output(blocks, outputFolder, plan.shard);
    BatchState state;
    state.checks.assign(entries, Check::None);
    const std::vector<size_t> queue = planEntries(plan, resolved, output, state);
    // A part without entries still leaves its (empty) reports.
    if (state.shown == 0 && !plan.solve.empty()) state.anyError |= !output.writeReports();
    state.anyError |= !output.start();

    // The memory the batch may use, shared out among the workers it starts,
    // settled before the kind is made: its workers get these settings. A
    // racing batch keeps every worker busy while models run, so each gets
    // its share of all of them.
    // A private folder that cannot be made is said; the batch runs unraced.
    const bool race = resolved.race && !queue.empty() && workerCount(SIZE_MAX, resolved.jobs) > 1;
    const std::string raceFolder = race ? makeRaceFolder(outputFolder) : std::string();
    const size_t workers = workerCount(raceFolder.empty() ? queue.size() : SIZE_MAX, resolved.jobs);
    if (resolved.memoryLimitMb <= 0.0) {
        resolved.memoryLimitMb = memoryPerWorkerMb(memoryBounds(), std::max<int>(1, workers));
    }
    JobKind kind = solveKind(plan, outputFolder, raceFolder, resolved, solve, output, state);
    kind.workers = workers;
    if (plan.record) {
        state.anyError |= !writeRecord(plan, outputFolder, kind.workers, resolved.memoryLimitMb, kind.race);
    }
    const int interruptedBy = runJobs(kind, queue, blocks);

    BatchResult result;
    result.entries = state.shown;
    result.workers = kind.workers;
    result.memoryPerWorkerMb = resolved.memoryLimitMb;
    result.finished = blocks.done() - (entries - state.shown);
    result.rowPositions = output.rowPositions();
    if (resolved.knownResults) countChecks(state, output, result);
    result.anyError = state.anyError || blocks.done() < entries;
    if (interruptedBy != 0) {
        result.interruptedBy = interruptedBy;
        blocks.interrupted(result.finished, result.entries);
    }
    std::cout << std::flush;
    std::fflush(nullptr);
    return result;
}
