// Whether two folders differ in time, in work or both, and whether they ran
// side by side: the machine's load changes the one, not the other.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "compare/comparison.h"

namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long long daysFromCivil(long long year, unsigned month, unsigned day) {
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

// A test that finds a real difference: enough pairs, and p under 5 % as shown.
bool real(const std::optional<TestResult>& test) {
    return test && test->pairs >= kFewestPairs && std::round(test->p * 10000.0) / 10000.0 < 0.05;
}

}  // namespace

std::optional<double> recordTimeSeconds(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, zone = 0, used = 0;
    char sign = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d %c%4d%n", &year, &month, &day, &hour, &minute, &second,
                    &sign, &zone, &used) != 8 ||
        static_cast<size_t>(used) != text.size() || (sign != '+' && sign != '-') || month < 1 || month > 12 ||
        day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60 || zone % 100 > 59) {
        return std::nullopt;
    }
    const double offset = (zone / 100 * 3600 + zone % 100 * 60) * (sign == '-' ? -1.0 : 1.0);
    const long long days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    return static_cast<double>(days * 86400 + hour * 3600 + minute * 60 + second) - offset;
}

RunTogether runTogether(const RunTimes& a, const RunTimes& b) {
    if (!a.batch.empty() && a.batch == b.batch) return RunTogether::OneBatch;
    if (!a.start || !a.end || !b.start || !b.end) return RunTogether::Unknown;
    // The record's times are whole seconds: a batch started in the second the other ended ran after it.
    return *a.start < *b.end && *b.start < *a.end ? RunTogether::Overlapping : RunTogether::Apart;
}

void testWork(const Comparison& comparison, size_t f, FolderSummary& summary) {
    std::vector<double> nodes, referenceNodes, iterations, referenceIterations;
    const auto logWork = [](double value) { return std::log(std::max(value, 1.0)); };
    for (const ModelComparison& model : comparison.models) {
        if (!model.rows[0] || !model.rows[f] || !solvedRight(*model.rows[0]) || !solvedRight(*model.rows[f])) continue;
        const ComparedRow &here = *model.rows[f], &there = *model.rows[0];
        if (here.nodes && there.nodes) {
            nodes.push_back(logWork(*here.nodes));
            referenceNodes.push_back(logWork(*there.nodes));
        }
        if (here.lpIterations && there.lpIterations) {
            iterations.push_back(logWork(*here.lpIterations));
            referenceIterations.push_back(logWork(*there.lpIterations));
        }
    }
    summary.nodesTest = wilcoxonSignedRank(nodes, referenceNodes);
    summary.iterationsTest = wilcoxonSignedRank(iterations, referenceIterations);
    summary.workModels = std::max(nodes.size(), iterations.size());
}

DifferenceKind differenceKind(const FolderSummary& summary) {
    // Models solved on one side only are work done differently too.
    const bool time = real(summary.timeTest),
               work = real(summary.nodesTest) || real(summary.iterationsTest) || real(summary.solvedTest);
    const bool timeTestable = summary.timeTest && summary.timeTest->pairs >= kFewestPairs;
    const bool workTestable = summary.workModels >= kFewestPairs;
    if (time && work) return DifferenceKind::TimeAndWork;
    if (time) return workTestable ? DifferenceKind::TimeOnly : DifferenceKind::TimeWorkUntested;
    if (work) return DifferenceKind::WorkOnly;
    return timeTestable || workTestable ? DifferenceKind::None : DifferenceKind::TooFew;
}
