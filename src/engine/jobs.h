// The job loop: the entries of a run handed out to worker processes, their
// results taken as they come, each entry's block printed whole and in entry
// order, stop signals and workers that die, overrun or send nonsense
// handled. Written once for every kind of job (opt's solves, mod_lp's
// translations); a kind says what runs in the worker and what a finished
// job means to the program.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/blocks.h"
#include "engine/race.h"
#include "process/worker_pool.h"

struct JobKind {
    // The name a worker looks its job up by (the worker runs it on the
    // request's bytes, and sends its result as bytes).
    std::string name;
    // In the program: what entry `index`'s job is, as bytes for its worker.
    RequestFunction request;
    // In the program: whether a worker's bytes are a whole result of this kind.
    ResultCheck understood = nullptr;
    // In the program: a job its worker reported, or died on, overran or
    // sent nonsense about; finishes the entry's block. Of a raced entry,
    // the copy chosen (race.h).
    std::function<void(const FinishedJob& job, const JobEnd& end)> finish;
    // After each wait for the workers (opt: the reports rewritten when due).
    std::function<void()> afterWait;
    // Once the workers are gone, before the last blocks are printed.
    std::function<void()> afterStop;
    double timeLimit = 0.0;  // a job far past it is stopped; 0: none
    size_t workers = 1;      // worker processes at most

    // Racing (race.h): idle workers run more copies of running entries.
    bool race = false;
    // Whether a finished copy ended with an answer, which ends its race.
    std::function<bool(const FinishedJob& job)> answered;
    // Whether a copy ended better than another, neither with an answer.
    BetterCopy better;
};

// Workers for `waiting` jobs when `asked` were asked for (0: one per CPU
// that the program may run on).
size_t workerCount(size_t waiting, int asked);

// Runs the jobs of the entries in `order` (the order they are handed out)
// on `runner` while `blocks` shows them, until every entry of `blocks` is
// done, no worker can be started, or SIGINT or SIGTERM arrives: results
// already sent then are kept, jobs still running are left unfinished. The
// signal that stopped it, or 0.
int runJobs(const JobKind& kind, const std::vector<size_t>& order, Blocks& blocks, JobRunner& runner);
// The same on worker processes started for the kind.
int runJobs(const JobKind& kind, const std::vector<size_t>& order, Blocks& blocks);
