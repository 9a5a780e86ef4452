// The comparison of batches: complete reports read back, models matched by
// name, summaries against the reference.
#include "compare/comparison.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <set>

#include "reports/answers.h"
#include "reports/report_rows.h"
#include "reports/report_table.h"
#include "text/messages.h"
#include "text/format.h"

namespace {

// Solved (and not wrong) first, then stopped by a limit, then anything
// else, errors last.
int rank(const ComparedRow& row) {
    if (row.kind == StatusKind::Solved && !solvedRight(row)) return 2;
    switch (row.kind) {
        case StatusKind::Solved: return 0;
        case StatusKind::Limit: return 1;
        case StatusKind::Other: return 2;
        case StatusKind::Error: break;
    }
    return 3;
}

// Per model present everywhere: whether its nodes enter the node mean
// (solved in every folder), and its integral the integral mean (given by
// every folder).
struct Everywhere {
    std::vector<bool> solved, integral;
};

// The summary of one column of rows (one per model present everywhere).
FolderSummary summarize(const std::string& label, const std::vector<const ComparedRow*>& rows,
                        const std::vector<std::optional<double>>& limits, const Everywhere& everywhere,
                        const std::vector<const ComparedRow*>& reference, bool isReference) {
    FolderSummary summary;
    summary.label = label;
    summary.models = rows.size();
    std::vector<double> seconds, nodes, integrals;
    for (size_t m = 0; m < rows.size(); ++m) {
        const ComparedRow& row = *rows[m];
        summary.solved += row.kind == StatusKind::Solved;
        summary.limits += row.kind == StatusKind::Limit;
        summary.errors += row.kind == StatusKind::Error;
        summary.wrong += row.check == Check::Wrong;
        seconds.push_back(chargedSeconds(row, limits[m]));
        if (everywhere.solved[m]) nodes.push_back(*row.nodes);
        if (everywhere.integral[m]) integrals.push_back(*row.integral);
        if (isReference) continue;
        const ComparedRow& other = *reference[m];
        const int result = duel(solvedRight(row), row.seconds, solvedRight(other), other.seconds);
        summary.wins += result > 0;
        summary.losses += result < 0;
    }
    summary.meanSeconds = shiftedGeometricMean(seconds, 1.0);
    summary.meanNodes = shiftedGeometricMean(nodes, 100.0);
    summary.meanIntegral = shiftedGeometricMean(integrals, kIntegralShift);
    return summary;
}

}  // namespace

StatusKind statusKind(const std::string& status) {
    for (Outcome solved : {Outcome::Optimal, Outcome::Infeasible, Outcome::Unbounded, Outcome::InfeasibleOrUnbounded}) {
        if (status == statusFieldText(solved)) return StatusKind::Solved;
    }
    if (status == statusFieldText(Outcome::ReadError) || status == statusFieldText(Outcome::SolveError))
        return StatusKind::Error;
    for (const char* limit : {msg::statusNodeLimit, msg::statusTotalNodeLimit, msg::statusStallNodeLimit,
                              msg::statusMemoryLimit, msg::statusGapLimit, msg::statusPrimalLimit, msg::statusDualLimit,
                              msg::statusSolutionLimit, msg::statusBestSolutionLimit, msg::statusRestartLimit}) {
        if (status == limit) return StatusKind::Limit;
    }
    return status == statusFieldText(Outcome::TimeLimit) ? StatusKind::Limit : StatusKind::Other;
}

std::optional<double> shiftedGeometricMean(const std::vector<double>& values, double shift) {
    if (values.empty()) return std::nullopt;
    double sum = 0.0;
    for (double value : values) sum += std::log(value + shift);
    return std::exp(sum / static_cast<double>(values.size())) - shift;
}

bool solvedRight(const ComparedRow& row) { return row.kind == StatusKind::Solved && row.check != Check::Wrong; }

double chargedSeconds(const ComparedRow& row, const std::optional<double>& timeLimit) {
    // A row kept from a run under a longer limit is charged its own time.
    if (solvedRight(row) || !timeLimit) return row.seconds;
    return std::max(row.seconds, *timeLimit);
}

int duel(bool aSolved, double aSeconds, bool bSolved, double bSeconds) {
    if (aSolved != bSolved) return aSolved ? 1 : -1;
    if (!aSolved) return 0;
    // Report times have six decimals: a margin far below them keeps "at
    // least" exact for times as written.
    const auto faster = [](double quick, double slow) {
        const double gap = slow - quick;
        return gap >= 0.2 - 1e-9 && gap >= 0.1 * slow - 1e-9;
    };
    if (faster(aSeconds, bSeconds)) return 1;
    return faster(bSeconds, aSeconds) ? -1 : 0;
}

bool anyCheck(const Comparison& comparison, size_t folder) {
    return std::any_of(comparison.models.begin(), comparison.models.end(), [folder](const ModelComparison& model) {
        return model.rows[folder] && model.rows[folder]->check != Check::None;
    });
}

bool anyInconsistent(const Comparison& comparison) {
    return std::any_of(comparison.models.begin(), comparison.models.end(),
                       [](const ModelComparison& model) { return model.inconsistent; });
}

bool contradict(const ComparedRow& a, const ComparedRow& b) {
    const std::string optimalText = statusFieldText(Outcome::Optimal);
    const std::string infeasibleText = statusFieldText(Outcome::Infeasible);
    const auto feasible = [&](const ComparedRow& row) {
        return row.z.has_value() || row.status == optimalText || row.status == statusFieldText(Outcome::Unbounded);
    };
    if (a.status == optimalText && b.status == optimalText && a.z && b.z && !valuesAgree(*a.z, *b.z)) return true;
    if ((a.status == infeasibleText && feasible(b)) || (b.status == infeasibleText && feasible(a))) return true;
    if (!a.minimize || a.minimize != b.minimize) return false;
    // A dual bound beyond a solution: the first claims no solution is better than it.
    const auto beyond = [minimize = *a.minimize](const ComparedRow& bounded, const ComparedRow& solved) {
        return bounded.dual && solved.z && !valuesAgree(*bounded.dual, *solved.z) &&
               (minimize ? *bounded.dual > *solved.z : *bounded.dual < *solved.z);
    };
    return beyond(a, b) || beyond(b, a);
}

namespace {

// The folder that did best on a model present in every folder: the best
// rank, then the least time charged; the first of equals.
size_t bestFolder(const ModelComparison& model, const std::vector<ComparedFolder>& folders) {
    size_t chosen = 0;
    for (size_t f = 0; f < folders.size(); ++f) {
        const ComparedRow& row = *model.rows[f];
        const ComparedRow& current = *model.rows[chosen];
        const double seconds = chargedSeconds(row, folders[f].timeLimit);
        if (rank(row) < rank(current) ||
            (rank(row) == rank(current) && seconds < chargedSeconds(current, folders[chosen].timeLimit))) {
            chosen = f;
        }
    }
    return chosen;
}

// The performance profile: per folder, each time it solved right against the
// best one of that model, sorted.
std::vector<std::vector<double>> profileRatios(const std::vector<const ComparedRow*>& best,
                                               const std::vector<std::vector<const ComparedRow*>>& columns) {
    std::vector<std::vector<double>> ratios(columns.size());
    for (size_t m = 0; m < best.size(); ++m) {
        if (!solvedRight(*best[m])) continue;
        const double fastest = std::max(best[m]->seconds, kProfileFloorSeconds);
        for (size_t f = 0; f < columns.size(); ++f) {
            const ComparedRow& row = *columns[f][m];
            if (solvedRight(row)) ratios[f].push_back(std::max(row.seconds, kProfileFloorSeconds) / fastest);
        }
    }
    for (std::vector<double>& folderRatios : ratios) std::sort(folderRatios.begin(), folderRatios.end());
    return ratios;
}

// Folder `f` against the reference over the models both hold: the time
// test on the logarithms of the charged times, the solved test on solved
// right or not, the work tests, and when the two ran.
void testAgainstReference(const Comparison& comparison, const std::vector<ComparedFolder>& folders, size_t f,
                          FolderSummary& summary) {
    std::vector<double> times, referenceTimes, integrals, referenceIntegrals;
    size_t onlyHere = 0, onlyReference = 0;
    const auto logTime = [&comparison](const ComparedRow& row, size_t folder) {
        return std::log(std::max(chargedSeconds(row, comparison.timeLimits[folder]), kProfileFloorSeconds));
    };
    for (const ModelComparison& model : comparison.models) {
        if (!model.rows[0] || !model.rows[f]) continue;
        times.push_back(logTime(*model.rows[f], f));
        referenceTimes.push_back(logTime(*model.rows[0], 0));
        const bool here = solvedRight(*model.rows[f]), there = solvedRight(*model.rows[0]);
        onlyHere += here && !there;
        onlyReference += there && !here;
        if (model.rows[f]->integral && model.rows[0]->integral) {
            integrals.push_back(std::log(std::max(*model.rows[f]->integral, kIntegralFloor)));
            referenceIntegrals.push_back(std::log(std::max(*model.rows[0]->integral, kIntegralFloor)));
        }
    }
    summary.integralTest = wilcoxonSignedRank(integrals, referenceIntegrals);
    summary.integralModels = integrals.size();
    summary.timeTest = wilcoxonSignedRank(times, referenceTimes);
    summary.solvedTest = mcNemarExact(onlyHere, onlyReference);
    testWork(comparison, f, summary);
    summary.together = runTogether(folders[f].ran, folders[0].ran);
}

// The models of a bracket: present everywhere, solved right by some folder,
// and taking `seconds` or more in some folder.
std::set<std::string> bracketModels(const Comparison& comparison, double seconds) {
    std::set<std::string> names;
    for (const ModelComparison& model : comparison.models) {
        if (!model.inEvery) continue;
        const auto any = [&model](const auto& test) {
            return std::any_of(model.rows.begin(), model.rows.end(), [&test](const auto& row) { return test(*row); });
        };
        if (any([](const ComparedRow& row) { return solvedRight(row); }) &&
            any([seconds](const ComparedRow& row) { return row.seconds >= seconds; })) {
            names.insert(model.name);
        }
    }
    return names;
}

// The summaries of the bracket: the comparison of its models alone.
BracketSummary bracket(const std::vector<ComparedFolder>& folders, const Comparison& comparison, double seconds) {
    const std::set<std::string> names = bracketModels(comparison, seconds);
    std::vector<ComparedFolder> kept = folders;
    for (ComparedFolder& folder : kept) {
        folder.rows.erase(std::remove_if(folder.rows.begin(), folder.rows.end(),
                                         [&names](const ComparedRow& row) { return names.count(row.name) == 0; }),
                          folder.rows.end());
    }
    const Comparison part = buildComparison(kept, false);
    return BracketSummary{seconds, names.size(), part.summaries, part.virtualBest};
}

}  // namespace

Comparison buildComparison(const std::vector<ComparedFolder>& folders, bool brackets) {
    Comparison comparison;
    const size_t count = folders.size();
    std::map<std::string, size_t> position;
    for (size_t f = 0; f < count; ++f) {
        comparison.labels.push_back(folders[f].label);
        comparison.timeLimits.push_back(folders[f].timeLimit);
        comparison.scips.push_back(folders[f].scip);
        for (const ComparedRow& row : folders[f].rows) {
            auto [found, added] = position.emplace(row.name, comparison.models.size());
            if (added)
                comparison.models.push_back({row.name, std::vector<std::optional<ComparedRow>>(count), false, false});
            // A name twice in one report: the later row is the newer.
            comparison.models[found->second].rows[f] = row;
        }
    }
    // The columns of the models present everywhere, per folder.
    std::vector<std::vector<const ComparedRow*>> columns(count);
    Everywhere everywhere;
    std::vector<const ComparedRow*> best;
    std::vector<std::optional<double>> bestLimits;
    for (ModelComparison& model : comparison.models) {
        model.inEvery =
            std::all_of(model.rows.begin(), model.rows.end(), [](const auto& row) { return row.has_value(); });
        for (size_t a = 0; a < count; ++a) {
            for (size_t b = a + 1; b < count; ++b) {
                model.inconsistent |= model.rows[a] && model.rows[b] && contradict(*model.rows[a], *model.rows[b]);
            }
        }
        comparison.inconsistent += model.inconsistent ? 1 : 0;
        if (!model.inEvery) continue;
        bool solved = true, integral = true;
        for (size_t f = 0; f < count; ++f) {
            const ComparedRow& row = *model.rows[f];
            columns[f].push_back(&row);
            solved = solved && row.kind == StatusKind::Solved && row.nodes.has_value();
            integral = integral && row.integral.has_value();
        }
        everywhere.solved.push_back(solved);
        everywhere.integral.push_back(integral);
        const size_t chosen = bestFolder(model, folders);
        best.push_back(&*model.rows[chosen]);
        bestLimits.push_back(folders[chosen].timeLimit);
    }
    for (size_t f = 0; f < count; ++f) {
        const std::vector<std::optional<double>> limits(columns[f].size(), folders[f].timeLimit);
        comparison.summaries.push_back(summarize(folders[f].label, columns[f], limits, everywhere, columns[0], f == 0));
    }
    comparison.virtualBest = summarize(msg::compareVirtualBest, best, bestLimits, everywhere, columns[0], false);
    comparison.profileRatios = profileRatios(best, columns);
    for (size_t f = 1; f < count; ++f) testAgainstReference(comparison, folders, f, comparison.summaries[f]);
    for (double seconds : kBracketSeconds) {
        if (brackets) comparison.brackets.push_back(bracket(folders, comparison, seconds));
    }
    return comparison;
}
