// A batch from its plan to its result: opt's kind of job.
#include "engine/batch_runner.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <iostream>
#include <sstream>

#include "batch/model_names.h"
#include "engine/batch_output.h"
#include "engine/copy_files.h"
#include "engine/hand_out.h"
#include "engine/jobs.h"
#include "engine/solve_job.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "process/codec.h"
#include "reports/answers.h"
#include "reports/batch_record.h"
#include "reports/report_rows.h"
#include "scip/solution_file.h"
#include "text/Messages.h"

namespace {

// What a batch keeps of its entries besides their blocks and rows. Entry e
// is model e / n under target e % n, for the plan's n targets.
struct BatchState {
    std::vector<Check> checks;  // per entry
    size_t shown = 0;           // entries of this run
    bool anyError = false;
};

// An entry to be solved, with what is known of its length: its time in the
// target's earlier report, else its file's size.
HandOutEntry toHandOut(const EarlierTimes& earlier, const std::string& name, size_t entry,
                       const std::optional<FileStamp>& stamp) {
    HandOutEntry handOut;
    handOut.index = entry;
    const auto found = earlier.seconds.find(name);
    if (found != earlier.seconds.end()) handOut.cost = found->second;
    handOut.size = stamp ? static_cast<double>(stamp->size) : 0.0;
    return handOut;
}

// Model `model` under target `target`: hidden in another part; finished at
// once when it is not a model, or when its row of an earlier run still holds
// (the model was solved, and its file has not changed since); else to be
// solved.
void planEntry(const BatchPlan& plan, size_t model, size_t target, const std::optional<FileStamp>& stamp,
               BatchOutput& output, BatchState& state, std::vector<HandOutEntry>& toSolve) {
    const BatchTarget& into = plan.targets[target];
    const std::string name = baseName(plan.modelPaths[model]);
    const size_t entry = model * plan.targets.size() + target;
    if (!plan.solve.empty() && !plan.solve[model]) return output.hide(model);
    ++state.shown;
    if (!modelFormat(name, into.settings.formats)) {
        state.anyError |= !output.finishWithoutRow(model);
        return;
    }
    const auto kept = into.keptRows.find(name);
    if (kept == into.keptRows.end() || kept->second.failed || !kept->second.stamp || !(stamp == kept->second.stamp)) {
        toSolve.push_back(toHandOut(into.earlier, name, entry, stamp));
        return;
    }
    state.checks[entry] = kept->second.check;
    state.anyError |= !output.keep(model, kept->first, kept->second);
}

// Every entry planned; the ones to solve handed out longest expected first
// (hand_out.h), their blocks and rows in folder order all the same.
std::vector<size_t> planEntries(const BatchPlan& plan, std::deque<BatchOutput>& outputs, BatchState& state) {
    std::vector<HandOutEntry> toSolve;
    for (size_t index = 0; index < plan.modelPaths.size(); ++index) {
        // The file is looked at once for all its targets, and only when it is solved in this part.
        const bool model = (plan.solve.empty() || plan.solve[index]) &&
                           modelFormat(baseName(plan.modelPaths[index]), plan.targets[0].settings.formats);
        std::optional<FileStamp> stamp;
        if (model) stamp = fileStamp(plan.modelPaths[index]);
        for (size_t target = 0; target < outputs.size(); ++target) {
            planEntry(plan, index, target, stamp, outputs[target], state, toSolve);
        }
    }
    return handOutOrder(toSolve);
}

// The batch's record, once its workers and their memory are known.
bool writeRecord(const BatchTarget& target, const std::optional<Shard>& shard, size_t workers, double memoryLimitMb,
                 bool racing) {
    const std::string path = joinPath(target.folder, recordFileName(shard));
    const int error = replaceFile(target.folder, path,
                                  recordText(*target.record, workers, memoryLimitMb, target.earlier.report, racing));
    if (error != 0) printIoError(msg::recordNotWritten, path, error);
    return error == 0;
}

// The batch's targets as its jobs see them: each with its settings (the
// batch's memory share settled) and its output.
struct Targets {
    const BatchPlan& plan;
    std::vector<BatchSettings> settings;
    std::deque<BatchOutput> outputs;
    std::string raceFolder;  // a racing batch's private folder, else ""
    size_t count() const { return outputs.size(); }
    const std::string& folder(size_t entry) const { return plan.targets[entry % count()].folder; }
};

// opt's kind of job: in the worker, `solve` on the entry's model under its
// target's settings; in the program, its rows in the target's reports, its
// answer checked against the known results.
JobKind solveKind(Targets& targets, SolveFunction solve, BatchState& state) {
    JobKind kind;
    kind.run = [&targets, solve](const Task& task, const std::function<void()>& solveStarting) {
        const size_t n = targets.count();
        return solveTask(task, targets.plan.modelPaths[task.index / n], targets.folder(task.index), targets.raceFolder,
                         targets.settings[task.index % n], solve, solveStarting);
    };
    kind.understood = [](const std::string& bytes) { return decodeValue<ModelResult>(bytes).has_value(); };
    kind.finish = [&targets, &state](const FinishedJob& job, const JobEnd& end) {
        const size_t n = targets.count(), model = job.index / n;
        const BatchSettings& settings = targets.settings[job.index % n];
        ModelResult result = jobResult(job, end, targets.plan.modelPaths[model], targets.folder(job.index),
                                       targets.raceFolder, settings);
        if (settings.knownResults && result.fromScip) {
            result.check = checkResult(*settings.knownResults, result, settings.formats);
        }
        state.checks[job.index] = result.check;
        state.anyError |= failsBatch(result);
        state.anyError |= !targets.outputs[job.index % n].record(model, result);
    };
    kind.afterWait = [&targets, &state] {
        for (BatchOutput& output : targets.outputs) state.anyError |= !output.writeReportsIfDue();
    };
    kind.afterStop = [&targets, &state] {
        for (BatchOutput& output : targets.outputs) state.anyError |= !output.closeReports();
        removeRaceFolder(targets.raceFolder);
        for (const BatchTarget& target : targets.plan.targets) removeStaleTempFiles(target.folder);
    };
    kind.timeLimit = targets.settings[0].timeLimit;
    kind.race = !targets.raceFolder.empty();
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

// The answers checked against the known results, said and counted over every target.
void countChecks(const BatchState& state, size_t targets, BatchResult& result) {
    for (size_t target = 0; target < targets; ++target) {
        for (size_t position : result.rowPositions[target]) {
            const Check check = state.checks[position * targets + target];
            result.agree += check == Check::Ok ? 1 : 0;
            result.wrong += check == Check::Wrong ? 1 : 0;
            result.unreferenced += check == Check::NoReference ? 1 : 0;
        }
    }
    std::printf(msg::checkSummary, result.agree, result.wrong, result.unreferenced);
}

// Seed labels for the blocks of a batch under several seeds; none for one target.
std::vector<std::string> targetLabels(const BatchPlan& plan) {
    std::vector<std::string> labels;
    for (const BatchTarget& target : plan.targets) {
        if (plan.targets.size() > 1) labels.push_back(msg::blockSeedLabel + std::to_string(target.settings.seed.value_or(0)) + ")");
    }
    return labels;
}

// The workers a batch starts, the memory each gets, and its private racing
// folder, settled before its kind is made: its workers get these settings.
// A racing batch keeps every worker busy while models run, so each gets its
// share of all of them; a private folder that cannot be made is said, and
// the batch runs unraced.
size_t settleWorkers(Targets& targets, size_t queued) {
    const BatchSettings& first = targets.plan.targets[0].settings;
    const bool race = first.race && queued > 0 && workerCount(SIZE_MAX, first.jobs) > 1;
    if (race) targets.raceFolder = makeRaceFolder(targets.plan.targets[0].folder);
    const size_t workers = workerCount(targets.raceFolder.empty() ? queued : SIZE_MAX, first.jobs);
    const double memory = first.memoryLimitMb > 0.0 ? first.memoryLimitMb
                                                    : memoryPerWorkerMb(memoryBounds(), std::max<int>(1, workers));
    for (const BatchTarget& target : targets.plan.targets) {
        targets.settings.push_back(target.settings);
        targets.settings.back().memoryLimitMb = memory;
    }
    return workers;
}

}  // namespace

BatchResult runBatch(const BatchPlan& plan, SolveFunction solve) {
    const size_t n = plan.targets.size();
    const size_t entries = plan.modelPaths.size() * n;
    Blocks blocks(entries, msg::modelHeaderEnd, true);
    blocks.labelTargets(targetLabels(plan));
    Targets targets{plan, {}, {}, ""};
    for (size_t t = 0; t < n; ++t) targets.outputs.emplace_back(blocks, plan.targets[t].folder, plan.shard, t, n);
    BatchState state;
    state.checks.assign(entries, Check::None);
    const std::vector<size_t> queue = planEntries(plan, targets.outputs, state);
    for (BatchOutput& output : targets.outputs) {
        // A part without entries still leaves its (empty) reports.
        if (state.shown == 0 && !plan.solve.empty()) state.anyError |= !output.writeReports();
        state.anyError |= !output.start();
    }
    const size_t workers = settleWorkers(targets, queue.size());
    JobKind kind = solveKind(targets, solve, state);
    kind.workers = workers;
    for (const BatchTarget& target : plan.targets) {
        if (target.record) {
            state.anyError |= !writeRecord(target, plan.shard, workers, targets.settings[0].memoryLimitMb, kind.race);
        }
    }
    const int interruptedBy = runJobs(kind, queue, blocks);

    BatchResult result;
    result.entries = state.shown;
    result.workers = workers;
    result.memoryPerWorkerMb = targets.settings[0].memoryLimitMb;
    result.finished = blocks.done() - (entries - state.shown);
    for (const BatchOutput& output : targets.outputs) result.rowPositions.push_back(output.rowPositions());
    if (targets.settings[0].knownResults) countChecks(state, n, result);
    result.anyError = state.anyError || blocks.done() < entries;
    if (interruptedBy != 0) {
        result.interruptedBy = interruptedBy;
        blocks.interrupted(result.finished, result.entries);
    }
    std::cout << std::flush;
    std::fflush(nullptr);
    return result;
}
