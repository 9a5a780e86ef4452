// The tests that say whether a difference is real.
#include "compare/statistics.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// ln C(n, k).
double logChoose(size_t n, size_t k) {
    return std::lgamma(static_cast<double>(n) + 1.0) - std::lgamma(static_cast<double>(k) + 1.0) -
           std::lgamma(static_cast<double>(n - k) + 1.0);
}

}  // namespace

std::optional<TestResult> wilcoxonSignedRank(const std::vector<double>& x, const std::vector<double>& y) {
    std::vector<double> differences;
    for (size_t i = 0; i < x.size() && i < y.size(); ++i) {
        if (x[i] != y[i]) differences.push_back(x[i] - y[i]);
    }
    const size_t n = differences.size();
    if (n == 0) return std::nullopt;
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return std::fabs(differences[a]) < std::fabs(differences[b]); });
    // Average ranks over runs of equal absolute differences; each run's t^3 - t for the variance.
    double plus = 0.0, ties = 0.0;
    for (size_t start = 0; start < n;) {
        size_t end = start;
        while (end < n && std::fabs(differences[order[end]]) == std::fabs(differences[order[start]])) ++end;
        const double rank = (static_cast<double>(start + 1) + static_cast<double>(end)) / 2.0;
        for (size_t i = start; i < end; ++i) plus += differences[order[i]] > 0.0 ? rank : 0.0;
        const double t = static_cast<double>(end - start);
        ties += t * t * t - t;
        start = end;
    }
    const double count = static_cast<double>(n);
    const double total = count * (count + 1.0) / 2.0;
    const double statistic = std::min(plus, total - plus);
    const double mean = count * (count + 1.0) / 4.0;
    const double variance = (count * (count + 1.0) * (2.0 * count + 1.0) - ties / 2.0) / 24.0;
    TestResult result;
    result.pairs = n;
    result.p = variance > 0.0 ? std::erfc(std::fabs(statistic - mean) / std::sqrt(variance) / std::sqrt(2.0)) : 1.0;
    result.p = std::min(1.0, result.p);
    return result;
}

TestResult mcNemarExact(size_t onlyFirst, size_t onlySecond) {
    TestResult result;
    const size_t n = onlyFirst + onlySecond;
    result.pairs = n;
    if (n == 0) return result;
    const size_t fewer = std::min(onlyFirst, onlySecond);
    double tail = 0.0;
    for (size_t i = 0; i <= fewer; ++i) tail += std::exp(logChoose(n, i) - static_cast<double>(n) * std::log(2.0));
    result.p = std::min(1.0, 2.0 * tail);
    return result;
}

std::optional<double> expectedFastest(std::vector<double> times, size_t k) {
    const size_t n = times.size();
    if (k == 0 || k > n) return std::nullopt;
    std::sort(times.begin(), times.end());
    double expected = 0.0;
    for (size_t i = 1; i + k <= n + 1; ++i) {
        expected += std::exp(logChoose(n - i, k - 1) - logChoose(n, k)) * times[i - 1];
    }
    return expected;
}
