// comparar's page opened in a real browser: what the browser built from it,
// its sorting, and a screenshot.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "compare_folders.h"
#include "test_support.h"

using namespace testing_support;
using namespace compare_folders;

namespace {

// Runs Debian's chromium headless on `arguments` under a time limit, with its own profile
// in `dir`; its standard output, or nothing when it failed (its stderr: dir/chromium.err).
std::optional<std::string> runChromium(const fs::path& dir, const std::string& arguments) {
    const std::string command =
        "timeout -k 10 90 chromium --headless --no-sandbox --disable-gpu --hide-scrollbars "
        "--no-first-run --user-data-dir='" +
        (dir / "perfil-chromium").string() + "' " + arguments + " >'" + (dir / "chromium.out").string() + "' 2>'" +
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
    const std::optional<std::string> probe =
        runChromium(dir.path, "--dump-dom 'file://" + (dir / "prova.html").string() + "'");
    if (!probe || probe->find("<p id=\"x\">ok</p>") == std::string::npos) {
        GTEST_SKIP() << "chromium cannot run here: " << readFile(dir / "chromium.err").substr(0, 400);
    }
    makeFolders(dir.path);
    const fs::path page = dir / "pagina.html";
    const RunResult r = runProgram(
        "", withArgs({"comparar", (dir / "base").string(), (dir / "nova").string(), "--html", page.string()}));
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
    // The tests in words, and the brackets of harder models as rendered.
    const size_t testsAt = dom->find("<table id=\"testes\">");
    ASSERT_NE(testsAt, std::string::npos);
    EXPECT_NE(dom->substr(testsAt, dom->find("</table>", testsAt) - testsAt).find("p = 0,0431 em 5 pares"),
              std::string::npos);
    const size_t bracketAt = dom->find("<table id=\"faixa-1\">");
    ASSERT_NE(bracketAt, std::string::npos);
    EXPECT_EQ(occurrences(dom->substr(bracketAt, dom->find("</table>", bracketAt) - bracketAt), "<tr"), 4u);
    EXPECT_NE(dom->find("<table id=\"faixa-10\">"), std::string::npos);
    EXPECT_NE(dom->find("<p id=\"faixa-100\">Nenhum modelo.</p>"), std::string::npos);
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
    EXPECT_NE(body.find("<td class=\"inconsistente\">INCONSISTENTE</td>"), std::string::npos) << body;
    EXPECT_NE(dom->find("<p id=\"inconsistentes\" class=\"inconsistente\">INCONSISTENTES: 1 (modelos"),
              std::string::npos);
    // Both charts drawn: the profile's steps and a mark per model and folder.
    EXPECT_EQ(occurrences(*dom, "<path d=\"M"), 2u + 1u);  // two profile lines, nova's error as a cross
    EXPECT_EQ(occurrences(*dom, "<circle"), 2u + 11u);     // two legend dots, eleven dots and rings
    // Each profile line ends at the share of the 5 models its folder solved
    // right: base 4 (y 67), nova 3 (y 119; its f is wrong).
    const size_t profileAt = dom->find("<svg id=\"perfil\"");
    const std::string profile = dom->substr(profileAt, dom->find("</svg>", profileAt) - profileAt);
    std::vector<std::string> levels;
    for (size_t at = profile.find("d=\"M"); at != std::string::npos; at = profile.find("d=\"M", at + 1)) {
        const std::string d = profile.substr(at + 3, profile.find('"', at + 3) - at - 3);
        levels.push_back(d.substr(d.rfind('V') + 1, d.rfind('H') - d.rfind('V') - 1));
    }
    EXPECT_EQ(levels, (std::vector<std::string>{"67.0", "119.0"}));
    EXPECT_NE(dom->find(">1 base</text>"), std::string::npos);
    EXPECT_NE(dom->find(">2 nova</text>"), std::string::npos);
    // With a run under three seeds beside them: a click on base's time sorts
    // the rows by it, models base lacks last; the seed run's strips are drawn.
    const fs::path seeds = makeSeedRun(dir.path);
    const fs::path three = dir / "tres.html";
    ASSERT_EQ(runProgram("", withArgs({"comparar", (dir / "base").string(), (dir / "nova").string(), seeds.string(),
                                       "--html", three.string()}))
                  .exitCode,
              0);
    std::string clicked = readFile(three);
    clicked.insert(clicked.rfind("</body>"), "<script>document.querySelectorAll('#modelos th')[1].click();</script>");
    writeFile(dir / "ordenada.html", clicked);
    const std::optional<std::string> sorted =
        runChromium(dir.path, "--dump-dom 'file://" + (dir / "ordenada.html").string() + "'");
    ASSERT_TRUE(sorted.has_value());
    std::vector<size_t> order;
    const size_t rowsAt = sorted->find("<table id=\"modelos\">");
    for (const std::string name : {"e.lp", "b;\"x\".lp", "f.lp", "a.lp", "d.lp", "c.lp", "g&lt;i&gt;.lp"}) {
        order.push_back(sorted->find("<td>" + name + "</td>", rowsAt));
    }
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()) && order.back() != std::string::npos);
    const size_t stripsAt = sorted->find("<div id=\"variacao\">");
    ASSERT_NE(stripsAt, std::string::npos);
    const std::string strips = sorted->substr(stripsAt, sorted->find("</div>", stripsAt) - stripsAt);
    EXPECT_EQ(occurrences(strips, "<svg class=\"faixa\""), 3u);
    EXPECT_EQ(occurrences(strips, "<circle"), 9u);
    const fs::path shot = dir / "pagina.png";
    ASSERT_TRUE(runChromium(
        dir.path, "--window-size=1200,1600 --screenshot='" + shot.string() + "' 'file://" + page.string() + "'"))
        << readFile(dir / "chromium.err");
    EXPECT_GT(readFile(shot).size(), 10000u);
    EXPECT_EQ(readFile(shot).substr(0, 8), "\x89PNG\r\n\x1a\n");
}
