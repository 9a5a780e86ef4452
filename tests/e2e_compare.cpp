// comparar: the summary of hand-made output folders, its CSV, console and page table,
// errors, and a merged batch read like any other.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "compare_folders.h"
#include "test_support.h"

using namespace testing_support;
using namespace compare_folders;

namespace {

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> result;
    std::istringstream in(line);
    for (std::string word; in >> word;) result.push_back(word);
    return result;
}

std::string usage() { return runProgram("", withArgs({"--help"})).out; }

}  // namespace

TEST(Compare, SummaryOfHandMadeFoldersOnTheConsoleAndInTheCsv) {
    TempDir dir;
    makeFolders(dir.path);
    const RunResult r =
        runProgram("", withArgs({"comparar", (dir / "base").string(), (dir / "nova").string(), "--csv",
                                 (dir / "resumo.csv").string(), "--html", (dir / "resumo.html").string()}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // The console and the page as they are kept, byte for byte (the folders' place masked).
    const auto masked = [&dir](std::string text) {
        for (size_t at; (at = text.find(dir.str())) != std::string::npos;) text.replace(at, dir.str().size(), "PASTA");
        return text;
    };
    const fs::path kept = testModels() / ".." / "comparar";
    EXPECT_EQ(masked(r.out), readFile(kept / "console.txt"));
    EXPECT_EQ(masked(readFile(dir / "resumo.html")), readFile(kept / "pagina.html"));
    EXPECT_EQ(r.err, (dir / "nova" / "sol_stat_completo.csv").string() +
                         ": linha ignorada, fora do formato do relat\xC3\xB3rio completo: quebrada.lp;x;SOL OTIMA\n");
    const Expected e;
    EXPECT_EQ(readFile(dir / "resumo.csv"),
              "PASTA;MODELOS;RESOLVIDOS;LIMITES;ERROS;ERRADOS;MGD_TEMPO;MGD_NOS;VITORIAS;DERROTAS;P_WILCOXON;P_MCNEMAR;"
              "INCONSISTENTES;MGD_INTEGRAL_PD;P_WILCOXON_INTEGRAL;SCIP;P_WILCOXON_NOS;P_WILCOXON_ITERACOES\n"
              "base;5;4;1;0;0;" +
                  comma(e.timeBase, 6) + ";" + comma(e.nodesBase, 6) +
                  ";;;;;1;;;;;\n"
                  "nova;5;4;0;1;1;" +
                  comma(e.timeNova, 6) + ";" + comma(e.nodesNova, 6) +
                  ";2;2;0,0431144;1;1;;;;0,317311;0,317311\n"
                  "MELHOR VIRTUAL;5;5;0;0;0;" +
                  comma(e.timeBest, 6) + ";" + comma(e.nodesBest, 6) + ";2;0;;;1;;;;;\n");

    const std::vector<std::string> out = lines(r.out);
    ASSERT_GE(out.size(), 3u) << r.out;
    EXPECT_EQ(out[0], "Pastas comparadas (a primeira \xC3\xA9 a refer\xC3\xAAncia):");
    EXPECT_EQ(out[1], "  1  base  (tempo m\xC3\xA1ximo 10,000 s)");
    EXPECT_EQ(out[2], "  2  nova  (tempo m\xC3\xA1ximo desconhecido)");
    // One line per model: the reference's order, then nova's own model.
    const std::vector<std::pair<std::string, std::string>> models = {
        {"MODELO", "MODELO +TEMPO 1 +STATUS 1 +CONFERE 1 +TEMPO 2 +RAZAO 2 +STATUS 2 +CONFERE 2 +ENTRE PASTAS"},
        {"a.lp", "a.lp +2,000 +SOL OTIMA +1,500 +0,75 +SOL OTIMA"},
        {"b;", "b;\"x\".lp +0,500 +ILIMITADO +0,400 +0,80 +ILIMITADO"},
        {"c.lp", "c.lp +10,020 +LIMITE DE TEMPO +4,000 +0,40 +SOL OTIMA \\*"},
        {"d.lp", "d.lp +3,000 +SOL OTIMA +0,000 +0,00 +ERRO NA RESOLUCAO \\*"},
        {"e.lp", "e.lp +0,100 +SOL OTIMA +- +- +AUSENTE"},
        {"f.lp", "f.lp +1,000 +SOL OTIMA +OK +0,950 +0,95 +SOL OTIMA +ERRADO +INCONSISTENTE"},
        {"g<i>.lp", "g<i>.lp +- +AUSENTE +0,200 +- +INFACTIVEL"}};
    for (size_t i = 0; i < models.size(); ++i) {
        ASSERT_GT(out.size(), 4 + i);
        EXPECT_TRUE(std::regex_match(out[4 + i], std::regex(models[i].second))) << out[4 + i];
    }
    // The summary, its columns aligned on the right.
    const auto at = std::find(out.begin(), out.end(), "Resumo dos 5 modelos presentes em todas as pastas:");
    ASSERT_NE(at, out.end()) << r.out;
    ASSERT_GT(out.end() - at, 4);
    const std::vector<std::vector<std::string>> summary = {
        {"PASTA", "MODELOS", "RESOLVIDOS", "LIMITES", "ERROS", "ERRADOS", "MGD_TEMPO", "MGD_NOS", "VITORIAS",
         "DERROTAS", "MGD_INTEGRAL_PD"},
        {"1", "base", "5", "4", "1", "0", "0", comma(e.timeBase, 3), comma(e.nodesBase, 2), "-", "-", "-"},
        {"2", "nova", "5", "4", "0", "1", "1", comma(e.timeNova, 3), comma(e.nodesNova, 2), "2", "2", "-"},
        {"MELHOR", "VIRTUAL", "5", "5", "0", "0", "0", comma(e.timeBest, 3), comma(e.nodesBest, 2), "2", "0", "-"}};
    for (size_t i = 0; i < summary.size(); ++i) {
        EXPECT_EQ(words(at[1 + i]), summary[i]) << at[1 + i];
        EXPECT_EQ(at[1 + i].size(), at[1].size()) << at[1 + i];
    }
    EXPECT_EQ(at[5], "INCONSISTENTES: 1 (modelos em que as pastas se contradizem).");
    // Whether the differences are real, on all five models and on the harder
    // ones: those solved somewhere and taking 1 s (a, c, d, f), 10 s (c) or
    // 100 s (none) somewhere.
    const auto line = [&out](const std::string& text) { return std::find(out.begin(), out.end(), text); };
    const auto tests = line(
        "Diferen\xC3\xA7"
        "a real? Cada pasta contra a refer\xC3\xAAncia, nos modelos que as duas t\xC3\xAAm, a 5 %:");
    ASSERT_LT(tests + 2, out.end()) << r.out;
    EXPECT_TRUE(std::regex_match(tests[2], std::regex("2 nova +p = 0,0431 em 5 pares: poucos pares para dizer +"
                                                      "p = 1,0000 em 3 pares: poucos pares para dizer +"
                                                      "sem dados +p = 0,3173 em 1 par: poucos pares para dizer +"
                                                      "p = 0,3173 em 1 par: poucos pares para dizer +"
                                                      "n\xC3\xA3o se sabe")))
        << tests[2];
    const std::string bracket = "Modelos resolvidos por alguma pasta e que levaram ";
    const auto second = line(bracket + "1 s ou mais em alguma: 4");
    ASSERT_LT(second + 6, out.end()) << r.out;
    EXPECT_EQ(words(second[3]), (std::vector<std::string>{"2", "nova", "4", "3", "0", "1", "1",
                                                          comma(shiftedMean({1.5, 4.0, 0.0, 0.95}, 1.0), 3),
                                                          comma(shiftedMean({30, 12}, 100.0), 2), "2", "2", "-"}));
    EXPECT_TRUE(std::regex_search(second[6], std::regex("p = 0,0679 em 4 pares"))) << second[6];
    EXPECT_NE(line(bracket + "10 s ou mais em alguma: 1"), out.end()) << r.out;
    const auto none = line(bracket + "100 s ou mais em alguma: 0");
    ASSERT_LT(none + 1, out.end()) << r.out;
    EXPECT_EQ(none[1], "  nenhum modelo.");

    // The page's summary table: the same cells, each under its own header.
    const std::string page = readFile(dir / "resumo.html");
    const size_t tableAt = page.find("<table id=\"resumo\">");
    ASSERT_NE(tableAt, std::string::npos);
    const std::string table = page.substr(tableAt, page.find("</table>", tableAt) - tableAt);
    const std::regex cell("<t[hd][^>]*>([^<]*)</t[hd]>");
    std::vector<std::vector<std::string>> pageRows;
    for (size_t row = table.find("<tr"); row != std::string::npos; row = table.find("<tr", row + 1)) {
        const std::string text = table.substr(row, table.find("</tr>", row) - row);
        pageRows.emplace_back();
        for (std::sregex_iterator it(text.begin(), text.end(), cell), end; it != end; ++it)
            pageRows.back().push_back((*it)[1]);
    }
    std::vector<std::vector<std::string>> expectedRows = {{"Pasta", "Modelos", "Resolvidos", "Limites", "Erros",
                                                           "Errados", "MGD tempo (s)", "MGD n\xC3\xB3s",
                                                           "Vit\xC3\xB3rias", "Derrotas", "MGD integral PD"}};
    for (size_t i = 1; i < summary.size(); ++i) {
        expectedRows.push_back({summary[i][0] + " " + summary[i][1]});
        expectedRows.back().insert(expectedRows.back().end(), summary[i].begin() + 2, summary[i].end());
    }
    EXPECT_EQ(pageRows, expectedRows);
    EXPECT_TRUE(std::regex_search(page, std::regex("<table id=\"testes\">[\\s\\S]*p = 0,0431 em 5 pares")));
    EXPECT_TRUE(std::regex_search(page, std::regex("<table id=\"faixa-1-testes\">[\\s\\S]*p = 0,0679 em 4 pares")));
    EXPECT_NE(page.find("<p id=\"faixa-100\">Nenhum modelo.</p>"), std::string::npos);
}

TEST(Compare, UsageErrorsUnreadableFoldersAndFilesNotWritten) {
    TempDir dir;
    makeFolders(dir.path);
    const std::string base = (dir / "base").string();
    fs::create_directory(dir / "curta");
    writeFile(dir / "curta" / "sol_stat.csv", "NOME;TEMPO;STATUS;Z\na.lp;1,000000;SOL OTIMA;1,000000;\n");
    const std::string help = usage();
    const std::vector<std::pair<std::vector<std::string>, std::string>> usageErrors = {
        {{"--html", "x.html", "merge", base}, "A op\xC3\xA7\xC3\xA3o --html s\xC3\xB3 vale com o comando comparar.\n"},
        {{"opt", base, base, "--csv", "x.csv"}, "A op\xC3\xA7\xC3\xA3o --csv s\xC3\xB3 vale com o comando comparar.\n"},
        {{"comparar"},
         "O comando comparar precisa de ao menos uma pasta de sa\xC3\xAD"
         "da.\n"},
        {{"--solu", base + "/parametros.set", "comparar", base},
         "A op\xC3\xA7\xC3\xA3o --solu n\xC3\xA3o vale com o comando comparar.\n"}};
    for (const auto& [args, message] : usageErrors) {
        const RunResult r = runProgram("", withArgs(args));
        EXPECT_EQ(r.exitCode, 2) << args[0];
        EXPECT_EQ(r.err, message + help) << args[0];
    }
    // A folder without a complete report: one line each, nothing else.
    const RunResult unreadable =
        runProgram("", withArgs({"comparar", base, (dir / "curta").string(), (dir / "falta").string(), "--csv",
                                 (dir / "r.csv").string()}));
    EXPECT_EQ(unreadable.exitCode, 2);
    EXPECT_EQ(unreadable.out, "");
    EXPECT_EQ(unreadable.err,
              "A pasta " + (dir / "curta").string() +
                  " n\xC3\xA3o tem um relat\xC3\xB3rio completo leg\xC3\xADvel (sol_stat_completo.csv).\n"
                  "A pasta " +
                  (dir / "falta").string() +
                  " n\xC3\xA3o tem um relat\xC3\xB3rio completo leg\xC3\xADvel (sol_stat_completo.csv).\n");
    EXPECT_FALSE(fs::exists(dir / "r.csv"));
    // A file that cannot be written is named; the other is written whole.
    const std::string csv = (dir / "falta" / "r.csv").string();
    const RunResult notWritten =
        runProgram("", withArgs({"comparar", base, "--csv", csv, "--html", (dir / "p.html").string()}));
    EXPECT_EQ(notWritten.exitCode, 1);
    EXPECT_EQ(notWritten.err.rfind("N\xC3\xA3o foi poss\xC3\xADvel gravar o arquivo " + csv + ": ", 0), 0u)
        << notWritten.err;
    EXPECT_NE(notWritten.out.find("Resumo dos 6 modelos"), std::string::npos);
    EXPECT_EQ(readFile(dir / "p.html").substr(readFile(dir / "p.html").size() - 15), "</body></html>\n");
    EXPECT_EQ(tempFilesIn(dir.path), std::vector<std::string>{});
    // A batch's own files are never replaced; nor does one output replace the other.
    const std::string report = readFile(dir / "base" / "sol_stat_completo.csv");
    for (const std::vector<std::string>& targets :
         {std::vector<std::string>{"--csv", base + "/sol_stat_completo.csv"},
          {"--html", base + "/parametros.set"},
          {"--csv", (dir / "p.html").string(), "--html", (dir / "p.html").string()}}) {
        std::vector<std::string> args{"comparar", base};
        args.insert(args.end(), targets.begin(), targets.end());
        const RunResult refused = runProgram("", withArgs(args));
        EXPECT_EQ(refused.exitCode, 2) << targets[1];
        EXPECT_EQ(refused.out, "");
    }
    EXPECT_EQ(readFile(dir / "base" / "sol_stat_completo.csv"), report);
    // A time no batch wrote is a line left out (its chart would have no end); a name twice is said.
    writeFile(dir / "base" / "sol_stat_completo.csv",
              report + completeRows({"h.lp;1e307;SOL OTIMA;1,000000;1,000000;0,000000;1;1;1;1;1;1;NAO;",
                                     "a.lp;2,000000;SOL OTIMA;10,000000;10,000000;0,000000;50;100;5;5;3;2;NAO;"}));
    const RunResult odd = runProgram("", withArgs({"comparar", base, "--html", (dir / "p.html").string()}));
    EXPECT_EQ(odd.exitCode, 0);
    EXPECT_NE(odd.err.find("linha ignorada, fora do formato do relat\xC3\xB3rio completo: h.lp;1e307;"),
              std::string::npos);
    EXPECT_NE(odd.err.find("o modelo a.lp aparece de novo"), std::string::npos) << odd.err;
}

TEST(Compare, AMergedBatchIsReadLikeAWholeOne) {
    TempDir dir;
    const fs::path m = dir / "m";
    fs::create_directory(m);
    for (const char* name : {"egout.lp", "flugpl.lp", "gt2.lp"}) fs::copy_file(testModels() / "lp" / name, m / name);
    const std::string whole = (dir / "inteiro").string(), parts = (dir / "partes").string();
    ASSERT_EQ(runProgram("", withArgs({"-j", "1", "opt", m.string(), whole})).exitCode, 0);
    for (const char* part : {"1/2", "2/2"}) {
        ASSERT_EQ(runProgram("", withArgs({"-j", "1", "--shard", part, "opt", m.string(), parts})).exitCode, 0);
    }
    ASSERT_EQ(runProgram("", withArgs({"merge", parts})).exitCode, 0);
    const RunResult r = runProgram("", withArgs({"comparar", whole, parts, "--csv", (dir / "r.csv").string()}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.find("AUSENTE"), std::string::npos) << r.out;  // every model in both
    // Each folder's means from its own report's times and nodes.
    const auto means = [](const fs::path& folder, size_t column = 1, double shift = 1.0) {
        std::vector<double> seconds, nodes;
        for (const auto& fields : reportRows(readFile(folder / "sol_stat_completo.csv"))) {
            seconds.push_back(reportNumber(fields[column]));
            nodes.push_back(reportNumber(fields[6]));
        }
        EXPECT_EQ(seconds.size(), 3u);
        return comma(shiftedMean(seconds, shift), 6) + (column == 1 ? ";" + comma(shiftedMean(nodes, 100.0), 6) : "");
    };
    const std::vector<std::string> csv = lines(readFile(dir / "r.csv"));
    ASSERT_EQ(csv.size(), 4u);
    // The integral's mean (column 19 of the report), and the SCIP its record names.
    std::string version;
    for (const std::string& line : lines(readFile(dir / "inteiro" / "parametros.set"))) {
        if (line.rfind("# SCIP: ", 0) == 0) version = line.substr(8);
    }
    EXPECT_EQ(csv[1], "inteiro;3;3;0;0;0;" + means(dir / "inteiro") + ";;;;;0;" + means(dir / "inteiro", 18, 100.0) +
                          ";;SCIP " + version + ";;");
    EXPECT_EQ(csv[2].rfind("partes;3;3;0;0;0;" + means(dir / "partes") + ";", 0), 0u) << csv[2];
}

TEST(Compare, ASeedRunIsOneRunWithItsSpreadPerModel) {
    TempDir dir;
    makeFolders(dir.path);
    const fs::path run = makeSeedRun(dir.path);
    const std::string spreads = (dir / "variabilidade.csv").string();
    const RunResult r = runProgram("", withArgs({"comparar", run.string(), "--csv", (dir / "r.csv").string(),
                                                 "--csv-variabilidade", spreads, "--html", (dir / "p.html").string()}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // A model one seed lacks is left out, and said.
    EXPECT_EQ(r.err, run.string() +
                         "/semente-07: pasta ignorada (uma semente se escreve semente-K, K de 0 a 2147483647 "
                         "sem zeros \xC3\xA0 esquerda).\n" +
                         run.string() + ": o modelo d.lp falta em semente-2; fica fora desta pasta.\n");
    // Per model the seeds' mean; solved only where every seed solved it (a):
    // b and c are charged the limit.
    const std::vector<std::string> csv = lines(readFile(dir / "r.csv"));
    ASSERT_EQ(csv.size(), 3u);
    EXPECT_EQ(csv[1], "sementes;3;1;1;1;0;" + comma(shiftedMean({2.0, 10.0, 10.0}, 1.0), 6) + ";5,000000;;;;;0;;;;;")
        << r.out;
    // Worked by hand: a: CV 1/2, fastest of 2 (1+1+2)/3; b: 4, 10, 6 s, mean
    // 20/3, CV sqrt(28/3)/(20/3), fastest of 2 (4+4+6)/3; c: the error charged the limit.
    EXPECT_EQ(
        readFile(spreads),
        "PASTA;MODELO;SEMENTE_MAIS_RAPIDA;TEMPO_MAIS_RAPIDA;SEMENTE_MAIS_LENTA;TEMPO_MAIS_LENTA;CV;MIN_DE_2;MIN_DE_4\n"
        "sementes;a.lp;0;1,000000;2;3,000000;0,500000;" +
            comma(4.0 / 3.0, 6) +
            ";\n"
            "sementes;b.lp;0;4,000000;2;10,000000;" +
            comma(std::sqrt(28.0 / 3.0) / (20.0 / 3.0), 6) + ";" + comma(14.0 / 3.0, 6) +
            ";\n"
            "sementes;c.lp;0;0,500000;10;10,000000;" +
            comma(9.5 / std::sqrt(3.0) / (11.0 / 3.0), 6) + ";0,500000;\n");
    EXPECT_NE(r.out.find("Varia\xC3\xA7\xC3\xA3o com a semente em sementes (sementes 0, 2, 10):\n"), std::string::npos);
    const std::string page = readFile(dir / "p.html");
    EXPECT_EQ(occurrences(page.substr(page.find("<div id=\"variacao\">")), "<svg class=\"faixa\""), 3u);
    // The seed folders' own files are never replaced, nor is a report
    // written where it would make the run a batch.
    for (const fs::path& target : {run / "semente-2" / "sol_stat_completo.csv", run / "sol_stat_completo.csv"}) {
        const RunResult refused = runProgram("", withArgs({"comparar", run.string(), "--csv", target.string()}));
        EXPECT_EQ(refused.exitCode, 2) << target;
    }
    EXPECT_FALSE(fs::exists(run / "sol_stat_completo.csv"));
}
