// Hand-made output folders for comparar's tests, and what their summary
// must hold, computed here from the formulas.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "test_support.h"

namespace compare_folders {

using namespace testing_support;

// The rows of a complete report, each ended by a line feed.
inline std::string completeRows(const std::vector<std::string>& rows) {
    std::string text;
    for (const std::string& row : rows) text += withLaterColumns(row) + "\n";
    return text;
}

// Two runs of one test set. base (the reference, limits/time = 10): a
// optimal in 2 s, b unbounded, c stopped by the time limit, d optimal, e
// only here, f optimal and checked. nova: a faster by 0,5 s, b 0,1 s
// faster, c solved, d a solve error, f a little faster with another Z
// checked wrong, g<i> only here, and a broken line.
inline void makeFolders(const fs::path& dir) {
    fs::create_directory(dir / "base");
    fs::create_directory(dir / "nova");
    writeFile(
        dir / "base" / "sol_stat_completo.csv",
        kCompleteHeader + completeRows({"a.lp;2,000000;SOL OTIMA;10,000000;10,000000;0,000000;50;100;5;5;3;2;NAO;",
                                        "\"b;\"\"x\"\".lp\";0,500000;PROBLEMA ILIMITADO;;;;0;3;2;0;1;0;NAO;",
                                        "c.lp;10,020000;PROCESSO INTERROMPIDO - LIMITE DE "
                                        "TEMPO;7,000000;4,000000;75,000000;900;5000;20;20;10;3;NAO;",
                                        "d.lp;3,000000;SOL OTIMA;100,000000;100,000000;0,000000;20;50;4;4;2;1;NAO;",
                                        "e.lp;0,100000;SOL OTIMA;1,000000;1,000000;0,000000;1;1;1;1;1;1;NAO;",
                                        "f.lp;1,000000;SOL OTIMA;4,000000;4,000000;0,000000;10;20;3;3;2;1;NAO;OK"}));
    writeFile(dir / "base" / "parametros.set",
              "# SCIP version 9.2.1\n\n# maximal time in seconds to run\n"
              "# [type: real, advanced: FALSE, range: [0,1e+20], default: 1e+20]\nlimits/time = 10\n");
    writeFile(dir / "nova" / "sol_stat_completo.csv",
              kCompleteHeader +
                  completeRows({"a.lp;1,500000;SOL OTIMA;10,000000;10,000000;0,000000;30;80;5;5;3;1;NAO;",
                                "\"b;\"\"x\"\".lp\";0,400000;PROBLEMA ILIMITADO;;;;0;3;2;0;1;0;NAO;",
                                "c.lp;4,000000;SOL OTIMA;5,000000;5,000000;0,000000;400;3000;20;20;10;2;NAO;",
                                "d.lp;0,000000;ERRO NA RESOLUCAO DO MODELO;;;;;;;;;;;"}) +
                  "quebrada.lp;x;SOL OTIMA\n" +
                  completeRows({"f.lp;0,950000;SOL OTIMA;4,500000;4,500000;0,000000;12;25;3;3;2;1;NAO;ERRADO",
                                "g<i>.lp;0,200000;PROBLEMA INFACTIVEL;;;;0;7;2;2;2;0;NAO;"}));
}

// A batch run under seeds 0, 2 and 10, limit 10 s, in dir/sementes. a:
// solved in 1, 3 and 2 s. b: 4 s, the limit, 6 s. c: 0,5 s twice, then a
// solve error. d: under the first seed only. And a folder that is no seed's.
inline fs::path makeSeedRun(const fs::path& dir) {
    const std::vector<std::vector<std::string>> seeds = {
        {"a.lp;1,000000;SOL OTIMA;10,000000;10,000000;0,000000;5;9;5;5;3;1;NAO;",
         "b.lp;4,000000;SOL OTIMA;2,000000;2,000000;0,000000;5;9;5;5;3;1;NAO;",
         "c.lp;0,500000;SOL OTIMA;3,000000;3,000000;0,000000;5;9;5;5;3;1;NAO;",
         "d.lp;0,500000;SOL OTIMA;3,000000;3,000000;0,000000;5;9;5;5;3;1;NAO;"},
        {"a.lp;3,000000;SOL OTIMA;10,000000;10,000000;0,000000;5;9;5;5;3;1;NAO;",
         "b.lp;10,000000;PROCESSO INTERROMPIDO - LIMITE DE TEMPO;2,000000;1,000000;50,000000;5;9;5;5;3;1;NAO;",
         "c.lp;0,500000;SOL OTIMA;3,000000;3,000000;0,000000;5;9;5;5;3;1;NAO;"},
        {"a.lp;2,000000;SOL OTIMA;10,000000;10,000000;0,000000;5;9;5;5;3;1;NAO;",
         "b.lp;6,000000;SOL OTIMA;2,000000;2,000000;0,000000;5;9;5;5;3;1;NAO;",
         "c.lp;0,000000;ERRO NA RESOLUCAO DO MODELO;;;;;;;;;;;"}};
    const fs::path run = dir / "sementes";
    for (size_t k = 0; k < seeds.size(); ++k) {
        // Seeds 0, 2 and 10: their order is the numbers', not the names'.
        const fs::path seed = run / ("semente-" + std::to_string(std::vector<int>{0, 2, 10}[k]));
        fs::create_directories(seed);
        writeFile(seed / "sol_stat_completo.csv", kCompleteHeader + completeRows(seeds[k]));
        writeFile(seed / "parametros.set", "limits/time = 10\n");
    }
    fs::create_directories(run / "semente-07");  // not a name the program writes
    return run;
}

// exp(mean(ln(v + shift))) - shift.
inline double shiftedMean(const std::vector<double>& values, double shift) {
    double sum = 0.0;
    for (double value : values) sum += std::log(value + shift);
    return std::exp(sum / static_cast<double>(values.size())) - shift;
}

inline std::string comma(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string result = text;
    std::replace(result.begin(), result.end(), '.', ',');
    return result;
}

// The means of the hand-made folders over a, b, c, d, f (present in both):
// an unsolved model counts base's limit of 10 s, or its own time when that
// is longer (c: 10,02 s); nova knows no limit, so its error counts its own
// 0 s, and so does its wrong f. Nodes: a, b, f, solved in both. The
// virtual best takes d and f (wrong in nova) from base, the rest from nova.
struct Expected {
    double timeBase = shiftedMean({2.0, 0.5, 10.02, 3.0, 1.0}, 1.0);
    double timeNova = shiftedMean({1.5, 0.4, 4.0, 0.0, 0.95}, 1.0);
    double timeBest = shiftedMean({1.5, 0.4, 4.0, 3.0, 1.0}, 1.0);
    double nodesBase = shiftedMean({50, 0, 10}, 100.0);
    double nodesNova = shiftedMean({30, 0, 12}, 100.0);
    double nodesBest = shiftedMean({30, 0, 10}, 100.0);
    // nova's times against base's (logarithms, 0 s counted as 0,01 s): five
    // pairs, all faster; scipy.stats.wilcoxon(..., zero_method="wilcox",
    // correction=False, method="approx") gives this.
    double pTimes = 0.043114446783075355;
};

}  // namespace compare_folders
