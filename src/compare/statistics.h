// Whether a difference between two runs is real: the Wilcoxon signed-rank
// test on paired times and the exact McNemar test on solved/unsolved, and
// what racing seeds can win (the expected fastest of k seeds). Pure: no I/O.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

// A two-sided test's result: its p-value and the pairs it rests on.
struct TestResult {
    double p = 1.0;
    size_t pairs = 0;  // Wilcoxon: nonzero differences; McNemar: discordant pairs
};

// Below this many pairs a test says there are too few to tell.
inline constexpr size_t kFewestPairs = 10;

// The Wilcoxon signed-rank test of paired samples x and y (same length):
// zero differences dropped, tied absolute differences given their average
// rank, the variance corrected for ties, the normal approximation without
// continuity correction, two-sided. Nothing when no difference is left.
std::optional<TestResult> wilcoxonSignedRank(const std::vector<double>& x, const std::vector<double>& y);

// The exact two-sided McNemar test: `onlyFirst` pairs where only the first
// run solved, `onlySecond` where only the second did (the binomial test of
// the discordant pairs against one half). p = 1 without discordant pairs.
TestResult mcNemarExact(size_t onlyFirst, size_t onlySecond);

// The expected time of the fastest of `k` seeds drawn at random (without
// putting back) from the measured `times`: with T(1) <= ... <= T(n) sorted,
// the sum over i = 1 .. n-k+1 of C(n-i, k-1) / C(n, k) * T(i). Nothing when
// k is 0 or above the number of times.
std::optional<double> expectedFastest(std::vector<double> times, size_t k);
