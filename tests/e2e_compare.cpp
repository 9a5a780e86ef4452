// comparar: the summary of hand-made output folders, its CSV and console,
// errors, a merged batch read like any other, and the page in a real browser.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "TestSupport.h"

using namespace testing_support;

namespace {

const std::string kHeader =
    "NOME;TEMPO;STATUS;Z;LIMITE_DUAL;GAP;NOS;ITERACOES_LP;VARIAVEIS;INTEIRAS;RESTRICOES;SOLUCOES;SOL_INICIAL;CONFERE\n";

// Two runs of one test set. base (the reference, limits/time = 10): a
// optimal in 2 s, b unbounded, c stopped by the time limit, d optimal, e
// only here, f optimal and checked. nova: a faster by 0,5 s, b 0,1 s
// faster, c solved, d a solve error, f a little faster with another Z
// checked wrong, g<i> only here, and a broken line.
void makeFolders(const fs::path& dir) {
    fs::create_directory(dir / "base");
    fs::create_directory(dir / "nova");
    writeFile(dir / "base" / "sol_stat_completo.csv",
              kHeader +
                  "a.lp;2,000000;SOL OTIMA;10,000000;10,000000;0,000000;50;100;5;5;3;2;NAO;\n"
                  "\"b;\"\"x\"\".lp\";0,500000;PROBLEMA ILIMITADO;;;;0;3;2;0;1;0;NAO;\n"
                  "c.lp;10,020000;PROCESSO INTERROMPIDO - LIMITE DE TEMPO;7,000000;4,000000;75,000000;900;5000;20;20;10;3;NAO;\n"
                  "d.lp;3,000000;SOL OTIMA;100,000000;100,000000;0,000000;20;50;4;4;2;1;NAO;\n"
                  "e.lp;0,100000;SOL OTIMA;1,000000;1,000000;0,000000;1;1;1;1;1;1;NAO;\n"
                  "f.lp;1,000000;SOL OTIMA;4,000000;4,000000;0,000000;10;20;3;3;2;1;NAO;OK\n");
    writeFile(dir / "base" / "parametros.set",
              "# SCIP version 9.2.1\n\n# maximal time in seconds to run\n"
              "# [type: real, advanced: FALSE, range: [0,1e+20], default: 1e+20]\nlimits/time = 10\n");
    writeFile(dir / "nova" / "sol_stat_completo.csv",
              kHeader +
                  "a.lp;1,500000;SOL OTIMA;10,000000;10,000000;0,000000;30;80;5;5;3;1;NAO;\n"
                  "\"b;\"\"x\"\".lp\";0,400000;PROBLEMA ILIMITADO;;;;0;3;2;0;1;0;NAO;\n"
                  "c.lp;4,000000;SOL OTIMA;5,000000;5,000000;0,000000;400;3000;20;20;10;2;NAO;\n"
                  "d.lp;0,000000;ERRO NA RESOLUCAO DO MODELO;;;;;;;;;;;\n"
                  "quebrada.lp;x;SOL OTIMA\n"
                  "f.lp;0,950000;SOL OTIMA;4,500000;4,500000;0,000000;12;25;3;3;2;1;NAO;ERRADO\n"
                  "g<i>.lp;0,200000;PROBLEMA INFACTIVEL;;;;0;7;2;2;2;0;NAO;\n");
}

// exp(mean(ln(v + shift))) - shift.
double shiftedMean(const std::vector<double>& values, double shift) {
    double sum = 0.0;
    for (double value : values) sum += std::log(value + shift);
    return std::exp(sum / static_cast<double>(values.size())) - shift;
}

std::string comma(double value, int decimals) {
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
};

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
    const RunResult r = runProgram("", withArgs({"comparar", (dir / "base").string(), (dir / "nova").string(), "--csv",
                                                 (dir / "resumo.csv").string()}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, (dir / "nova" / "sol_stat_completo.csv").string() +
                         ": linha ignorada, fora do formato do relat\xC3\xB3rio completo: quebrada.lp;x;SOL OTIMA\n");
    const Expected e;
    EXPECT_EQ(readFile(dir / "resumo.csv"),
              "PASTA;MODELOS;RESOLVIDOS;LIMITES;ERROS;ERRADOS;MGD_TEMPO;MGD_NOS;VITORIAS;DERROTAS\n"
              "base;5;4;1;0;0;" + comma(e.timeBase, 6) + ";" + comma(e.nodesBase, 6) + ";;\n"
              "nova;5;4;0;1;1;" + comma(e.timeNova, 6) + ";" + comma(e.nodesNova, 6) + ";2;2\n"
              "MELHOR VIRTUAL;5;5;0;0;0;" + comma(e.timeBest, 6) + ";" + comma(e.nodesBest, 6) + ";2;0\n");

    const std::vector<std::string> out = lines(r.out);
    ASSERT_GE(out.size(), 3u) << r.out;
    EXPECT_EQ(out[0], "Pastas comparadas (a primeira \xC3\xA9 a refer\xC3\xAAncia):");
    EXPECT_EQ(out[1], "  1  base  (tempo m\xC3\xA1ximo 10,000 s)");
    EXPECT_EQ(out[2], "  2  nova  (tempo m\xC3\xA1ximo desconhecido)");
    // One line per model: the reference's order, then nova's own model.
    const std::vector<std::pair<std::string, std::string>> models = {
        {"MODELO", "MODELO +TEMPO 1 +STATUS 1 +CONFERE 1 +TEMPO 2 +RAZAO 2 +STATUS 2 +CONFERE 2 +Z"},
        {"a.lp", "a.lp +2,000 +SOL OTIMA +1,500 +0,75 +SOL OTIMA"},
        {"b;", "b;\"x\".lp +0,500 +ILIMITADO +0,400 +0,80 +ILIMITADO"},
        {"c.lp", "c.lp +10,020 +LIMITE DE TEMPO +4,000 +0,40 +SOL OTIMA \\*"},
        {"d.lp", "d.lp +3,000 +SOL OTIMA +0,000 +0,00 +ERRO NA RESOLUCAO \\*"},
        {"e.lp", "e.lp +0,100 +SOL OTIMA +- +- +AUSENTE"},
        {"f.lp", "f.lp +1,000 +SOL OTIMA +OK +0,950 +0,95 +SOL OTIMA +ERRADO +Z DIFERE"},
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
        {"PASTA", "MODELOS", "RESOLVIDOS", "LIMITES", "ERROS", "ERRADOS", "MGD_TEMPO", "MGD_NOS", "VITORIAS", "DERROTAS"},
        {"1", "base", "5", "4", "1", "0", "0", comma(e.timeBase, 3), comma(e.nodesBase, 2), "-", "-"},
        {"2", "nova", "5", "4", "0", "1", "1", comma(e.timeNova, 3), comma(e.nodesNova, 2), "2", "2"},
        {"MELHOR", "VIRTUAL", "5", "5", "0", "0", "0", comma(e.timeBest, 3), comma(e.nodesBest, 2), "2", "0"}};
    for (size_t i = 0; i < summary.size(); ++i) {
        EXPECT_EQ(words(at[1 + i]), summary[i]) << at[1 + i];
        EXPECT_EQ(at[1 + i].size(), at[1].size()) << at[1 + i];
    }
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
        {{"comparar"}, "O comando comparar precisa de ao menos uma pasta de sa\xC3\xAD" "da.\n"},
        {{"comparar", base, "--csv"}, "A op\xC3\xA7\xC3\xA3o --csv precisa de um valor.\n"},
        {{"--retomar", "comparar", base}, "A op\xC3\xA7\xC3\xA3o --retomar s\xC3\xB3 vale com o comando opt.\n"},
        {{"--solu", base + "/parametros.set", "comparar", base},
         "A op\xC3\xA7\xC3\xA3o --solu n\xC3\xA3o vale com o comando comparar.\n"}};
    for (const auto& [args, message] : usageErrors) {
        const RunResult r = runProgram("", withArgs(args));
        EXPECT_EQ(r.exitCode, 2) << args[0];
        EXPECT_EQ(r.err, message + help) << args[0];
    }
    // A folder without a complete report: one line each, nothing else.
    const RunResult unreadable = runProgram(
        "", withArgs({"comparar", base, (dir / "curta").string(), (dir / "falta").string(), "--csv", (dir / "r.csv").string()}));
    EXPECT_EQ(unreadable.exitCode, 2);
    EXPECT_EQ(unreadable.out, "");
    EXPECT_EQ(unreadable.err, "A pasta " + (dir / "curta").string() +
                                  " n\xC3\xA3o tem um relat\xC3\xB3rio completo leg\xC3\xADvel (sol_stat_completo.csv).\n"
                                  "A pasta " + (dir / "falta").string() +
                                  " n\xC3\xA3o tem um relat\xC3\xB3rio completo leg\xC3\xADvel (sol_stat_completo.csv).\n");
    EXPECT_FALSE(fs::exists(dir / "r.csv"));
    // A file that cannot be written is named; the other is written whole.
    const std::string csv = (dir / "falta" / "r.csv").string();
    const RunResult notWritten =
        runProgram("", withArgs({"comparar", base, "--csv", csv, "--html", (dir / "p.html").string()}));
    EXPECT_EQ(notWritten.exitCode, 1);
    EXPECT_EQ(notWritten.err.rfind("N\xC3\xA3o foi poss\xC3\xADvel gravar o arquivo " + csv + ": ", 0), 0u) << notWritten.err;
    EXPECT_NE(notWritten.out.find("Resumo dos 6 modelos"), std::string::npos);
    EXPECT_EQ(readFile(dir / "p.html").substr(readFile(dir / "p.html").size() - 15), "</body></html>\n");
    EXPECT_EQ(tempFilesIn(dir.path), std::vector<std::string>{});
    // A batch's own files are never replaced; nor does one output replace the other.
    const std::string report = readFile(dir / "base" / "sol_stat_completo.csv");
    for (const std::vector<std::string>& targets : {std::vector<std::string>{"--csv", base + "/sol_stat_completo.csv"},
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
              report + "h.lp;1e307;SOL OTIMA;1,000000;1,000000;0,000000;1;1;1;1;1;1;NAO;\n" +
                  "a.lp;2,000000;SOL OTIMA;10,000000;10,000000;0,000000;50;100;5;5;3;2;NAO;\n");
    const RunResult odd = runProgram("", withArgs({"comparar", base, "--html", (dir / "p.html").string()}));
    EXPECT_EQ(odd.exitCode, 0);
    EXPECT_NE(odd.err.find("linha ignorada, fora do formato do relat\xC3\xB3rio completo: h.lp;1e307;"), std::string::npos);
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
    // Every model in both, no optimum apart: no Z column.
    EXPECT_EQ(r.out.find("AUSENTE"), std::string::npos) << r.out;
    ASSERT_GT(lines(r.out).size(), 4u);
    EXPECT_TRUE(std::regex_match(lines(r.out)[4], std::regex("MODELO +TEMPO 1 +STATUS 1 +TEMPO 2 +RAZAO 2 +STATUS 2")))
        << r.out;
    // Each folder's means from its own report's times and nodes.
    const auto means = [](const fs::path& folder) {
        std::vector<double> seconds, nodes;
        for (const auto& fields : reportRows(readFile(folder / "sol_stat_completo.csv"))) {
            seconds.push_back(reportNumber(fields[1]));
            nodes.push_back(reportNumber(fields[6]));
        }
        EXPECT_EQ(seconds.size(), 3u);
        return comma(shiftedMean(seconds, 1.0), 6) + ";" + comma(shiftedMean(nodes, 100.0), 6);
    };
    const std::vector<std::string> csv = lines(readFile(dir / "r.csv"));
    ASSERT_EQ(csv.size(), 4u);
    EXPECT_EQ(csv[1], "inteiro;3;3;0;0;0;" + means(dir / "inteiro") + ";;");
    EXPECT_EQ(csv[2].rfind("partes;3;3;0;0;0;" + means(dir / "partes") + ";", 0), 0u) << csv[2];
}

namespace {

// Runs Debian's chromium headless on `arguments` under a time limit, with its own profile
// in `dir`; its standard output, or nothing when it failed (its stderr: dir/chromium.err).
std::optional<std::string> runChromium(const fs::path& dir, const std::string& arguments) {
    const std::string command = "timeout -k 10 90 chromium --headless --no-sandbox --disable-gpu --hide-scrollbars "
                                "--no-first-run --user-data-dir='" + (dir / "perfil-chromium").string() + "' " +
                                arguments + " >'" + (dir / "chromium.out").string() + "' 2>'" +
                                (dir / "chromium.err").string() + "'";
    const int status = std::system(command.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return readFile(dir / "chromium.out");
}

}  // namespace

TEST(Compare, PageRenderedByARealBrowser) {
    if (std::system("command -v chromium >/dev/null 2>&1") != 0) GTEST_SKIP() << "chromium is not installed";
    TempDir dir;
    writeFile(dir / "prova.html", "<!DOCTYPE html><p id=\"x\"></p><script>x.textContent='ok'</script>");
    const std::optional<std::string> probe = runChromium(dir.path, "--dump-dom 'file://" + (dir / "prova.html").string() + "'");
    if (!probe || probe->find("<p id=\"x\">ok</p>") == std::string::npos) {
        GTEST_SKIP() << "chromium cannot run here: " << readFile(dir / "chromium.err").substr(0, 400);
    }
    makeFolders(dir.path);
    const fs::path page = dir / "pagina.html";
    const RunResult r = runProgram("", withArgs({"comparar", (dir / "base").string(), (dir / "nova").string(), "--html",
                                                 page.string()}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // Self-contained: nothing fetched, no file named.
    const std::string html = readFile(page);
    for (const char* outside : {"src=", "href=", "url(", "@import", "https:"}) {
        EXPECT_EQ(html.find(outside), std::string::npos) << outside;
    }
    const std::optional<std::string> dom = runChromium(dir.path, "--dump-dom 'file://" + page.string() + "'");
    ASSERT_TRUE(dom.has_value()) << readFile(dir / "chromium.err");
    // The summary's numbers, as rendered.
    const Expected e;
    const size_t summaryAt = dom->find("<table id=\"resumo\">");
    const std::string summary = dom->substr(summaryAt, dom->find("</table>", summaryAt) - summaryAt);
    for (const std::string& number : {comma(e.timeBase, 3), comma(e.timeNova, 3), comma(e.timeBest, 3),
                                      comma(e.nodesBase, 2), comma(e.nodesNova, 2), comma(e.nodesBest, 2)}) {
        EXPECT_NE(summary.find("<td class=\"n\">" + number + "</td>"), std::string::npos) << number << "\n" << summary;
    }
    EXPECT_EQ(occurrences(summary, "<tr"), 4u) << summary;  // header, two folders, virtual best
    // One row per model, made by the page's script; names as text, never markup.
    const size_t tableAt = dom->find("<table id=\"modelos\">");
    ASSERT_NE(tableAt, std::string::npos);
    const size_t bodyAt = dom->find("<tbody>", tableAt);
    const std::string body = dom->substr(bodyAt, dom->find("</tbody>", bodyAt) - bodyAt);
    EXPECT_EQ(occurrences(body, "<tr>"), 7u) << body;
    for (const std::string name : {"a.lp", "b;\"x\".lp", "c.lp", "d.lp", "e.lp", "f.lp", "g&lt;i&gt;.lp"}) {
        EXPECT_NE(body.find("<td>" + name + "</td>"), std::string::npos) << name;
    }
    EXPECT_EQ(dom->find("<i>"), std::string::npos);
    EXPECT_NE(body.find("<td class=\"resolvido muda\">SOL OTIMA *</td>"), std::string::npos) << body;
    EXPECT_NE(body.find("<td class=\"zdifere\">Z DIFERE</td>"), std::string::npos) << body;
    // Both charts drawn: the profile's steps and a mark per model and folder.
    EXPECT_EQ(occurrences(*dom, "<path d=\"M"), 2u + 1u);  // two profile lines, nova's error as a cross
    EXPECT_EQ(occurrences(*dom, "<circle"), 2u + 11u);     // two legend dots, eleven dots and rings
    const fs::path shot = dir / "pagina.png";
    ASSERT_TRUE(runChromium(dir.path, "--window-size=1200,1600 --screenshot='" + shot.string() + "' 'file://" +
                                          page.string() + "'"))
        << readFile(dir / "chromium.err");
    EXPECT_GT(readFile(shot).size(), 10000u);
    EXPECT_EQ(readFile(shot).substr(0, 8), "\x89PNG\r\n\x1a\n");
}
