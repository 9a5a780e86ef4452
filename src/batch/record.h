// How a batch is solved, as its record in each output folder tells it: the
// SCIP it runs on, its settings, and the earlier times that order its
// hand-out. Part of the data of a batch (batch.h), which includes it.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

// `visitFields(s, f)` lists a struct's fields, for reading and for writing
// it alike: `f(field)` each, `f(field, LastValue)` for an enumeration.
template <typename S, typename T>
using IfFieldsOf = std::enable_if_t<std::is_same_v<std::remove_const_t<S>, T>, int>;

// The SCIP a batch runs on, as its shared library tells it; all "" when
// it could not be loaded (or an older record did not say).
struct ScipBuild {
    std::string version;   // "10.0.0"
    std::string gitHash;   // the commit SCIP was built from
    std::string library;   // the shared library's path, as loaded
    std::string digest;    // the library file's digest (fnv1aDigest): the same SCIP wherever it lies
    std::string lpSolver;  // SCIP's LP solver, its name and version
};
template <typename S, typename F, IfFieldsOf<S, ScipBuild> = 0>
void visitFields(S& s, F&& f) {
    f(s.version);
    f(s.gitHash);
    f(s.library);
    f(s.digest);
    f(s.lpSolver);
}

// The record's times: local time with its offset from UTC.
inline constexpr const char* kRecordTimeFormat = "%Y-%m-%d %H:%M:%S %z";

// How a batch is solved, as its record in the output folder tells it
// besides the workers and their memory.
struct BatchRecord {
    std::string programVersion, glpkVersion;
    ScipBuild scip;
    std::string commandLine;  // as typed, each word quoted for a shell where needed
    std::string modelList;    // the list file the models were named in ("": a folder's entries)
    // --variantes: this folder's variant, its settings file ("": SCIP's
    // defaults), and every variant of the batch in the order they are handed out.
    std::string variant, variantFile, variantOrder;
    std::string host;
    std::string startTime;     // local time, with its offset from UTC (kRecordTimeFormat)
    std::string endTime;       // when its run ended, stopped or not ("": not yet)
    size_t keptRows = 0;       // rows kept from an earlier run (--retomar), over every part of this run
    double timeLimit = 0.0;    // -t (0: none)
    bool memoryGiven = false;  // --memoria (else the memory share)
    std::vector<std::string> formats;
    std::optional<int> seed;
    bool race = false;                            // --corrida
    std::string knownResultsFile;                 // --solu ("": none)
    std::vector<std::string> modelSettingsFiles;  // x.set beside x.lp, for that model alone
    std::string changedParameters;                // SCIP's "name = value" lines, without limits/memory
};

// The times of an earlier complete report, which order the hand-out: the longest expected first.
struct EarlierTimes {
    std::string report;                     // the file they were read from; "": none
    std::map<std::string, double> seconds;  // TEMPO, by model name
};
