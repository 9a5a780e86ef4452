// The reports' tables: a report read back by header name whatever the order
// of its columns, the one CSV reader, the journal's layout, part names.
#include <gtest/gtest.h>

#include "compare/comparison.h"
#include "reports/output_files.h"
#include "reports/reports.h"
#include "test_support.h"

using namespace testing_support;

TEST(ReportTable, ARowIsReadByHeaderNameWhateverTheLayout) {
    // A spreadsheet's file: a byte order mark, CR LF, columns in another
    // order, one unknown, most missing; a quoted name with ";", doubled
    // quotes and a line break; two rows shorter than the header (one cut
    // after a ";"); a line without ";"; a row with a trailing ";".
    const std::string text =
        "\xEF\xBB\xBFSTATUS;NOVA;NOME;NOS;TEMPO\r\n"
        "SOL OTIMA;\"x;y\";\"a;\"\"b\"\"\n.lp\";42;1,5\r\n"
        "ERRO NA LEITURA DO MODELO;;c.lp\n"
        "SOL OTIMA;;d.lp;\n"
        "linha solta\n"
        "SOL OTIMA;;e.lp;7;2,0;\n";
    const std::optional<std::vector<TableRow>> rows = readTable(completeReport(), text);
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 4u);
    const TableRow& a = (*rows)[0];
    EXPECT_TRUE(a.whole);
    EXPECT_EQ(a.line, "SOL OTIMA;\"x;y\";\"a;\"\"b\"\"\n.lp\";42;1,5");
    // Written back in today's order, the name quoted again, NOVA left out.
    EXPECT_EQ(tableRow(completeReport(), a.fields),
              withLaterColumns("\"a;\"\"b\"\"\n.lp\";1,5;SOL OTIMA;;;;42;;;;;;;"));
    RowValues values;
    readRow(completeReport(), a.fields, values);
    EXPECT_EQ(values.name, "a;\"b\"\n.lp");
    EXPECT_EQ(values.seconds, 1.5);
    EXPECT_EQ(values.nodes, 42.0);
    EXPECT_EQ(values.status, "SOL OTIMA");
    // The short rows: their missing fields empty, and not whole.
    EXPECT_FALSE((*rows)[1].whole);
    EXPECT_FALSE((*rows)[2].whole);
    EXPECT_EQ(tableRow(completeReport(), (*rows)[1].fields),
              withLaterColumns("c.lp;;ERRO NA LEITURA DO MODELO;;;;;;;;;;;"));
    EXPECT_TRUE((*rows)[3].whole);
    // comparar: the short row is not of the report's format.
    const std::optional<CompleteReport> report = parseCompleteReport(text);
    ASSERT_TRUE(report);
    ASSERT_EQ(report->rows.size(), 2u);
    EXPECT_EQ(report->rows[1].name, "e.lp");
    EXPECT_EQ(report->rows[1].seconds, 2.0);
    EXPECT_EQ(report->badLines, (std::vector<std::string>{"ERRO NA LEITURA DO MODELO;;c.lp", "SOL OTIMA;;d.lp;"}));
    // What the check of folders against each other reads: the dual bound and the sense.
    const std::optional<CompleteReport> bounded =
        parseCompleteReport("SENTIDO;NOME;TEMPO;STATUS;LIMITE_DUAL\nMAX;m.lp;1;SOL OTIMA;-2,5\nXX;n.lp;1;SOL OTIMA;\n");
    ASSERT_TRUE(bounded);
    ASSERT_EQ(bounded->rows.size(), 2u);
    EXPECT_EQ(bounded->rows[0].dual, -2.5);
    EXPECT_EQ(bounded->rows[0].minimize, false);
    EXPECT_EQ(bounded->rows[1].dual, std::nullopt);
    EXPECT_EQ(bounded->rows[1].minimize, std::nullopt);

    // A complete report needs NOME, TEMPO, STATUS and a column of its own.
    EXPECT_TRUE(headerFits(batchReports()[0], {"Z", "STATUS", "TEMPO", "NOME"}));
    EXPECT_FALSE(headerFits(completeReport(), {"Z", "STATUS", "TEMPO", "NOME"}));
    EXPECT_FALSE(headerFits(completeReport(), {"NOME", "TEMPO", "CONFERE"}));
    EXPECT_TRUE(headerFits(completeReport(), {"CONFERE", "STATUS", "TEMPO", "NOME"}));
}

TEST(Journal, ReadByItsLayoutAndDroppedWithoutOne) {
    TempDir dir;
    // Another version's journal: sol_stat.csv's columns reordered with one
    // unknown, the record of files reordered, no complete report.
    const std::string start =
        "L sol_stat.csv;Z;NOME;STATUS;TEMPO;EXTRA\nL sol_stat_arquivos.csv;MODIFICACAO;NOME;TAMANHO\n";
    const std::string record = journalEntry({"3,000000;\"m;1.lp\";SOL OTIMA;0,500000;x", "34;\"m;1.lp\";12"});
    writeFile(dir / "sol_stat.diario", start + record + "R 9 9\nnot whole");
    const std::map<std::string, KeptRow> kept = readKeptRows(dir.str(), std::nullopt);
    ASSERT_EQ(kept.size(), 1u);
    const KeptRow& m = kept.at("m;1.lp");
    EXPECT_EQ(m.lines, (std::vector<std::string>{"\"m;1.lp\";0,500000;SOL OTIMA;3,000000;",
                                                 withLaterColumns("\"m;1.lp\";0,500000;SOL OTIMA;3,000000;;;;;;;;;;"),
                                                 "\"m;1.lp\";12;34"}));
    EXPECT_FALSE(m.failed);
    ASSERT_TRUE(m.stamp);
    EXPECT_EQ(m.stamp->size, 12);
    EXPECT_EQ(m.stamp->modifiedNs, 34);
    // New records never follow another layout; they follow this program's,
    // into which the journal is first rewritten with the records it holds.
    EXPECT_EQ(journalKeptLength(start + record), 0u);
    const std::string today = journalStart() + journalEntry(m.lines);
    EXPECT_EQ(journalInTodaysLayout(start + record + "R 9 9\nnot whole"), today);
    EXPECT_EQ(journalInTodaysLayout(record), "");
    EXPECT_EQ(journalKeptLength(today + "R 3\nab"), today.size());
    writeFile(dir / "sol_stat.diario", today);
    EXPECT_EQ(readKeptRows(dir.str(), std::nullopt).at("m;1.lp").lines, m.lines);
    // A journal without a layout (an older version's) is dropped, not misread.
    writeFile(dir / "sol_stat.diario", record);
    EXPECT_TRUE(readKeptRows(dir.str(), std::nullopt).empty());
}

TEST(OutputFiles, PartNamesAndTheirParser) {
    EXPECT_EQ(partName(kReportFile, Shard{2, 3}), "sol_stat.parte-2-de-3.csv");
    EXPECT_EQ(outputFileName(kRecordFile, Shard{1, 2}), "parametros.parte-1-de-2.set");
    EXPECT_EQ(outputFileName(kJournalFile, std::nullopt), "sol_stat.diario");
    const std::optional<Shard> part = partOfFile("sol_stat.parte-12-de-30.csv", kReportFile);
    ASSERT_TRUE(part);
    EXPECT_EQ(part->index, 12);
    EXPECT_EQ(part->count, 30);
    for (const char* other : {"sol_stat.parte-02-de-3.csv", "sol_stat.parte-2-de-3.csv.tmp", "sol_stat.parte-2-de-.csv",
                              "sol_stat.parte--2-de-3.csv", "sol_stat_completo.parte-1-de-2.csv", "sol_stat.csv",
                              "sol_stat.parte-1-de-2.info"}) {
        EXPECT_FALSE(partOfFile(other, kReportFile)) << other;
    }
}
