// A batch from its plan to its result.
#include "engine/batch_runner.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <iostream>
#include <sstream>

#include <sys/wait.h>

#include "batch/model_names.h"
#include "engine/batch_output.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "process/codec.h"
#include "process/workers.h"
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

}  // namespace

BatchResult runBatch(const BatchPlan& plan, const std::string& outputFolder, const BatchSettings& settings,
                     SolveFunction solve) {
    BatchSettings resolved = settings;
    if (resolved.jobs <= 0) resolved.jobs = availableCpus();
    const std::vector<std::string>& paths = plan.modelPaths;
    BatchOutput output(paths.size(), outputFolder, plan.shard);
    std::vector<Check> checks(paths.size(), Check::None);
    bool anyError = false;

    std::deque<size_t> queue;
    size_t shownCount = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        if (!plan.solve.empty() && !plan.solve[i]) {
            output.hide(i);
            continue;
        }
        ++shownCount;
        if (!modelFormat(baseName(paths[i]), resolved.formats)) {
            anyError |= !output.finishWithoutRow(i);
            continue;
        }
        // A row of an earlier run is kept while it is still true: the model
        // was solved, and its file has not changed since.
        const auto kept = plan.keptRows.find(baseName(paths[i]));
        if (kept == plan.keptRows.end() || kept->second.failed || !kept->second.stamp ||
            !(fileStamp(paths[i]) == kept->second.stamp)) {
            queue.push_back(i);
            continue;
        }
        checks[i] = kept->second.check;
        anyError |= !output.keep(i, kept->first, kept->second);
    }
    // A part without entries still leaves its (empty) reports.
    if (shownCount == 0 && !plan.solve.empty()) anyError |= !output.writeReports();
    anyError |= !output.start();

    const size_t jobs = std::min(queue.size(), static_cast<size_t>(std::max(1, resolved.jobs)));
    // The memory the batch may use, shared out among the workers it starts.
    if (resolved.memoryLimitMb <= 0.0) resolved.memoryLimitMb = memoryPerWorkerMb(memoryBounds(), std::max<int>(1, jobs));
    if (plan.record) {
        const std::string path = joinPath(outputFolder, recordFileName(plan.shard));
        if (const int error = replaceFile(outputFolder, path, recordText(*plan.record, jobs, resolved.memoryLimitMb))) {
            printIoError(msg::recordNotWritten, path, error);
            anyError = true;
        }
    }
    const auto job = [&](size_t index, const std::function<void()>& solveStarting) {
        const std::optional<ModelResult> solved = solve(paths[index], outputFolder, resolved, solveStarting);
        return solved ? encodeValue(*solved) : std::string();
    };
    WorkerPool pool(paths.size(), job, [](const std::string& bytes) { return decodeValue<ModelResult>(bytes).has_value(); },
                    resolved.timeLimit);
    // A finished model's row; a worker that ends while the batch is being
    // stopped leaves its model unfinished.
    const auto take = [&](const FinishedJob& model) {
        if (model.how != FinishedJob::Reported && pool.interruptedBy() != 0) return;
        ModelResult result = model.how == FinishedJob::Reported
                                 ? *decodeValue<ModelResult>(model.result)
                                 : unreportedResult(model, paths[model.index], outputFolder);
        if (model.how == FinishedJob::Reported) {
            result.out = model.out;
            result.err = model.err;
        }
        if (resolved.knownResults && result.fromScip) {
            result.check = checkResult(*resolved.knownResults, result, resolved.formats);
        }
        checks[model.index] = result.check;
        anyError |= failed(result);
        anyError |= !output.record(model.index, result);
    };
    // A worker that cannot be started is said once, not at every try.
    if (const int error = pool.staff(jobs, queue.size())) output.workerNotStarted(error);
    output.printReady();
    while (output.done() < paths.size() && pool.interruptedBy() == 0) {
        // A worker that died, or left to give back its memory, is replaced.
        if (const int error = pool.staff(jobs, queue.size())) output.workerNotStarted(error);
        if (pool.size() == 0) break;  // no worker can be started: the rest cannot be solved
        pool.handOut(queue);
        const std::optional<std::vector<FinishedJob>> finished = pool.wait(200);
        if (!finished) break;
        for (const FinishedJob& model : *finished) take(model);
        anyError |= !output.writeReportsIfDue();
        output.printReady();
        output.showProgress(pool.running());
    }
    const int interruptedBy = pool.interruptedBy();
    // Results already sent when the batch was stopped are kept.
    if (interruptedBy != 0) {
        for (const FinishedJob& model : pool.wait(0).value_or(std::vector<FinishedJob>{})) take(model);
    }
    pool.stop();
    anyError |= !output.closeReports();
    removeStaleTempFiles(outputFolder);
    output.printReady();
    if (interruptedBy != 0) output.printFinished();
    output.clearProgress();

    BatchResult result;
    result.entries = shownCount;
    result.workers = jobs;
    result.memoryPerWorkerMb = resolved.memoryLimitMb;
    result.finished = output.done() - (paths.size() - shownCount);
    result.rowPositions = output.rowPositions();
    if (resolved.knownResults) {
        for (size_t position : result.rowPositions) {
            result.agree += checks[position] == Check::Ok ? 1 : 0;
            result.wrong += checks[position] == Check::Wrong ? 1 : 0;
            result.unreferenced += checks[position] == Check::NoReference ? 1 : 0;
        }
        output.checkSummary(result.agree, result.wrong, result.unreferenced);
    }
    result.anyError = anyError || output.done() < paths.size();
    if (interruptedBy != 0) {
        result.interruptedBy = interruptedBy;
        output.interrupted(result.finished, result.entries);
    }
    std::cout << std::flush;
    std::fflush(nullptr);
    return result;
}
