// A batch from its plan to its result: opt's kind of job.
#include "engine/batch_runner.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <iostream>
#include <sstream>

#include "batch/model_folder.h"
#include "batch/model_names.h"
#include "engine/batch_output.h"
#include "engine/copy_files.h"
#include "engine/hand_out.h"
#include "engine/jobs.h"
#include "engine/solve_job.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/system.h"
#include "process/codec.h"
#include "reports/answers.h"
#include "reports/batch_record.h"
#include "reports/report_rows.h"
#include "scip/solution_file.h"
#include "text/format.h"
#include "text/messages.h"

namespace {

// What a batch keeps of its entries besides their blocks and rows. Entry e
// is model e / n under target e % n, for the plan's n targets.
struct BatchState {
    std::vector<Check> checks;  // per entry
    std::vector<size_t> kept;   // per target: rows kept from an earlier run
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
    const size_t entry = entryOf(model, target, plan.targets.size());
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
    ++state.kept[target];
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
    costPerModel(toSolve, outputs.size());  // a model's seeds and variants side by side
    return handOutOrder(toSolve);
}

// The batch's record `record` of `target`, once its workers and their
// memory are known, and again with its end once it ends.
bool writeRecord(const BatchTarget& target, const BatchRecord& record, const std::optional<Shard>& shard,
                 size_t workers, double memoryLimitMb, bool racing) {
    const std::string path = joinPath(target.folder, recordFileName(shard));
    std::string err;
    if (replaceFile(target.folder, path, recordText(record, workers, memoryLimitMb, target.earlier.report, racing),
                    &err)) {
        return true;
    }
    printErrors(ioErrorLine(msg::recordNotWritten, path, err));
    return false;
}

// The batch's targets as its jobs see them: each with its settings (the
// batch's memory share settled) and its output.
struct Targets {
    const BatchPlan* plan = nullptr;
    std::vector<BatchSettings> settings;
    std::deque<BatchOutput> outputs;
    std::string raceFolder;  // a racing batch's private folder, else ""
};

// opt's kind of job: in the worker, `solve` on the entry's model under its
// target's settings; in the program, its rows in the target's reports, its
// answer checked against the known results.
JobKind solveKind(Targets& targets, BatchState& state) {
    JobKind kind;
    // The plan outlives the kind; the lambdas keep a pointer to it.
    const BatchPlan* plan = targets.plan;
    const size_t n = plan->targets.size();
    kind.name = kSolveJob;
    kind.request = [&targets, plan, n](size_t entry) {
        const size_t target = targetOf(entry, n);
        return encodeValue(SolveRequest{plan->modelPaths[modelOf(entry, n)], plan->targets[target].folder,
                                        targets.raceFolder, targets.settings[target], listedInitialFolders()});
    };
    kind.understood = [](const std::string& bytes) { return decodeValue<ModelResult>(bytes).has_value(); };
    kind.finish = [&targets, plan, n, &state](const FinishedJob& job, const JobEnd& end) {
        const size_t model = modelOf(job.index, n), target = targetOf(job.index, n);
        const BatchSettings& settings = targets.settings[target];
        ModelResult result =
            jobResult(job, end, plan->modelPaths[model], plan->targets[target].folder, targets.raceFolder, settings);
        if (settings.knownResults && result.fromScip) {
            const CheckedAnswer checked = checkResult(*settings.knownResults, result, settings.formats);
            result.check = checked.check;
            result.checkReasons = checked.reasons;
        }
        state.checks[job.index] = result.check;
        state.anyError |= failsBatch(result);
        state.anyError |= !targets.outputs[target].keepResult(model, result);
    };
    kind.afterWait = [&targets, &state] {
        for (BatchOutput& output : targets.outputs) state.anyError |= !output.writeReportsIfDue();
    };
    kind.afterStop = [&targets, plan, &state] {
        for (BatchOutput& output : targets.outputs) state.anyError |= !output.closeReports();
        removeRaceFolder(targets.raceFolder);
        for (const BatchTarget& target : plan->targets) removeStaleTempFiles(target.folder);
    };
    kind.timeLimit = targets.settings[0].timeLimit;
    kind.race = !targets.raceFolder.empty();
    kind.answered = copyAnswered;
    kind.better = betterCopy;
    return kind;
}

// The answers checked against the known results, said and counted over every target.
void countChecks(const BatchState& state, size_t targets, BatchResult& result) {
    for (size_t target = 0; target < targets; ++target) {
        for (size_t position : result.rowPositions[target]) {
            const Check check = state.checks[entryOf(position, target, targets)];
            result.agree += check == Check::Ok ? 1 : 0;
            result.compatible += check == Check::Compatible ? 1 : 0;
            result.better += check == Check::Better ? 1 : 0;
            result.wrong += check == Check::Wrong ? 1 : 0;
            result.unreferenced += check == Check::NoReference ? 1 : 0;
        }
    }
    std::printf(msg::checkSummary, result.agree, result.compatible, result.better, result.wrong, result.unreferenced);
}

// The workers a batch starts, the memory each gets, and its private racing
// folder, settled before its kind is made: its workers get these settings.
// A racing batch keeps every worker busy while models run, so each gets its
// share of all of them; a private folder that cannot be made is said, and
// the batch runs unraced.
size_t settleWorkers(Targets& targets, size_t queued) {
    const BatchSettings& first = targets.plan->targets[0].settings;
    const bool race = first.race && queued > 0 && workerCount(SIZE_MAX, first.jobs) > 1;
    if (race) targets.raceFolder = makeRaceFolder(targets.plan->targets[0].folder);
    const size_t workers = workerCount(targets.raceFolder.empty() ? queued : SIZE_MAX, first.jobs);
    const double memory =
        first.memoryLimitMb > 0.0 ? first.memoryLimitMb : memoryPerWorkerMb(memoryBounds(), std::max<int>(1, workers));
    for (const BatchTarget& target : targets.plan->targets) {
        targets.settings.push_back(target.settings);
        targets.settings.back().memoryLimitMb = memory;
    }
    return workers;
}

}  // namespace

BatchResult runBatch(const BatchPlan& plan, JobRunner* runner) {
    const size_t n = plan.targets.size();
    const size_t entries = plan.modelPaths.size() * n;
    Blocks blocks(entries, msg::modelHeaderEnd, true);
    std::vector<std::string> labels;
    for (const BatchTarget& target : plan.targets) labels.push_back(target.label);
    if (!labels[0].empty()) blocks.labelTargets(labels);
    Targets targets;
    targets.plan = &plan;
    for (size_t t = 0; t < n; ++t) targets.outputs.emplace_back(blocks, plan.targets[t].folder, plan.shard, t, n);
    BatchState state;
    state.checks.assign(entries, Check::None);
    state.kept.assign(n, 0);
    const std::vector<size_t> queue = planEntries(plan, targets.outputs, state);
    for (BatchOutput& output : targets.outputs) {
        // A part without entries still leaves its (empty) reports.
        if (state.shown == 0 && !plan.solve.empty()) state.anyError |= !output.writeReports();
        state.anyError |= !output.start();
    }
    const size_t workers = settleWorkers(targets, queue.size());
    JobKind kind = solveKind(targets, state);
    kind.workers = workers;
    std::vector<std::optional<BatchRecord>> records;
    for (size_t t = 0; t < n; ++t) {
        records.push_back(plan.targets[t].record);
        if (!records[t]) continue;
        records[t]->keptRows = state.kept[t];
        state.anyError |= !writeRecord(plan.targets[t], *records[t], plan.shard, workers,
                                       targets.settings[0].memoryLimitMb, kind.race);
    }
    const int interruptedBy = runner ? runJobs(kind, queue, blocks, *runner) : runJobs(kind, queue, blocks);
    // When it ended, stopped or not: what comparar reads its run's span from.
    const std::string end = localTimeNow(kRecordTimeFormat);
    for (size_t t = 0; t < n; ++t) {
        if (!records[t]) continue;
        records[t]->endTime = end;
        state.anyError |= !writeRecord(plan.targets[t], *records[t], plan.shard, workers,
                                       targets.settings[0].memoryLimitMb, kind.race);
    }

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
