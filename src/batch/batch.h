// The data of a batch: what it is run with, what it runs on, what one model's
// solve gives, and what the whole batch gives. Every module below the
// commands works on these types; none of them holds behaviour.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "batch/record.h"
#include "platform/files.h"

// How a solve ended, as the report tells it.
// ReadError: the model could not be read (or its reading ran far past the
// time limit). SolveError: it could not be solved (a SCIP call failed, SCIP
// could not be loaded, or the process that solved it died).
// The wire takes values up to the last one (visitFields below): a new value
// goes before it, or becomes the last there too.
enum class Outcome { TimeLimit, Optimal, Infeasible, Unbounded, InfeasibleOrUnbounded, Other, ReadError, SolveError };

// A known result of a test set (SCIP's .solu format).
struct Reference {
    enum Kind { Optimal, Best, Infeasible, Unbounded, Feasible, Unknown };
    Kind kind = Unknown;
    double value = 0.0;  // Optimal and Best
};
// By model name without "." and its format ending (".lp" for LP files).
using KnownResults = std::map<std::string, Reference>;

// What a batch is run with.
struct BatchSettings {
    // Seconds allowed for each model solve; 0.0 means no limit.
    double timeLimit = 0.0;
    // Models solved at once, each in its own worker process; 0 means one per
    // CPU that the program may run on.
    int jobs = 0;
    // SCIP's memory limit per worker in MB; 0 means the available memory
    // shared out among the workers.
    double memoryLimitMb = 0.0;
    // Known results to check the answers against (--solu), and their file; none: no check.
    std::shared_ptr<const KnownResults> knownResults;
    std::string knownResultsFile;
    // SCIP's parameters for every model, as SCIP writes the ones that differ
    // from its defaults ("name = value" lines), checked before the batch
    // starts; empty: SCIP's defaults.
    std::string scipParameters;
    // What counts as a model: an entry whose name ends in one of these.
    std::vector<std::string> formats{"lp"};
    // SCIP's own log of each model is kept in the output folder.
    bool keepLogs = false;
    // SCIP's random seed (--semente) the models are solved under; none: SCIP's own.
    std::optional<int> seed;
    // --corrida: idle workers race the running models under other seeds.
    bool race = false;
    // A racing copy's seed, applied after the model's own settings file.
    std::optional<int> racerSeed;
    // A racing copy's deadline: its time limit is what is left of it once
    // its model is read (so that no copy runs past the first copy's limit).
    std::optional<std::chrono::steady_clock::time_point> racerDeadline;
};

// The SCIP settings asked for on the command line, before SCIP checked them.
struct ScipRequest {
    std::string parameterFile;            // --parametros: a settings file in SCIP's format
    std::vector<std::string> parameters;  // -p NOME=VALOR, in the order given
    std::string variantFile;              // a variant's settings file, after the two above ("": none)
    std::optional<int> seed;              // --semente
};

// Part `index` (1 to `count`) of a batch: the entries whose position in the
// folder listing is index-1 modulo count.
struct Shard {
    int index = 0;
    int count = 0;
};

// Whether a batch starts afresh or keeps the rows of an earlier run.
enum class Resume { No, KeepRows };

// Whether SCIP started from a solution found in the initial-solution folder.
// The wire takes values up to the last one (visitFields below).
enum class InitialSolution { None, Stored, Rejected };
// What became of a model's solution file in the output folder.
// The wire takes values up to the last one (visitFields below).
enum class SolutionFile { Untouched, Written, Removed, WriteFailed, RemoveFailed };
// The solution file checked against its model (VERIFICADA): None without
// a solution; NotChecked when the check could not run.
// The wire takes values up to the last one (visitFields below).
enum class Verification { None, Yes, No, NotChecked };
// The answer checked against a known result (CONFERE); None: no known
// results. Compatible: stopped by a limit, and nothing contradicts the
// known value; Better: a solution better than the best known.
enum class Check { None, Ok, Wrong, NoReference, Compatible, Better };
// Why an answer is Wrong (MOTIVO), as bits (kReason…): the primal bound, the dual
// bound, the status, the solution found infeasible when checked.
inline constexpr unsigned kReasonValue = 1, kReasonDualBound = 2, kReasonStatus = 4, kReasonInfeasibleSolution = 8;

// What the solve of one model gives, as data.
struct ModelResult {
    std::string name;  // the model's file name
    Outcome outcome = Outcome::Other;
    // False for a model that SCIP did not read or whose process ended without
    // reporting: it has no values beyond its time and outcome.
    bool fromScip = false;
    int scipMajorVersion = 0;  // with scipStatus: how SCIP said the solve ended
    int scipStatus = 0;
    std::string statusText;  // with fromScip: the complete report's STATUS, read with the two above (readScipResult)
    double seconds = 0.0;
    // As SCIP gives them once the model is solved (SCIP's infinity included);
    // nothing before that.
    std::optional<double> primalBound, dualBound, gap;
    bool hasSolution = false;  // SCIP holds at least one solution
    bool minimize = true;      // the objective sense
    long long nodes = 0, lpIterations = 0, solutions = 0;
    // SCIP's primal-dual integral of the solve (its unit: percent times
    // seconds), and the solving seconds when the first and the best solution
    // were found; nothing without a solve, or without a solution.
    std::optional<double> primalDualIntegral, firstSolutionSeconds, bestSolutionSeconds;
    int variables = 0, integers = 0, constraints = 0;
    InitialSolution initialSolution = InitialSolution::None;
    SolutionFile solutionFile = SolutionFile::Untouched;
    bool logLost = false;                        // its SCIP log was asked for and could not be kept
    std::optional<FileStamp> stamp;              // the model file as it was read
    std::optional<int> seed;                     // SCIP's random seed it was solved under (none: SCIP's own)
    Verification verified = Verification::None;  // its solution file checked against the model
    Check check = Check::None;                   // set by the program that runs the batch
    unsigned checkReasons = 0;                   // kReason… bits of a Wrong check
    std::string out, err;                        // what its solve printed on each stream
};

// `visitFields(s, f)` lists a struct's fields, for reading and for writing
// it alike (process/codec.h sends a model's result from its worker so):
// `f(field)` each, `f(field, LastValue)` for an enumeration (IfFieldsOf: batch/record.h).

template <typename S, typename F, IfFieldsOf<S, FileStamp> = 0>
void visitFields(S& s, F&& f) {
    f(s.size);
    f(s.modifiedNs);
}

// Every field the worker sends; CONFERE and the console text are the
// receiving program's.
template <typename S, typename F, IfFieldsOf<S, ModelResult> = 0>
void visitFields(S& r, F&& f) {
    f(r.name);
    f(r.outcome, Outcome::SolveError);
    f(r.fromScip);
    f(r.scipMajorVersion);
    f(r.scipStatus);
    f(r.statusText);
    f(r.seconds);
    f(r.primalBound);
    f(r.dualBound);
    f(r.gap);
    f(r.hasSolution);
    f(r.minimize);
    f(r.nodes);
    f(r.lpIterations);
    f(r.solutions);
    f(r.variables);
    f(r.integers);
    f(r.constraints);
    f(r.initialSolution, InitialSolution::Rejected);
    f(r.solutionFile, SolutionFile::RemoveFailed);
    f(r.logLost);
    f(r.stamp);
    f(r.seed);
    f(r.verified, Verification::NotChecked);
    f(r.primalDualIntegral);
    f(r.firstSolutionSeconds);
    f(r.bestSolutionSeconds);
}

template <typename S, typename F, IfFieldsOf<S, ScipRequest> = 0>
void visitFields(S& s, F&& f) {
    f(s.parameterFile);
    f(s.parameters);
    f(s.variantFile);
    f(s.seed);
}

// The settings a worker is told with each job: the known results stay with
// the program, which checks the answers, and a racing copy's deadline is
// the worker's own (from its task's time limit).
template <typename S, typename F, IfFieldsOf<S, BatchSettings> = 0>
void visitFields(S& s, F&& f) {
    f(s.timeLimit);
    f(s.jobs);
    f(s.memoryLimitMb);
    f(s.knownResultsFile);
    f(s.scipParameters);
    f(s.formats);
    f(s.keepLogs);
    f(s.seed);
    f(s.race);
    f(s.racerSeed);
}

// A model's rows from an earlier run of the batch (--retomar).
struct KeptRow {
    std::vector<std::string> lines;  // one per report, in this program's layout
    bool failed = false;             // its status is a read or solve error
    Check check = Check::None;
    std::optional<FileStamp> stamp;  // the model file its row was made from
};

// One output folder of a batch and what goes into it: a batch has one; a
// batch under several seeds (--sementes) one per seed, "semente-K".
struct BatchTarget {
    std::string folder;
    std::string label;                        // after "MODELO i" on its blocks ("": none)
    std::string variant;                      // its variant's name (--variantes; "": none)
    BatchSettings settings;                   // its seed and SCIP parameters
    std::map<std::string, KeptRow> keptRows;  // by model name: not solved again
    std::optional<BatchRecord> record;        // written once the workers are known
    EarlierTimes earlier;                     // what the models took before, if known
};

struct BatchPlan {
    std::vector<std::string> modelPaths;  // the folder's entries, in listing order, or a list's models in its order
    std::string modelList;                // the list file that named them ("": a folder)
    std::vector<bool> solve;              // per entry: part of this run (empty: all)
    std::optional<Shard> shard;           // the reports are this part's
    std::optional<EarlierTimes> history;  // the times that order every target's hand-out, when given
    // Every model once per target, all pairs in one pool; shown in listing order, then target order.
    std::vector<BatchTarget> targets;
};

// A batch under n targets: entry e is model e / n under target e % n.
inline size_t entryOf(size_t model, size_t target, size_t targets) { return model * targets + target; }
inline size_t modelOf(size_t entry, size_t targets) { return entry / targets; }
inline size_t targetOf(size_t entry, size_t targets) { return entry % targets; }

// What a batch gives.
struct BatchResult {
    size_t entries = 0;     // entries of this run
    size_t finished = 0;    // entries whose block was printed
    int interruptedBy = 0;  // SIGINT or SIGTERM when the batch was stopped, else 0
    bool anyError = false;  // a model not read or not solved, or a file not written
    // Per target: the folder positions of its reports' rows, in order.
    std::vector<std::vector<size_t>> rowPositions;
    // Answers checked against known results: OK, COMPATIVEL, MELHOR, ERRADO, SEM REFERENCIA.
    size_t agree = 0, compatible = 0, better = 0, wrong = 0, unreferenced = 0;
    size_t workers = 0;              // worker processes the batch was shared out among
    double memoryPerWorkerMb = 0.0;  // SCIP's memory limit in each (0: none)
};

// The solve of one model in a worker process: nothing for an entry that is
// not a model or gives no row. `solveStarting` is called just before SCIP
// starts to solve, and again before the solution is checked.
using SolveFunction = std::optional<ModelResult> (*)(std::string modelPath, const std::string& outputFolder,
                                                     const BatchSettings& settings,
                                                     const std::function<void(const std::string&)>& solveStarting);
