// The comparison of batches: statuses, reports and settings read back, wins,
// means, the virtual best and the profile, and what the page escapes.
#include <gtest/gtest.h>

#include <cmath>

#include "text/messages.h"
#include "compare/comparison.h"
#include "compare/seed_runs.h"
#include "compare/comparison_charts.h"
#include "compare/comparison_html.h"
#include "compare/comparison_text.h"
#include "compare/model_table.h"
#include "text/settings_line.h"
#include "text/format.h"
#include "reports/report_rows.h"
#include "scip/scip_status.h"
#include "reports/report_table.h"
#include "reports/batch_record.h"

#include "test_texts.h"

using testing_support::kCompleteHeader;
using testing_support::kReportHeader;

namespace {

ComparedRow row(const std::string& name, double seconds, const std::string& status, std::optional<double> z = {},
                std::optional<double> nodes = {}) {
    ComparedRow r;
    r.name = name;
    r.seconds = seconds;
    r.status = status;
    r.kind = statusKind(status);
    r.z = z;
    r.nodes = nodes;
    return r;
}

}  // namespace

TEST(StatusKind, EveryStatusTheReportsWriteHasItsKind) {
    // Every status of both numberings of SCIP's codes, as the complete report writes it.
    for (int major : {9, 10}) {
        for (int code = 0; code <= 31; ++code) {
            const std::string text = completeStatusText(major, code);
            const std::optional<Outcome> outcome = outcomeFromScipStatus(major, code);
            const bool solved = outcome == Outcome::Optimal || outcome == Outcome::Infeasible ||
                                outcome == Outcome::Unbounded || outcome == Outcome::InfeasibleOrUnbounded;
            const bool limit = text.rfind("PROCESSO INTERROMPIDO - ", 0) == 0;
            const StatusKind expected = solved ? StatusKind::Solved : limit ? StatusKind::Limit : StatusKind::Other;
            EXPECT_EQ(statusKind(text), expected) << major << " " << code << " " << text;
        }
    }
    EXPECT_EQ(statusKind("ERRO NA LEITURA DO MODELO"), StatusKind::Error);
    EXPECT_EQ(statusKind("ERRO NA RESOLUCAO DO MODELO"), StatusKind::Error);
    EXPECT_EQ(statusKind(""), StatusKind::Other);
    EXPECT_EQ(shortStatus("PROCESSO INTERROMPIDO - LIMITE DE GAP"), "LIMITE DE GAP");
    EXPECT_EQ(shortStatus("PROBLEMA ILIMITADO OU INFACTIVEL"), "ILIMITADO OU INFACTIVEL");
    EXPECT_EQ(shortStatus("ERRO NA LEITURA DO MODELO"), "ERRO NA LEITURA");
}

TEST(CompleteReport, RowsTheBatchWritesAreReadBackAndOthersLeftOut) {
    ModelResult solved;
    solved.name = "a;\"b\"\n.lp";
    solved.seconds = 1.25;
    solved.outcome = Outcome::Optimal;
    solved.fromScip = true;
    solved.scipMajorVersion = 10;
    solved.scipStatus = 1;
    solved.statusText = completeStatusText(10, 1);
    solved.primalBound = solved.dualBound = -3.5;
    solved.gap = 0.0;
    solved.nodes = 42;
    solved.check = Check::Wrong;
    ModelResult unread;
    unread.name = "c.lp";
    unread.outcome = Outcome::ReadError;
    const std::string text = kCompleteHeader + tableRow(completeReport(), solved) + "\n" +
                             tableRow(completeReport(), unread) + "\n" + "d.lp;1,0;SOL OTIMA\n" +
                             "e.lp;-1,000000;SOL OTIMA;;;;;;;;;;;\n";
    const std::optional<CompleteReport> report = parseCompleteReport(text);
    ASSERT_TRUE(report);
    ASSERT_EQ(report->rows.size(), 2u);
    const ComparedRow& a = report->rows[0];
    EXPECT_EQ(a.name, solved.name);
    EXPECT_EQ(a.seconds, 1.25);
    EXPECT_EQ(a.status, "SOL OTIMA");
    EXPECT_EQ(a.kind, StatusKind::Solved);
    EXPECT_EQ(a.z, -3.5);
    EXPECT_EQ(a.nodes, 42.0);
    EXPECT_EQ(a.check, Check::Wrong);
    EXPECT_EQ(report->rows[1].kind, StatusKind::Error);
    EXPECT_FALSE(report->rows[1].z);
    EXPECT_EQ(report->badLines,
              (std::vector<std::string>{"d.lp;1,0;SOL OTIMA", "e.lp;-1,000000;SOL OTIMA;;;;;;;;;;;"}));
    // sol_stat.csv, or no header at all, is not a complete report.
    EXPECT_FALSE(parseCompleteReport(kReportHeader + "a.lp;1,000000;SOL OTIMA;2,000000;\n"));
    EXPECT_FALSE(parseCompleteReport(""));
}

TEST(SettingsTimeLimit, TheLimitsTimeLineOfASettingsFile) {
    EXPECT_EQ(settingsTimeLimit("limits/gap = 0.01\r\n  limits/time=2.5  \r\n").seconds, 2.5);
    EXPECT_EQ(settingsTimeLimit("limits/time = 5\nlimits/time = 7.25\n").seconds, 7.25);  // as SCIP reads it
    EXPECT_FALSE(settingsTimeLimit("# limits/time = 10\nlimits/timeout = 3\n").seconds);
    const SettingsTimeLimit infinite = settingsTimeLimit("limits/time = 1e+20\n");  // SCIP's "no limit"
    EXPECT_FALSE(infinite.seconds || infinite.unreadable);
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"limits/time = 2,5\n", "2,5"}, {"limits/time = -1\n", "-1"}, {"limits/time =\n", ""}};
    for (const auto& [text, value] : bad) {
        const SettingsTimeLimit limit = settingsTimeLimit(text);
        EXPECT_FALSE(limit.seconds) << text;
        EXPECT_EQ(limit.unreadable, value) << text;
    }
}

// One reader of a settings line serves the check of a model's settings file
// (which parameter it names, whether it is an emphasis) and comparar.
TEST(SettingsLine, NameValueEmphasisAndBlanks) {
    for (const char* blank : {"", " \t ", "# limits/time = 5", "   # x: y"}) {
        EXPECT_EQ(parseSettingsLine(blank).kind, SettingsLine::Blank) << blank;
    }
    const SettingsLine plain = parseSettingsLine("  limits/gap\t=  0.01 \r");
    EXPECT_EQ(plain.kind, SettingsLine::Parameter);
    EXPECT_EQ(plain.name, "limits/gap");
    EXPECT_EQ(plain.value, std::optional<std::string>("0.01"));
    EXPECT_EQ(parseSettingsLine("limits/time=3#later").name, "limits/time");
    // Only blanks between the name and its "=": anything else leaves no value.
    for (const char* odd : {"limits/time x = 5", "limits/time#c = 5", "limits/time # = 5"}) {
        EXPECT_EQ(parseSettingsLine(odd).value, std::nullopt) << odd;
        EXPECT_FALSE(settingsTimeLimit(std::string(odd) + "\n").seconds) << odd;
    }
    EXPECT_EQ(parseSettingsLine("limits/time\r= 5").value, std::optional<std::string>("5"));
    EXPECT_EQ(parseSettingsLine("limits/time=").value, std::optional<std::string>(""));
    EXPECT_EQ(parseSettingsLine("misc/catchctrlc").value, std::nullopt);  // a name alone: SCIP refuses the value
    for (const char* emphasis : {"emphasis: optimality", "presolving  : aggressive"}) {
        EXPECT_EQ(parseSettingsLine(emphasis).kind, SettingsLine::Emphasis) << emphasis;
    }
}

TEST(Duel, TenPercentAndTwoTenthsOfASecondBothNeeded) {
    EXPECT_EQ(duel(true, 1.8, true, 2.0), 1);  // exactly 0,2 s and 10 %
    EXPECT_EQ(duel(true, 2.0, true, 1.8), -1);
    EXPECT_EQ(duel(true, 1.81, true, 2.0), 0);   // under 0,2 s
    EXPECT_EQ(duel(true, 9.0, true, 10.0), 1);   // exactly 10 %
    EXPECT_EQ(duel(true, 9.01, true, 10.0), 0);  // under 10 %
    EXPECT_EQ(duel(true, 30.0, false, 1.0), 1);  // solved beats unsolved, whatever the times
    EXPECT_EQ(duel(false, 1.0, true, 30.0), -1);
    EXPECT_EQ(duel(false, 1.0, false, 30.0), 0);
    EXPECT_EQ(chargedSeconds(row("a", 3.0, "SOL OTIMA"), 10.0), 3.0);
    // An unsolved model: the limit, or its own time when longer (kept from a run under a longer limit).
    EXPECT_EQ(chargedSeconds(row("a", 0.5, "ERRO NA LEITURA DO MODELO"), 10.0), 10.0);
    EXPECT_EQ(chargedSeconds(row("a", 100.0, "PROCESSO INTERROMPIDO - LIMITE DE TEMPO"), 10.0), 100.0);
    EXPECT_EQ(chargedSeconds(row("a", 0.0, "ERRO NA LEITURA DO MODELO"), std::nullopt), 0.0);
    // The virtual best is chosen by charged times, not by the times written.
    const std::string timeLimit = "PROCESSO INTERROMPIDO - LIMITE DE TEMPO";
    const ComparedFolder x{"x", 5.0, {row("q", 5.0, timeLimit)}};
    const ComparedFolder y{"y", 100.0, {row("q", 1.0, "PROCESSO INTERROMPIDO - LIMITE DE NOS")}};
    EXPECT_NEAR(*buildComparison({x, y}).virtualBest.meanSeconds, 5.0, 1e-12);
    EXPECT_NEAR(*shiftedGeometricMean({0.0, 3.0}, 1.0), 1.0, 1e-12);  // sqrt(1 * 4) - 1
    EXPECT_FALSE(shiftedGeometricMean({}, 1.0));
}

TEST(Comparison, VirtualBestOptimaApartAndTheProfile) {
    const std::string limit = "PROCESSO INTERROMPIDO - LIMITE DE TEMPO";
    ComparedFolder a{"a",
                     60.0,
                     {row("m1", 4.0, "SOL OTIMA", 10.0, 5), row("m2", 60.1, limit), row("m3", 1.0, "SOL OTIMA", 1.0, 1),
                      row("m4", 0.0, "ERRO NA LEITURA DO MODELO")}};
    ComparedFolder b{"b",
                     std::nullopt,
                     {row("m5", 1.0, "SOL OTIMA"), row("m1", 2.0, "SOL OTIMA", 10.000001, 9),
                      row("m2", 20.0, "SOL OTIMA", 3.0), row("m3", 0.001, "SOL OTIMA", 1.1, 3), row("m4", 5.0, limit)}};
    const Comparison c = buildComparison({a, b});
    ASSERT_EQ(c.models.size(), 5u);
    EXPECT_EQ(c.models[4].name, "m5");  // the reference's models first
    EXPECT_FALSE(c.models[4].inEvery);
    EXPECT_FALSE(c.models[0].inconsistent);  // within the tolerance of CONFERE
    EXPECT_FALSE(c.models[1].inconsistent);  // only one claims optimality
    EXPECT_TRUE(c.models[2].inconsistent);
    EXPECT_EQ(c.inconsistent, 1u);
    // m1 and m3 from b (faster), m2 from b (solved), m4 from b (a limit before an error).
    const FolderSummary& best = c.virtualBest;
    EXPECT_EQ(best.limits, 1u);
    EXPECT_NEAR(*best.meanSeconds, std::exp((std::log(3.0) + std::log(21.0) + std::log(1.001) + std::log(6.0)) / 4) - 1,
                1e-12);
    EXPECT_NEAR(*best.meanNodes, std::exp((std::log(109.0) + std::log(103.0)) / 2) - 100, 1e-9);
    EXPECT_EQ(best.wins, 3u);  // m1 and m3 faster, m2 solved; m4 unsolved on both sides
    // a's limit of 60 s counts for its error m4; m2 ran 60,1 s.
    EXPECT_NEAR(*c.summaries[0].meanSeconds,
                std::exp((std::log(5.0) + std::log(61.1) + std::log(61.0) + std::log(2.0)) / 4) - 1, 1e-12);
    // Ratios to the best time, 0,01 s at least: m1 2 s, m2 20 s, m3 0,01 s.
    ASSERT_EQ(c.profileRatios[0].size(), 2u);
    EXPECT_DOUBLE_EQ(c.profileRatios[0][0], 2.0);
    EXPECT_DOUBLE_EQ(c.profileRatios[0][1], 100.0);
    EXPECT_EQ(c.profileRatios[1], (std::vector<double>{1.0, 1.0, 1.0}));
}

TEST(ComparisonText, AlignedColumnsEscapedNamesAndTheCsv) {
    EXPECT_EQ(alignedTable({{"MODELO", "TEMPO"}, {"ação.lp", "1,5"}, {"b", ""}}, {false, true}),
              "MODELO   TEMPO\n"
              "ação.lp    1,5\n"
              "b\n");
    EXPECT_EQ(printableName("a\nb\t.lp"), "a?b?.lp");
    EXPECT_EQ(decimalComma(2.0 / 3.0, 3), "0,667");
    EXPECT_EQ(htmlEscape("<a href=\"x\">'&'</a>"), "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
    EXPECT_EQ(scriptString("</script>\"\\\n\xE2\x80\xA8"), "\"\\u003c/script\\u003e\\\"\\\\\\u000a\\u2028\"");
    ComparedFolder only{"um;dois", std::nullopt, {row("a", 1.0, "SOL OTIMA", 1.0, 0)}};
    EXPECT_EQ(comparisonCsv(buildComparison({only})), std::string(msg::compareCsvHeader) +
                                                          "\"um;dois\";1;1;0;0;0;1,000000;0,000000;;;;;0;;;;;\n" +
                                                          "MELHOR VIRTUAL;1;1;0;0;0;1,000000;0,000000;0;0;;;0;;;;;\n");
}

TEST(ComparisonTests, TimesAreTheChargedOnesOfTheModelsBothFoldersHold) {
    // Under a 10 s limit, nova's error at 0 s on m1 is charged 10 s (slower
    // than base's 5 s, |ln 2| the middle rank); it is faster on m2 (ln 1,5,
    // rank 1) and m3 (ln 4, rank 3): T = 2, mean 3, variance 3·4·7/24. On the
    // raw times nova would be faster everywhere (T = 0, p = 0,1088). m4 is
    // base's alone and takes no part.
    const ComparedFolder base{"base",
                              10.0,
                              {row("m1", 5.0, "SOL OTIMA"), row("m2", 3.0, "SOL OTIMA"), row("m3", 4.0, "SOL OTIMA"),
                               row("m4", 1.0, "SOL OTIMA")}};
    const ComparedFolder nova{
        "nova",
        10.0,
        {row("m1", 0.0, "ERRO NA RESOLUCAO DO MODELO"), row("m2", 2.0, "SOL OTIMA"), row("m3", 1.0, "SOL OTIMA")}};
    const Comparison comparison = buildComparison({base, nova});
    ASSERT_TRUE(comparison.summaries[1].timeTest);
    EXPECT_EQ(comparison.summaries[1].timeTest->pairs, 3u);
    EXPECT_NEAR(comparison.summaries[1].timeTest->p, std::erfc(1.0 / std::sqrt(3.5) / std::sqrt(2.0)), 1e-12);
    EXPECT_EQ(comparison.summaries[1].solvedTest->pairs, 1u);  // m1, solved by base alone
    EXPECT_FALSE(comparison.summaries[0].timeTest);
}

// The integral's mean over the models every folder gives one for, its test
// over the pairs, the brackets.
TEST(Comparison, PrimalDualIntegralMeanTestAndBrackets) {
    const auto with = [](ComparedRow r, std::optional<double> integral) {
        r.integral = integral;
        return r;
    };
    const ComparedFolder base{"base",
                              10.0,
                              {with(row("m1", 2.0, "SOL OTIMA"), 150.0), with(row("m2", 3.0, "SOL OTIMA"), 40.0),
                               with(row("m3", 0.5, "SOL OTIMA"), std::nullopt)}};
    const ComparedFolder nova{"nova",
                              10.0,
                              {with(row("m1", 1.0, "SOL OTIMA"), 15.0), with(row("m2", 3.0, "SOL OTIMA"), 0.5),
                               with(row("m3", 0.4, "SOL OTIMA"), 2.0)}};
    const Comparison two = buildComparison({base, nova});
    EXPECT_NEAR(*two.summaries[0].meanIntegral, std::sqrt(250.0 * 140.0) - 100.0, 1e-9);
    EXPECT_NEAR(*two.summaries[1].meanIntegral, std::sqrt(115.0 * 100.5) - 100.0, 1e-9);
    // The virtual best: m1 from nova (faster); m2, a tie in time, from the first folder of equals (40).
    EXPECT_NEAR(*two.virtualBest.meanIntegral, std::sqrt(115.0 * 140.0) - 100.0, 1e-9);
    EXPECT_FALSE(two.summaries[0].integralTest);
    ASSERT_TRUE(two.summaries[1].integralTest);
    EXPECT_EQ(two.summaries[1].integralTest->pairs, 2u);  // m3: base gives none; 0,5 counts as 1
    EXPECT_EQ(two.brackets.at(0).models, 2u);
    EXPECT_NEAR(*two.brackets[0].summaries[1].meanIntegral, *two.summaries[1].meanIntegral, 1e-9);
    // A folder of an older program gives no integral: its test has no data, which is said as such.
    ComparedFolder older = nova;
    for (ComparedRow& r : older.rows) r.integral.reset();
    const Comparison withOlder = buildComparison({base, older});
    EXPECT_FALSE(withOlder.summaries[1].meanIntegral);
    EXPECT_EQ(integralVerdict(withOlder.summaries[1]), "sem dados");
}

// Two SCIPs are the same unless a field both records give differs: a
// library moved elsewhere is the same SCIP, one rebuilt in place is not.
TEST(BatchRecord, ItsScipTellsAnotherApart) {
    const ScipBuild read = {"9.2.4", "NoGitInfo", "/x/libscip.so.9.2", "0123456789abcdef", "SoPlex 7.1.6"};
    ScipBuild other = read;
    other.library = "/y/libscip.so.9.2";
    EXPECT_TRUE(sameScip(read, other));
    other.digest = "fedcba9876543210";
    EXPECT_FALSE(sameScip(read, other));
    EXPECT_TRUE(sameScip(read, ScipBuild{"9.2.4", "", "", "", ""}));  // an older record names only the version
    EXPECT_FALSE(sameScip(read, ScipBuild{"10.0.2", "", "", "", ""}));
}

TEST(Comparison, FoldersThatContradictEachOther) {
    const auto bounded = [](const std::string& status, std::optional<double> z, std::optional<double> dual,
                            std::optional<bool> minimize) {
        ComparedRow r = row("m", 1.0, status, z);
        r.dual = dual;
        r.minimize = minimize;
        return r;
    };
    const std::string optimal = "SOL OTIMA", infeasible = "PROBLEMA INFACTIVEL";
    const std::string limit = "PROCESSO INTERROMPIDO - LIMITE DE TEMPO";
    struct Case {
        ComparedRow a, b;
        bool contradict;
    };
    const Case cases[] = {
        {bounded(optimal, 10, 10, true), bounded(optimal, 10.000001, 10, true), false},  // CONFERE's tolerance
        {bounded(optimal, 10, 10, true), bounded(optimal, 11, 11, true), true},
        {bounded(infeasible, {}, {}, true), bounded(limit, 5, 1, true), true},    // a solution of an infeasible model
        {bounded(infeasible, {}, {}, true), bounded(limit, {}, 1, true), false},  // none found yet
        {bounded(infeasible, {}, {}, true), bounded(infeasible, {}, {}, true), false},
        // A dual bound beyond the other's solution, in the objective's sense.
        {bounded(limit, 20, 10, true), bounded(limit, 9, 2, true), true},
        {bounded(limit, 20, 8, true), bounded(limit, 9, 2, true), false},
        {bounded(limit, 2, 8, false), bounded(limit, 9, 20, false), true},
        {bounded(limit, 20, 10, std::nullopt), bounded(limit, 9, 2, std::nullopt), false},  // an older report
        {bounded(limit, 20, 10, true), bounded(limit, 9, 2, false), false},                 // not the same model
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(contradict(cases[i].a, cases[i].b), cases[i].contradict) << "case " << i;
        EXPECT_EQ(contradict(cases[i].b, cases[i].a), cases[i].contradict) << "case " << i << " reversed";
    }
}

TEST(Comparison, WorkBesideTimeAndWhenTheFoldersRan) {
    EXPECT_EQ(recordTimeSeconds("2026-12-09 14:26:04 +0000"), 1796826364.0);
    EXPECT_EQ(recordTimeSeconds("2024-02-29 20:00:00 -0300"), 1709247600.0);
    for (const char* bad : {"", "2026-12-09 14:26:04", "2026-13-09 14:26:04 +0000", "2026-12-09 14:26:04 +0000 x"}) {
        EXPECT_FALSE(recordTimeSeconds(bad)) << bad;
    }
    const RunTimes early{100.0, 200.0, ""}, late{300.0, 400.0, ""}, during{150.0, 250.0, ""};
    EXPECT_EQ(runTogether(early, late), RunTogether::Apart);
    EXPECT_EQ(runTogether(late, early), RunTogether::Apart);
    EXPECT_EQ(runTogether(early, RunTimes{200.0, 300.0, ""}), RunTogether::Apart);  // started as the other ended
    EXPECT_EQ(runTogether(early, during), RunTogether::Overlapping);
    EXPECT_EQ(runTogether(early, RunTimes{100.0, std::nullopt, ""}), RunTogether::Unknown);
    EXPECT_EQ(runTogether(RunTimes{100.0, 200.0, "b"}, RunTimes{500.0, 600.0, "b"}), RunTogether::OneBatch);

    // Twelve models, the other folder twice as slow: the same nodes (the
    // machine, or a slower step), or ten times the nodes too.
    const auto folder = [](const std::string& label, double seconds, double nodes, const RunTimes& ran) {
        ComparedFolder f{label, std::nullopt, {}};
        for (int m = 0; m < 12; ++m) {
            ComparedRow r = row("m" + std::to_string(m), seconds * (m + 1), "SOL OTIMA", 1.0, nodes * (m + 1));
            r.lpIterations = 10 * nodes * (m + 1);
            f.rows.push_back(r);
        }
        f.ran = ran;
        return f;
    };
    const Comparison sameWork = buildComparison({folder("a", 1.0, 50, early), folder("b", 2.0, 50, late)}, false);
    const FolderSummary& slower = sameWork.summaries[1];
    EXPECT_EQ(slower.workModels, 12u);
    EXPECT_FALSE(slower.nodesTest);  // every pair equal: nothing to test
    EXPECT_EQ(differenceKind(slower), DifferenceKind::TimeOnly);
    EXPECT_EQ(slower.together, RunTogether::Apart);
    EXPECT_EQ(differenceText(slower), std::string(msg::compareKinds[2]) + msg::compareKindApart);
    EXPECT_NE(comparisonConsole(sameWork).find(msg::compareApartAdvice), std::string::npos);
    const Comparison moreWork = buildComparison({folder("a", 1.0, 50, early), folder("b", 2.0, 500, during)}, false);
    EXPECT_EQ(moreWork.summaries[1].iterationsTest->pairs, 12u);
    EXPECT_LT(moreWork.summaries[1].iterationsTest->p, 0.05);
    EXPECT_EQ(differenceKind(moreWork.summaries[1]), DifferenceKind::TimeAndWork);
    EXPECT_EQ(comparisonConsole(moreWork).find(msg::compareApartAdvice), std::string::npos);
    // Slower without node or iteration counts: the work cannot be tested; three models: too few to say.
    ComparedFolder bare = folder("b", 2.0, 50, during);
    for (ComparedRow& r : bare.rows) r.nodes = r.lpIterations = std::nullopt;
    EXPECT_EQ(differenceKind(buildComparison({folder("a", 1.0, 50, early), bare}, false).summaries[1]),
              DifferenceKind::TimeWorkUntested);
    // A seed run of one seed: its work is that seed's, and its time varies by nothing.
    const ComparedFolder one = combineSeeds("um", {folder("s", 1.0, 50, early)});
    EXPECT_EQ(one.rows[2].nodes, 150.0);
    EXPECT_EQ(one.rows[2].lpIterations, 1500.0);
    EXPECT_EQ(seedSpreads({folder("s", 1.0, 50, early)}).at(0).variation, 0.0);
    ComparedFolder few = folder("b", 2.0, 500, during);
    few.rows.resize(3);
    EXPECT_EQ(differenceKind(buildComparison({folder("a", 1.0, 50, early), few}, false).summaries[1]),
              DifferenceKind::TooFew);
}
