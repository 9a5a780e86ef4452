// Racing: the racers chosen, and each race followed to its end.
#include "engine/race.h"

#include <algorithm>

namespace {

double secondsBetween(RaceClock::time_point from, RaceClock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// A running entry that may take a racer.
struct Candidate {
    size_t index = 0;
    RaceClock::time_point firstSolveStart;
    size_t running = 0;  // its copies running
};

// The entries whose first copy is solving with time left, and their copies running.
std::vector<Candidate> candidates(const std::vector<RunningJob>& running, const Races& races, double timeLimit,
                                  RaceClock::time_point now) {
    std::map<size_t, Candidate> byEntry;
    for (const RunningJob& job : running) {
        if (job.copy != 0 || !job.solveStart) continue;
        const auto race = races.find(job.index);
        if (race != races.end() && race->second.closed) continue;
        if (timeLimit > 0.0 && timeLimit - secondsBetween(*job.solveStart, now) < kLeastRaceSeconds) continue;
        byEntry[job.index] = Candidate{job.index, *job.solveStart, 0};
    }
    for (const RunningJob& job : running) {
        const auto found = byEntry.find(job.index);
        if (found != byEntry.end()) ++found->second.running;
    }
    std::vector<Candidate> list;
    for (const auto& entry : byEntry) list.push_back(entry.second);
    return list;
}

// How a race ended with `chosen`: the copies started, and how much later than the first its solve started.
JobEnd jobEnd(const Race& race, const FinishedJob& chosen) {
    JobEnd end;
    end.copies = race.started;
    if (chosen.solveStart) end.startedLater = std::max(0.0, secondsBetween(race.firstSolveStart, *chosen.solveStart));
    return end;
}

}  // namespace

std::vector<Racer> chooseRacers(const std::vector<RunningJob>& running, const Races& races, size_t idle,
                                double timeLimit, RaceClock::time_point now) {
    std::vector<Candidate> list = candidates(running, races, timeLimit, now);
    std::map<size_t, unsigned> nextCopy;
    for (const Candidate& candidate : list) {
        const auto race = races.find(candidate.index);
        nextCopy[candidate.index] = race != races.end() ? race->second.started : 1;
    }
    std::vector<Racer> racers;
    for (size_t i = 0; i < idle && !list.empty(); ++i) {
        const auto chosen = std::min_element(list.begin(), list.end(), [](const Candidate& a, const Candidate& b) {
            if (a.running != b.running) return a.running < b.running;
            if (a.firstSolveStart != b.firstSolveStart) return a.firstSolveStart < b.firstSolveStart;
            return a.index < b.index;
        });
        const double left = timeLimit > 0.0 ? timeLimit - secondsBetween(chosen->firstSolveStart, now) : 0.0;
        racers.push_back(Racer{Task{chosen->index, nextCopy[chosen->index]++, left}, chosen->firstSolveStart});
        ++chosen->running;
    }
    return racers;
}

void noteRacer(Races& races, const Racer& racer) {
    const auto [found, isNew] = races.try_emplace(racer.task.index);
    Race& race = found->second;
    if (isNew) race.firstSolveStart = racer.firstSolveStart;
    race.started = std::max(race.started, racer.task.copy + 1);
    ++race.running;
}

namespace {

// The copy a race ends with when none answered: the best, the lowest copy number on a tie.
RaceResult bestEnded(Race& race, const BetterCopy& better) {
    std::vector<FinishedJob>& ended = race.ended;
    std::stable_sort(ended.begin(), ended.end(),
                     [](const FinishedJob& a, const FinishedJob& b) { return a.copy < b.copy; });
    const FinishedJob* best = &ended.front();
    for (const FinishedJob& copy : ended) {
        if (better(copy, *best)) best = &copy;
    }
    return RaceResult{*best, jobEnd(race, *best), false};
}

}  // namespace

std::optional<RaceResult> copyEnded(Races& races, const FinishedJob& job, bool answered, const BetterCopy& better) {
    const auto found = races.find(job.index);
    if (found == races.end()) return RaceResult{job, JobEnd{}, false};
    Race& race = found->second;
    --race.running;
    if (race.decided) return std::nullopt;
    std::optional<RaceResult> result;
    if (answered) {
        result = RaceResult{job, jobEnd(race, job), race.running > 0};
    } else {
        race.ended.push_back(job);
        race.closed = true;
        if (race.running > 0) return std::nullopt;
        result = bestEnded(race, better);
    }
    race.decided = true;
    race.ended.clear();
    return result;
}

std::vector<RaceResult> endedAtStop(Races& races, const BetterCopy& better) {
    std::vector<RaceResult> results;
    for (auto& [index, race] : races) {
        const bool firstEnded =
            std::any_of(race.ended.begin(), race.ended.end(), [](const FinishedJob& job) { return job.copy == 0; });
        if (race.decided || !firstEnded) continue;
        results.push_back(bestEnded(race, better));
        race.decided = true;
        race.ended.clear();
    }
    return results;
}
