// Pure helpers: path pieces, number reading and formatting, status texts, rows,
// model names.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "batch/model_list.h"
#include "reports/answers.h"
#include "platform/console.h"
#include "platform/files.h"
#include "reports/report_rows.h"
#include "scip/scip_status.h"
#include "process/codec.h"
#include "reports/batch_record.h"
#include "batch/model_names.h"
#include "reports/reports.h"

#include "test_texts.h"

using Parts = std::vector<std::string>;

namespace {

// A result with the fields of a sol_stat.csv row, and a result's rows.
ModelResult rowResult(const std::string& name, double seconds, Outcome outcome, std::optional<double> bound = {}) {
    ModelResult r;
    r.name = name;
    r.seconds = seconds;
    r.outcome = outcome;
    r.primalBound = bound;
    return r;
}
std::string shortRow(const ModelResult& r) { return tableRow(batchReports()[0], r); }
std::string completeRow(const ModelResult& r) { return tableRow(completeReport(), r); }
using testing_support::withLaterColumns;

}  // namespace

TEST(SplitPath, CutsAtEverySlashKeepingEmptyPieces) {
    EXPECT_EQ(splitPath("/a"), (Parts{"", "a"}));
    EXPECT_EQ(splitPath("/dados/lps"), (Parts{"", "dados", "lps"}));
    EXPECT_EQ(splitPath("/dados/lps/"), (Parts{"", "dados", "lps", ""}));
    EXPECT_EQ(splitPath("lps"), (Parts{"lps"}));
    EXPECT_EQ(splitPath("a//b"), (Parts{"a", "", "b"}));
    EXPECT_EQ(splitPath(""), (Parts{""}));
    EXPECT_EQ(splitPath("/"), (Parts{"", ""}));
}

TEST(SplitPath, BackslashIsAnOrdinaryCharacter) {
    EXPECT_EQ(splitPath("C:\\dados\\lps"), (Parts{"C:\\dados\\lps"}));
    EXPECT_EQ(splitPath("x/a\\b.lp"), (Parts{"x", "a\\b.lp"}));
}

TEST(JoinPath, InsertsOneSeparatorUnlessThereIsOne) {
    EXPECT_EQ(joinPath("/dados/lps", "a.lp"), "/dados/lps/a.lp");
    EXPECT_EQ(joinPath("/dados/lps/", "a.lp"), "/dados/lps/a.lp");
    EXPECT_EQ(joinPath("lps", "a.lp"), "lps/a.lp");
    EXPECT_EQ(joinPath("/", "a.lp"), "/a.lp");
    EXPECT_EQ(baseName("/dados/lps/a.lp"), "a.lp");
    EXPECT_EQ(baseName("a.lp"), "a.lp");
}

TEST(ParseTimeLimit, DecimalCommaOrPointAndTrailingTextIgnored) {
    EXPECT_EQ(parseTimeLimit("30"), 30.0);
    EXPECT_EQ(parseTimeLimit("2,5"), 2.5);
    EXPECT_EQ(parseTimeLimit("2.5"), 2.5);
    EXPECT_EQ(parseTimeLimit("0.5"), 0.5);
    EXPECT_EQ(parseTimeLimit("1,5"), 1.5);
    EXPECT_EQ(parseTimeLimit("30s"), 30.0);
    EXPECT_EQ(parseTimeLimit("  \t 7 segundos"), 7.0);
    EXPECT_EQ(parseTimeLimit("0"), 0.0);
    EXPECT_EQ(parseTimeLimit("+4"), 4.0);
    EXPECT_EQ(parseTimeLimit("1,5e2"), 150.0);
    EXPECT_EQ(parseTimeLimit("2e"), 2.0);
    EXPECT_EQ(parseTimeLimit(",5"), 0.5);
    EXPECT_EQ(parseTimeLimit(".5"), 0.5);
    EXPECT_EQ(parseTimeLimit("1,5.3"), 1.5);
    EXPECT_EQ(parseTimeLimit("1e20"), 1e20);
    EXPECT_EQ(parseTimeLimit(std::string("12\0,5", 5)), 12.0);
}

TEST(ParseTimeLimit, RefusesNoNumberNegativeHugeHexInfNan) {
    for (const std::string line : {"", "   ", "abc", ".", ",", "-3", "-0,5", "1e999", "-1e999", "1,1e20", "0x10",
                                   "0X1p3", "inf", "nan", "-inf", "infinity", "1e-400", "1e-310"}) {
        EXPECT_FALSE(parseTimeLimit(line)) << line;
    }
    EXPECT_FALSE(parseTimeLimit(std::string("\0 30", 4)));
}

TEST(FormatReportNumber, FixedSixDecimalsWithComma) {
    EXPECT_EQ(formatReportNumber(0.0625), "0,062500");
    EXPECT_EQ(formatReportNumber(0.0), "0,000000");
    EXPECT_EQ(formatReportNumber(1120.0), "1120,000000");
    EXPECT_EQ(formatReportNumber(-7.5), "-7,500000");
    EXPECT_EQ(formatReportNumber(8966406.49152), "8966406,491520");
    EXPECT_EQ(formatReportNumber(1e20), "100000000000000000000,000000");
    EXPECT_EQ(formatReportNumber(1234567.0), "1234567,000000");  // no grouping
    EXPECT_EQ(formatReportNumber(2.0000005), "2,000001");        // rounded like %f
    EXPECT_EQ(formatReportNumber(-std::numeric_limits<double>::max()).size(),
              1u + 309u + 7u);  // sign, 309 digits, ",000000"
}

TEST(InitialSolutionFolder, BesideTheModelFolder) {
    EXPECT_EQ(initialSolutionFolderOfFolder("/dados/lps"), "/dados/initial_sol");
    EXPECT_EQ(initialSolutionFolderOfFolder("/dados/lps/"), "/dados/lps/initial_sol");
    EXPECT_EQ(initialSolutionFolderOfFolder("lps"), "initial_sol");
    EXPECT_EQ(initialSolutionFolderOfModel("/dados/lps/a.lp"), "/dados/initial_sol");
    EXPECT_EQ(initialSolutionFolderOfModel("lps/a.lp"), "initial_sol");
    EXPECT_EQ(initialSolutionFolderOfModel("a.lp"), "initial_sol");
    // A folder typed with a trailing separator: the batch looks inside it,
    // each model beside it.
    EXPECT_EQ(initialSolutionFolderOfModel(joinPath("/dados/lps/", "a.lp")), "/dados/initial_sol");
}

TEST(SolutionFileName, DropsOnlyAFinalDotLp) {
    EXPECT_EQ(solutionFileName("lseu.lp"), "lseu.sol");
    EXPECT_EQ(solutionFileName("MANN_a9.clq.lp"), "MANN_a9.clq.sol");
    EXPECT_EQ(solutionFileName("ajuda.xlp"), "ajuda.xlp.sol");
    EXPECT_EQ(solutionFileName(".lp"), ".sol");
}

TEST(ScipStatus, MappedByTheLibraryVersionNumbering) {
    for (int major : {8, 9}) {
        EXPECT_EQ(outcomeFromScipStatus(major, 5), Outcome::TimeLimit);
        EXPECT_EQ(outcomeFromScipStatus(major, 11), Outcome::Optimal);
        EXPECT_EQ(outcomeFromScipStatus(major, 12), Outcome::Infeasible);
        EXPECT_EQ(outcomeFromScipStatus(major, 13), Outcome::Unbounded);
        EXPECT_EQ(outcomeFromScipStatus(major, 14), Outcome::InfeasibleOrUnbounded);
        EXPECT_EQ(outcomeFromScipStatus(major, 1), Outcome::Other);
        EXPECT_EQ(outcomeFromScipStatus(major, 23), Outcome::Other);
    }
    EXPECT_EQ(outcomeFromScipStatus(10, 1), Outcome::Optimal);
    EXPECT_EQ(outcomeFromScipStatus(10, 2), Outcome::Infeasible);
    EXPECT_EQ(outcomeFromScipStatus(10, 3), Outcome::Unbounded);
    EXPECT_EQ(outcomeFromScipStatus(10, 4), Outcome::InfeasibleOrUnbounded);
    EXPECT_EQ(outcomeFromScipStatus(10, 23), Outcome::TimeLimit);
    EXPECT_EQ(outcomeFromScipStatus(10, 5), Outcome::Other);
    EXPECT_EQ(outcomeFromScipStatus(10, 11), Outcome::Other);
    EXPECT_FALSE(outcomeFromScipStatus(11, 1));
    EXPECT_FALSE(outcomeFromScipStatus(3, 11));
}

TEST(CompleteReport, StatusTextsAndEmptyFields) {
    EXPECT_EQ(completeStatusText(10, 23), "PROCESSO INTERROMPIDO - LIMITE DE TEMPO");
    EXPECT_EQ(completeStatusText(10, 27), "PROCESSO INTERROMPIDO - LIMITE DUAL");
    EXPECT_EQ(completeStatusText(9, 6), "PROCESSO INTERROMPIDO - LIMITE DE MEMORIA");
    EXPECT_EQ(completeStatusText(9, 1), "INTERROMPIDO PELO USUARIO");
    EXPECT_EQ(completeStatusText(10, 99), "DESCONHECIDO");
    ModelResult result;
    result.name = "a;b.lp";
    result.fromScip = true;
    result.scipMajorVersion = 9;
    result.scipStatus = 11;  // optimal
    result.statusText = completeStatusText(9, 11);
    result.primalBound = 1e20;  // SCIP's infinity: an empty field
    result.dualBound = -7.5;
    result.gap = 0.5;  // no gap without a finite primal bound
    result.nodes = 3;
    result.initialSolution = InitialSolution::Stored;
    EXPECT_EQ(completeRow(result),
              withLaterColumns("\"a;b.lp\";0,000000;SOL OTIMA;;-7,500000;;3;0;0;0;0;0;SIM;", "MIN"));
    result.primalBound = 2.0;
    result.check = Check::Wrong;
    result.checkReasons = kReasonDualBound | kReasonStatus;
    result.minimize = false;
    result.primalDualIntegral = 12.5;
    result.firstSolutionSeconds = 0.25;
    result.bestSolutionSeconds = 1.5;
    EXPECT_EQ(completeRow(result),
              "\"a;b.lp\";0,000000;SOL OTIMA;2,000000;-7,500000;50,000000;3;0;0;0;0;0;SIM;ERRADO;;"
              "LIMITE DUAL+STATUS;MAX;;12,500000;0,250000;1,500000");
    EXPECT_EQ(completeRow(rowResult("x.lp", 1, Outcome::ReadError)),
              withLaterColumns("x.lp;1,000000;ERRO NA LEITURA DO MODELO;;;;;;;;;;;"));
}

TEST(ResultRow, FieldsAndStatusTexts) {
    EXPECT_EQ(shortRow(rowResult("a.lp", 0.0625, Outcome::Optimal, 7.5)), "a.lp;0,062500;SOL OTIMA;7,500000;");
    EXPECT_EQ(shortRow(rowResult("b.lp", 1.5, Outcome::TimeLimit, 1e20)),
              "b.lp;1,500000;PROCESSO INTERROMPIDO - LIMITE DE TEMPO;100000000000000000000,000000;");
    EXPECT_EQ(shortRow(rowResult("c.lp", 0, Outcome::Infeasible, -1e20)),
              "c.lp;0,000000;PROBLEMA INFACTIVEL;-100000000000000000000,000000;");
    EXPECT_EQ(shortRow(rowResult("d.lp", 0, Outcome::Unbounded, 1)), "d.lp;0,000000;PROBLEMA ILIMITADO;1,000000;");
    EXPECT_EQ(shortRow(rowResult("e.lp", 0, Outcome::InfeasibleOrUnbounded, 1)),
              "e.lp;0,000000;PROBLEMA ILIMITADO OU INFACTIVEL;1,000000;");
    // A status outside the table keeps an empty status field.
    EXPECT_EQ(shortRow(rowResult("f.lp", 2, Outcome::Other, 3)), "f.lp;2,000000;;3,000000;");
    // Names that would break the columns or lines are quoted, quotes doubled.
    EXPECT_EQ(shortRow(rowResult("a;b.lp", 0, Outcome::Optimal, 1)), "\"a;b.lp\";0,000000;SOL OTIMA;1,000000;");
    EXPECT_EQ(csvName("x\"y.lp"), "\"x\"\"y.lp\"");
    EXPECT_EQ(csvName("l\r\n.lp"), "\"l\r\n.lp\"");
    EXPECT_EQ(csvName("com espa\xC3\xA7o, 'aspas'.lp"), "com espa\xC3\xA7o, 'aspas'.lp");
    EXPECT_EQ(shortRow(rowResult("g.xlp", 0, Outcome::ReadError, std::nullopt)),
              "g.xlp;0,000000;ERRO NA LEITURA DO MODELO;;");
    EXPECT_STREQ(statusLine(Outcome::TimeLimit), "STATUS: PROCESSO INTERROMPIDO - LIMITE DE TEMPO\n");
    EXPECT_STREQ(statusLine(Outcome::Optimal), "STATUS: SOL OTIMA\n");
    EXPECT_STREQ(statusLine(Outcome::Infeasible), "STATUS: PROBLEMA INFACTIVEL\n");
    EXPECT_STREQ(statusLine(Outcome::Unbounded), "STATUS: PROBLEMA ILIMITADO\n");
    EXPECT_STREQ(statusLine(Outcome::InfeasibleOrUnbounded), "STATUS: PROBLEMA ILIMITADO OU INFACTIVEL\n");
    EXPECT_STREQ(statusLine(Outcome::ReadError), "STATUS: ERRO NA LEITURA DO MODELO\n");
    EXPECT_STREQ(statusLine(Outcome::Other), "");
}

TEST(ReportText, HeaderThenOneLinePerRow) {
    EXPECT_EQ(reportText(batchReports()[0], {}), "NOME;TEMPO;STATUS;Z\n");
    EXPECT_EQ(reportText(batchReports()[0], {"a;1;", "b;2;"}), "NOME;TEMPO;STATUS;Z\na;1;\nb;2;\n");
}

TEST(ResultCodec, EveryFieldCrossesThePipeAndCutBytesAreRefused) {
    ModelResult sent;
    sent.name = "a \"b\";\nc.lp";
    sent.outcome = Outcome::InfeasibleOrUnbounded;
    sent.fromScip = true;
    sent.scipMajorVersion = 10;
    sent.scipStatus = 4;
    sent.statusText = completeStatusText(10, 4);
    sent.seconds = 0.0625;
    sent.primalBound = 1e20;
    sent.gap = -0.5;  // the dual bound stays missing
    sent.hasSolution = true;
    sent.minimize = false;
    sent.nodes = 1LL << 40;
    sent.lpIterations = 7;
    sent.solutions = 3;
    sent.variables = 11;
    sent.integers = 5;
    sent.constraints = 13;
    sent.initialSolution = InitialSolution::Rejected;
    sent.solutionFile = SolutionFile::RemoveFailed;
    const std::string bytes = encodeValue(sent);
    const std::optional<ModelResult> got = decodeValue<ModelResult>(bytes);
    ASSERT_TRUE(got.has_value());
    // The rows carry most fields; those they leave out are checked apart.
    EXPECT_EQ(shortRow(*got), shortRow(sent));
    EXPECT_EQ(completeRow(*got), completeRow(sent));
    EXPECT_FALSE(got->dualBound.has_value());
    EXPECT_TRUE(got->hasSolution);
    EXPECT_FALSE(got->minimize);
    EXPECT_EQ(got->solutionFile, SolutionFile::RemoveFailed);
    EXPECT_EQ(got->outcome, Outcome::InfeasibleOrUnbounded);
    EXPECT_FALSE(decodeValue<ModelResult>(bytes.substr(0, bytes.size() - 1)).has_value());
    EXPECT_FALSE(decodeValue<ModelResult>(bytes + "x").has_value());
    // An enumeration out of its range is refused too.
    sent.solutionFile = static_cast<SolutionFile>(static_cast<int>(SolutionFile::RemoveFailed) + 1);
    EXPECT_FALSE(decodeValue<ModelResult>(encodeValue(sent)).has_value());
}

TEST(ModelNames, FormatsStemsAndTheFilesBesideAModel) {
    EXPECT_EQ(parseFormats("lp,mps,mps.gz"), (std::vector<std::string>{"lp", "mps", "mps.gz"}));
    for (const char* bad : {"", "lp,", ",lp", ".lp", "lp,a/b"}) EXPECT_FALSE(parseFormats(bad)) << bad;
    EXPECT_EQ(parseSeedList("7,0-2,10", 5), (std::vector<int>{0, 1, 2, 7, 10}));
    EXPECT_EQ(parseSeedList("2147483646-2147483647", 5), (std::vector<int>{2147483646, 2147483647}));
    for (const char* bad : {"", "1,", "-1", "1-", "2-1", "1-2-3", "1,0-3", "a", "0-5", "2147483648"}) {
        EXPECT_FALSE(parseSeedList(bad, 5)) << bad;
    }
    EXPECT_EQ(seedFolderName(12), "semente-12");
    EXPECT_EQ(seedOfFolder("semente-12"), 12);
    for (const char* odd : {"semente-07", "semente-", "semente-x", "sementes-1"})
        EXPECT_FALSE(seedOfFolder(odd)) << odd;
    const std::vector<std::string> formats{"lp", "gz", "mps.gz"};
    EXPECT_EQ(modelFormat("a.mps.gz", formats), "mps.gz");
    EXPECT_EQ(modelFormat("xlp", formats), "lp");
    EXPECT_FALSE(modelFormat("a.mps", formats));
    EXPECT_EQ(modelStem("air05.mps.gz", formats), "air05");
    EXPECT_EQ(modelStem("xlp", formats), "xlp");
    EXPECT_EQ(modelSettingsFileName("x.lp", formats), "x.set");
    EXPECT_EQ(logFileName("x.lp"), "x.log");
    EXPECT_EQ(logFileName("x.mps.gz"), "x.mps.gz.log");
    const char* const argv[] = {"loteotimizador", "-p", "limits/gap=0.01", "opt", "a b", "it's"};
    EXPECT_EQ(quoteCommandLine(6, argv), "loteotimizador -p limits/gap=0.01 opt 'a b' 'it'\\''s'");
}

TEST(ModelList, LinesPathsAndTheEndingsThatMakeEveryListedFileAModel) {
    const std::vector<ListedModel> models =
        listedModels("# set\n\n a.lp \r\n/abs/./b.mps.gz\n\t# x.lp\n../c//d.v2.lp\nsem_ponto\nfoo.bar", "/l");
    std::vector<std::pair<size_t, std::string>> got;
    for (const ListedModel& model : models) got.emplace_back(model.line, model.path);
    EXPECT_EQ(
        got,
        (std::vector<std::pair<size_t, std::string>>{
            {3, "/l/a.lp"}, {4, "/abs/b.mps.gz"}, {6, "/l/../c/d.v2.lp"}, {7, "/l/sem_ponto"}, {8, "/l/foo.bar"}}));
    EXPECT_EQ(withoutDotPieces("./a/./b/"), "a/b");
    std::vector<std::string> paths;
    for (const ListedModel& model : models) paths.push_back(model.path);
    const std::vector<std::string> formats = listFormats(paths, {"lp"});
    EXPECT_EQ(formats, (std::vector<std::string>{"lp", "mps.gz", "sem_ponto", "bar"}));
    // Each keeps the stem its known result is looked up by.
    EXPECT_EQ(modelStem("b.mps.gz", formats), "b");
    EXPECT_EQ(modelStem("d.v2.lp", formats), "d.v2");
    EXPECT_EQ(modelStem("sem_ponto", formats), "sem_ponto");
    // One name, or one solution file ("a" and "a.lp" both write "a.sol").
    EXPECT_EQ(sameNamePairs({{1, "/x/a.lp"}, {2, "/y/b.lp"}, {3, "/y/a.lp"}, {4, "/z/a"}, {5, "/z/a.mps"}}),
              (std::vector<std::pair<size_t, size_t>>{{0, 2}, {0, 3}}));
}
