// A batch run under several seeds, read as one run.
#include "compare/seed_runs.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "text/format.h"

namespace {

// Each seed's rows by model name; of a name twice in one report, the later row (the newer).
std::vector<std::map<std::string, const ComparedRow*>> rowsByName(const std::vector<ComparedFolder>& seeds) {
    std::vector<std::map<std::string, const ComparedRow*>> byName(seeds.size());
    for (size_t s = 0; s < seeds.size(); ++s) {
        for (const ComparedRow& row : seeds[s].rows) byName[s][row.name] = &row;
    }
    return byName;
}

std::vector<double> chargedTimes(const std::vector<const ComparedRow*>& rows,
                                 const std::vector<ComparedFolder>& seeds) {
    std::vector<double> seconds;
    for (size_t s = 0; s < rows.size(); ++s) seconds.push_back(chargedSeconds(*rows[s], seeds[s].timeLimit));
    return seconds;
}

// The models every seed holds, in the first seed's order, with their rows.
std::vector<std::pair<std::string, std::vector<const ComparedRow*>>> commonModels(
    const std::vector<ComparedFolder>& seeds) {
    std::vector<std::pair<std::string, std::vector<const ComparedRow*>>> models;
    if (seeds.empty()) return models;
    const std::vector<std::map<std::string, const ComparedRow*>> byName = rowsByName(seeds);
    std::map<std::string, bool> seen;
    for (const ComparedRow& first : seeds[0].rows) {
        if (seen[first.name]) continue;
        seen[first.name] = true;
        std::vector<const ComparedRow*> rows;
        for (const auto& seed : byName) {
            const auto found = seed.find(first.name);
            if (found == seed.end()) break;
            rows.push_back(found->second);
        }
        if (rows.size() == seeds.size()) models.emplace_back(first.name, rows);
    }
    return models;
}

// The mean of a field over one model's seeds; nothing when a seed lacks it.
std::optional<double> seedMean(const std::vector<const ComparedRow*>& rows, std::optional<double> ComparedRow::*field) {
    double sum = 0.0;
    for (const ComparedRow* seed : rows) {
        if (!(seed->*field)) return std::nullopt;
        sum += *(seed->*field);
    }
    return rows.empty() ? std::nullopt : std::optional<double>(sum / static_cast<double>(rows.size()));
}

}  // namespace

ComparedFolder combineSeeds(const std::string& label, const std::vector<ComparedFolder>& seeds) {
    ComparedFolder run;
    run.label = label;
    if (!seeds.empty()) run.scip = seeds.front().scip;  // one run's seeds: one SCIP
    if (!seeds.empty()) run.ran.batch = seeds.front().ran.batch;
    for (const ComparedFolder& seed : seeds) {
        if (seed.timeLimit) run.timeLimit = std::max(run.timeLimit.value_or(0.0), *seed.timeLimit);
        // The run lasts from its first seed's start to its last seed's end.
        if (seed.ran.start) run.ran.start = std::min(run.ran.start.value_or(*seed.ran.start), *seed.ran.start);
        if (seed.ran.end) run.ran.end = std::max(run.ran.end.value_or(*seed.ran.end), *seed.ran.end);
    }
    for (const auto& [name, rows] : commonModels(seeds)) {
        const std::vector<double> seconds = chargedTimes(rows, seeds);
        const auto unsolved =
            std::find_if(rows.begin(), rows.end(), [](const ComparedRow* row) { return !solvedRight(*row); });
        ComparedRow row = unsolved != rows.end() ? **unsolved : *rows.front();
        row.seconds = 0.0;
        for (double s : seconds) row.seconds += s / static_cast<double>(seconds.size());
        // The work and the integral, as the time, are the seeds' means (when every seed gives them).
        row.nodes = seedMean(rows, &ComparedRow::nodes);
        row.lpIterations = seedMean(rows, &ComparedRow::lpIterations);
        row.integral = seedMean(rows, &ComparedRow::integral);
        run.rows.push_back(row);
    }
    return run;
}

std::vector<SeedSpread> seedSpreads(const std::vector<ComparedFolder>& seeds) {
    std::vector<SeedSpread> spreads;
    for (const auto& [name, rows] : commonModels(seeds)) {
        SeedSpread spread;
        spread.name = name;
        spread.seconds = chargedTimes(rows, seeds);
        const std::vector<double>& t = spread.seconds;
        spread.fastest = static_cast<size_t>(std::min_element(t.begin(), t.end()) - t.begin());
        spread.slowest = static_cast<size_t>(std::max_element(t.begin(), t.end()) - t.begin());
        double mean = 0.0, squares = 0.0;
        for (double s : t) mean += s / static_cast<double>(t.size());
        for (double s : t) squares += (s - mean) * (s - mean);
        if (t.size() > 1 && mean > 0.0)
            spread.variation = std::sqrt(squares / static_cast<double>(t.size() - 1)) / mean;
        spread.fastestOf2 = expectedFastest(t, 2);
        spread.fastestOf4 = expectedFastest(t, 4);
        spreads.push_back(std::move(spread));
    }
    return spreads;
}

std::vector<std::pair<std::string, size_t>> modelsMissing(const std::vector<ComparedFolder>& seeds) {
    std::vector<std::pair<std::string, size_t>> missing;
    const std::vector<std::map<std::string, const ComparedRow*>> byName = rowsByName(seeds);
    std::map<std::string, bool> seen;
    for (const ComparedFolder& folder : seeds) {
        for (const ComparedRow& row : folder.rows) {
            if (seen[row.name]) continue;
            seen[row.name] = true;
            const auto lacking = std::find_if(byName.begin(), byName.end(),
                                              [&row](const auto& seed) { return seed.count(row.name) == 0; });
            if (lacking != byName.end()) missing.emplace_back(row.name, static_cast<size_t>(lacking - byName.begin()));
        }
    }
    return missing;
}
