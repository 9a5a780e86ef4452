// The comparison of batches (comparar): the complete reports of output
// folders read into rows, models matched by name, and the summary of each
// folder against the first, the reference. Pure: no I/O.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "compare/statistics.h"

// What a STATUS text of the complete report means for a comparison.
// Solved: optimal, infeasible, unbounded, infeasible or unbounded.
// Limit: stopped by a limit (time, nodes, memory, gap …).
// Error: not read or not solved. Other: interrupted, terminated, unknown.
enum class StatusKind { Solved, Limit, Error, Other };
StatusKind statusKind(const std::string& status);

// One row of a complete report, as far as a comparison needs it.
struct ComparedRow {
    std::string name;
    double seconds = 0.0;
    std::string status;
    StatusKind kind = StatusKind::Other;
    std::optional<double> z;             // Z: the best solution's value
    std::optional<double> nodes;         // NOS
    std::optional<double> lpIterations;  // ITERACOES_LP
    Check check = Check::None;           // CONFERE
    std::optional<double> dual;          // LIMITE_DUAL (empty when infinite)
    std::optional<bool> minimize;        // SENTIDO (older reports: not known)
    std::optional<double> integral;      // INTEGRAL_PD (older reports: not known)
};
// Whether two folders' rows of one model contradict each other (beyond
// CONFERE's tolerance): both optimal with values apart, one infeasible and
// the other with a solution or optimal or unbounded, or one's dual bound
// beyond the other's solution in the objective's sense (when both rows
// give the same sense).
bool contradict(const ComparedRow& a, const ComparedRow& b);

// A complete report read back: its rows, and the lines that are not rows
// of its format (left out).
struct CompleteReport {
    std::vector<ComparedRow> rows;
    std::vector<std::string> badLines;
    std::vector<std::string> repeatedNames;  // a name of an earlier row again (the later row counts)
};
// The longest time a report row may hold (about 30 years).
inline constexpr double kLongestSeconds = 1e9;
// Read by header name: nothing when the header lacks NOME, TEMPO, STATUS or
// every column that only the complete report has (sol_stat.csv is not one).
std::optional<CompleteReport> parseCompleteReport(const std::string& text);

// The time limit of a SCIP settings file ("name = value" lines, "#"
// comments): the value of its limits/time line, a plain number. Nothing
// when there is no such line, or it is SCIP's infinity (1e20) or not a
// positive number (then `unreadable` holds the value as written).
struct SettingsTimeLimit {
    std::optional<double> seconds;
    std::optional<std::string> unreadable;
};
SettingsTimeLimit settingsTimeLimit(const std::string& text);

// When a folder's batch ran, as far as its record and report tell: from its
// start (seconds since 1970) to its complete report's last write; and, for
// a variant, the batch it is a variant of ("": none).
struct RunTimes {
    std::optional<double> start, end;
    std::string batch;
};
// How a folder's runs and the reference's met in time: variants of one
// batch (side by side), separate batches at overlapping times, separate
// batches one after the other, or not known.
enum class RunTogether { Unknown, OneBatch, Overlapping, Apart };

// One output folder: its label, its time limit and SCIP if known, its rows.
struct ComparedFolder {
    std::string label;
    std::optional<double> timeLimit;
    std::vector<ComparedRow> rows;
    ScipBuild scip{};  // as its record names it
    RunTimes ran{};
};

// exp(mean(ln(v + shift))) - shift; nothing for no values.
std::optional<double> shiftedGeometricMean(const std::vector<double>& values, double shift);
// Solved, and not found wrong against a known result: a wrong answer is
// no solve in wins, losses, the virtual best and the profile.
bool solvedRight(const ComparedRow& row);
// The time a model is charged in the mean: its own time when solved right,
// else the folder's time limit, or its own time when that is longer or no
// limit is known.
double chargedSeconds(const ComparedRow& row, const std::optional<double>& timeLimit);
// +1 when `a` beats `b` (solved where `b` is not, or both solved and `a`
// faster by at least 10 % and at least 0.2 s), -1 when `b` beats `a`, 0 otherwise.
int duel(bool aSolved, double aSeconds, bool bSolved, double bSeconds);

// One model across the folders.
struct ModelComparison {
    std::string name;
    std::vector<std::optional<ComparedRow>> rows;  // per folder; nothing where it is missing
    bool inEvery = false;                          // present in every folder
    bool inconsistent = false;                     // two of its folders' rows contradict each other (contradict)
};

// The summary of a folder over the models present in every folder.
struct FolderSummary {
    std::string label;
    size_t models = 0, solved = 0, limits = 0, errors = 0, wrong = 0;
    std::optional<double> meanSeconds;   // shift 1 s
    std::optional<double> meanNodes;     // shift 100, models solved in every folder
    std::optional<double> meanIntegral;  // shift kIntegralShift, models with an integral in every folder
    size_t wins = 0, losses = 0;         // against the reference
    // Against the reference, over the models both hold (nothing for the
    // reference and the virtual best): the Wilcoxon signed-rank test on
    // the logarithms of the charged times, floored as the profile floors
    // them (nothing without a nonzero difference), and McNemar's on solved.
    std::optional<TestResult> timeTest;
    std::optional<TestResult> solvedTest;
    // The same test on the logarithms of the primal-dual integrals (floored
    // at kIntegralFloor), over the models both give one for.
    std::optional<TestResult> integralTest;
    size_t integralModels = 0;  // the models both give an integral for (0: no data, as from older reports)
    // The work: the same test on the logarithms of the nodes and of the LP
    // iterations (floored at 1), over the models both solved right, and
    // when the two folders ran (nothing for the reference).
    std::optional<TestResult> nodesTest, iterationsTest;
    size_t workModels = 0;
    RunTogether together = RunTogether::Unknown;
};

// The primal-dual integral's shift in its mean, and its floor in the test
// (percent times seconds): a second, and a hundredth of one, at a gap of 100 %.
inline constexpr double kIntegralShift = 100.0;
inline constexpr double kIntegralFloor = 1.0;

// The summary of the harder models: those that at least one folder solved
// and at least one folder needed `seconds` or more for.
struct BracketSummary {
    double seconds = 0.0;
    size_t models = 0;
    std::vector<FolderSummary> summaries;  // per folder
    FolderSummary virtualBest;
};
// The thresholds of the brackets, in seconds.
inline constexpr double kBracketSeconds[] = {1.0, 10.0, 100.0};

// Times under this count as this in the performance profile, so that
// ratios between times too small to measure mean nothing.
inline constexpr double kProfileFloorSeconds = 0.01;

struct Comparison {
    std::vector<std::string> labels;  // per folder
    std::vector<std::optional<double>> timeLimits;
    std::vector<ScipBuild> scips;          // per folder
    std::vector<ModelComparison> models;   // the reference's order, then models only the others have
    std::vector<FolderSummary> summaries;  // per folder
    FolderSummary virtualBest;             // each model from its best folder
    // Per folder, ascending: the ratio of its time to the best folder's
    // time for each model present everywhere that it solved.
    std::vector<std::vector<double>> profileRatios;
    std::vector<BracketSummary> brackets;  // one per threshold of kBracketSeconds
    size_t inconsistent = 0;               // models whose folders contradict each other
};
// Whether any model of `folder` was checked (CONFERE), and whether any
// model's folders contradict each other: the columns shown.
bool anyCheck(const Comparison& comparison, size_t folder);
// A record's start time ("2026-12-09 14:26:04 +0000") in seconds since 1970; nothing when it is not one.
std::optional<double> recordTimeSeconds(const std::string& text);
// How two folders' runs met in time (RunTogether).
RunTogether runTogether(const RunTimes& a, const RunTimes& b);
// The work tests of folder `f` against the reference (`summary`'s nodesTest, iterationsTest, workModels).
void testWork(const Comparison& comparison, size_t f, FolderSummary& summary);
// What kind of difference the tests find: none; in time and work (a real
// difference in nodes, LP iterations or models solved); in time with the
// same work; in work only; too few pairs to say; in time, with too few
// models both solved to test the work.
enum class DifferenceKind { None, TimeAndWork, TimeOnly, WorkOnly, TooFew, TimeWorkUntested };
DifferenceKind differenceKind(const FolderSummary& summary);
bool anyInconsistent(const Comparison& comparison);
// Each folder's SCIP as the comparison names it: "SCIP 10.0.2", with its
// library's path where another folder has the same version but another
// library ("SCIP 10.0.2, /path/libscip.so"); "" when its record does not say.
std::vector<std::string> scipNames(const Comparison& comparison);
// The whole comparison; `folders` holds at least one folder, the first is
// the reference. With `brackets`, the summaries of the harder models too.
Comparison buildComparison(const std::vector<ComparedFolder>& folders, bool brackets = true);
