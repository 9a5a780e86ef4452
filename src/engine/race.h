// Racing: when a worker would sit idle while entries are still running, it
// runs another copy of a running entry's job (under another seed: the kind
// says what a copy means). The first copy that ends with an answer wins and
// the others are stopped; where every copy ends without one, the best of
// them is kept. The choice of racers and the bookkeeping of each race;
// pure: the pool starts and stops the copies.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "process/worker_pool.h"

using RaceClock = std::chrono::steady_clock;

// An entry with more than one copy started.
struct Race {
    unsigned started = 1;                   // copies handed out: the next copy's number
    unsigned running = 1;                   // copies still running
    RaceClock::time_point firstSolveStart;  // when the first copy's solve started
    std::vector<FinishedJob> ended;         // copies that ended without an answer
    // A copy ended without an answer (a limit, or a failure that every new
    // copy would meet too): no more racers for the entry.
    bool closed = false;
    bool decided = false;  // the entry is finished: later copies are dropped
};
using Races = std::map<size_t, Race>;  // by entry

// How an entry's job ended, beyond its finished copy.
struct JobEnd {
    double startedLater = 0.0;  // the seconds its solve started after the first copy's
    unsigned copies = 1;        // copies of the job that were started (0 to copies-1)
};

// A racer to start, and when the solve of its entry's first copy started.
struct Racer {
    Task task;
    RaceClock::time_point firstSolveStart;
};

// A racer is not started for a model with less time than this left.
inline constexpr double kLeastRaceSeconds = 1.0;

// The copies to start on `idle` workers at `now`. Only entries whose first
// copy is solving, and whose race no copy has left without an answer, are raced; each racer goes to the entry with the fewest
// copies running, the one solving longest first. A racer's time limit is
// what is left of its first copy's (`timeLimit`, 0: none), so that a race
// ends when its first copy would have.
std::vector<Racer> chooseRacers(const std::vector<RunningJob>& running, const Races& races, size_t idle,
                                double timeLimit, RaceClock::time_point now);
// Notes a racer that a worker took.
void noteRacer(Races& races, const Racer& racer);

// What finishes an entry: its chosen copy and how the job ended.
struct RaceResult {
    FinishedJob job;
    JobEnd end;
    bool stopOthers = false;  // copies still running are to be stopped
};
// Whether copy `a` ended better than copy `b` (neither with an answer).
using BetterCopy = std::function<bool(const FinishedJob& a, const FinishedJob& b)>;

// A copy of entry `job.index` ended, with an answer (`answered`) or not.
// An entry that was never raced is finished by it. A raced entry is
// finished by its first answer, or once its last copy ended: by the best
// copy (`better`), the lowest copy number on a tie. Nothing while its
// other copies still run, nor for a copy that ends after its entry was
// finished (two that end at once).
std::optional<RaceResult> copyEnded(Races& races, const FinishedJob& job, bool answered, const BetterCopy& better);
// When the run is stopped: the entries whose first copy has ended (without
// an answer) while racers still ran, each finished by its best ended copy,
// as an unraced run would have kept the first copy's row.
std::vector<RaceResult> endedAtStop(Races& races, const BetterCopy& better);
