// The comparison of batches as one self-contained HTML page.
#include "compare/comparison_html.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "compare/comparison_charts.h"
#include "compare/comparison_text.h"
#include "compare/model_table.h"
#include "platform/system.h"
#include "reports/report_rows.h"
#include "text/messages.h"
#include "text/format.h"

namespace {

const char* const kStyle =
    "body{font-family:sans-serif;margin:1.5em;color:#222}"
    "table{border-collapse:collapse;margin:.5em 0}"
    "th,td{border:1px solid #ccc;padding:.2em .5em;white-space:nowrap}"
    "th{background:#eee}td.n{text-align:right}"
    "#modelos th{cursor:pointer}#modelos th:hover{background:#ddd}"
    "#modelos th[data-ordem=sobe]::after{content:' \\25B2'}#modelos th[data-ordem=desce]::after{content:' \\25BC'}"
    ".resolvido{background:#d8f0d8}.limite{background:#fdeebd}.erro{background:#f6cccc}.outro{background:#e4e4e4}"
    ".ausente{color:#999}.muda{font-weight:bold}.inconsistente{background:#f6cccc;font-weight:bold}"
    "tr.virtual td{font-style:italic}.nota{color:#555;font-size:90%;max-width:60em}"
    ".rolagem{overflow-x:auto}svg.faixa line{stroke:#999}svg.faixa circle{fill:#1f77b4;fill-opacity:.7}";

// Sorts the per-model table by the clicked column (numbers by their value,
// text in Portuguese order), once up, then down.
const char* const kScript =
    "const corpo=document.querySelector('#modelos tbody');\n"
    "for(const linha of linhas){const tr=corpo.insertRow();for(const [texto,classe,valor] of linha){\n"
    " const td=tr.insertCell();td.textContent=texto;if(classe)td.className=classe;\n"
    " if(valor!==undefined)td.dataset.v=valor===null?'Infinity':valor;}}\n"
    "const titulos=document.querySelectorAll('#modelos th');\n"
    "titulos.forEach((th,coluna)=>th.addEventListener('click',()=>{\n"
    " const sobe=th.dataset.ordem!=='sobe';titulos.forEach(h=>delete "
    "h.dataset.ordem);th.dataset.ordem=sobe?'sobe':'desce';\n"
    " const chave=tr=>{const td=tr.cells[coluna];return "
    "td.dataset.v!==undefined?Number(td.dataset.v):td.textContent;};\n"
    " const linhasOrdenadas=[...corpo.rows].sort((a,b)=>{const x=chave(a),y=chave(b);\n"
    "  const d=typeof x==='number'&&typeof "
    "y==='number'?(x===y?0:x<y?-1:1):String(x).localeCompare(String(y),'pt-BR',{numeric:true});\n"
    "  return sobe?d:-d;});\n"
    " for(const tr of linhasOrdenadas)corpo.appendChild(tr);}));\n";

std::string jsonNumber(const std::optional<double>& value) {
    if (!value || !std::isfinite(*value)) return "null";
    char text[64];
    return std::string(text, std::to_chars(text, text + sizeof text, *value).ptr);
}

// One cell of the script's data: [text, class] or [text, class, value].
std::string cell(const std::string& text, const std::string& cssClass = "") {
    return "[" + scriptString(text) + "," + scriptString(cssClass) + "]";
}
std::string numberCell(const std::optional<double>& value, const std::string& text) {
    return "[" + scriptString(text) + ",\"n\"," + jsonNumber(value) + "]";
}

const char* kindClass(StatusKind kind) {
    switch (kind) {
        case StatusKind::Solved: return "resolvido";
        case StatusKind::Limit: return "limite";
        case StatusKind::Error: return "erro";
        case StatusKind::Other: break;
    }
    return "outro";
}

const char* pageLabel(ModelColumn column) {
    switch (column) {
        case ModelColumn::Model: return msg::pageModel;
        case ModelColumn::Time: return msg::pageTime;
        case ModelColumn::Ratio: return msg::pageRatio;
        case ModelColumn::Status: return msg::pageStatus;
        case ModelColumn::Z: return msg::pageZ;
        case ModelColumn::Nodes: return msg::pageNodes;
        case ModelColumn::Check: return msg::pageCheck;
        case ModelColumn::AcrossFolders: return msg::pageAcrossFolders;
    }
    return "";
}

std::string statusCell(const ModelCell& status) {
    if (status.missing) return cell(msg::pageMissing, "ausente");
    const char* mark = status.kind == StatusKind::Limit   ? msg::pageLimitMark
                       : status.kind == StatusKind::Error ? msg::pageErrorMark
                                                          : "";
    // The mark is a script string's escape: it goes into the quoted text as it stands.
    std::string text = scriptString(status.text + (status.changed ? std::string(" ") + msg::compareChanged : ""));
    text.insert(1, mark);
    return "[" + text + "," + scriptString(std::string(kindClass(status.kind)) + (status.changed ? " muda" : "")) + "]";
}

std::string pageCell(const ModelCell& model, ModelColumn column) {
    switch (column) {
        case ModelColumn::Model: return cell(model.text);
        case ModelColumn::Status: return statusCell(model);
        case ModelColumn::Check:
            return model.missing ? cell("") : cell(checkText(model.check), model.check == Check::Wrong ? "erro" : "");
        case ModelColumn::AcrossFolders:
            return cell(model.inconsistent ? msg::compareInconsistent : "", model.inconsistent ? "inconsistente" : "");
        case ModelColumn::Time:
        case ModelColumn::Ratio:
        case ModelColumn::Z:
        case ModelColumn::Nodes: break;
    }
    return numberCell(model.value, model.text);
}

// The per-model table's header, and its rows as the script's data.
std::string modelTable(const Comparison& comparison) {
    const ModelTable table = buildModelTable(comparison, true);
    std::string header;
    for (const ModelTableColumn& column : table.columns) {
        header += "<th>" + columnHeading(pageLabel(column.kind), column, comparison.labels.size()) + "</th>";
    }
    std::string data = "const linhas=[\n";
    for (const std::vector<ModelCell>& cells : table.rows) {
        std::string row;
        for (size_t c = 0; c < cells.size(); ++c)
            row += (c == 0 ? "[" : ",") + pageCell(cells[c], table.columns[c].kind);
        data += row + "],\n";
    }
    return "<div class=\"rolagem\"><table id=\"modelos\"><thead><tr>" + header +
           "</tr></thead><tbody></tbody></table></div>\n<script>\n" + data + "];\n" + kScript + "</script>\n";
}

std::string summaryRow(const FolderSummary& summary, const std::string& label, bool reference, bool isVirtual) {
    const auto number = [](const std::optional<double>& value, int decimals) {
        return value ? decimalComma(*value, decimals) : std::string("-");
    };
    std::string row =
        std::string("<tr") + (isVirtual ? " class=\"virtual\"" : "") + "><td>" + htmlEscape(label) + "</td>";
    for (size_t value : {summary.models, summary.solved, summary.limits, summary.errors, summary.wrong}) {
        row += "<td class=\"n\">" + std::to_string(value) + "</td>";
    }
    row += "<td class=\"n\">" + number(summary.meanSeconds, 3) + "</td><td class=\"n\">" +
           number(summary.meanNodes, 2) + "</td>";
    row += "<td class=\"n\">" + (reference ? std::string("-") : std::to_string(summary.wins)) +
           "</td><td class=\"n\">" + (reference ? std::string("-") : std::to_string(summary.losses)) +
           "</td><td class=\"n\">" + number(summary.meanIntegral, 2) + "</td></tr>\n";
    return row;
}

// A summary table: one row per folder, the virtual best last.
std::string summaryTable(const Comparison& comparison, const std::vector<FolderSummary>& summaries,
                         const FolderSummary& virtualBest, const std::string& id) {
    std::string table = "<table id=\"" + id + "\"><thead><tr>";
    for (const char* column : msg::pageSummaryColumns) table += std::string("<th>") + column + "</th>";
    table += "</tr></thead><tbody>\n";
    for (size_t f = 0; f < summaries.size(); ++f) {
        table += summaryRow(summaries[f], std::to_string(f + 1) + " " + comparison.labels[f], f == 0, false);
    }
    return table + summaryRow(virtualBest, virtualBest.label, false, true) + "</tbody></table>\n";
}

// Each folder but the reference against it: p, pairs and what they say.
std::string testsTable(const Comparison& comparison, const std::vector<FolderSummary>& summaries,
                       const std::string& id) {
    std::string table = "<table id=\"" + id + "\"><thead><tr>";
    for (const char* column : msg::pageTestsColumns) table += std::string("<th>") + column + "</th>";
    table += "</tr></thead><tbody>\n";
    for (size_t f = 1; f < summaries.size(); ++f) {
        table += "<tr><td>" + htmlEscape(std::to_string(f + 1) + " " + comparison.labels[f]) + "</td>";
        for (const std::string& cell : testCells(summaries[f])) table += "<td>" + htmlEscape(cell) + "</td>";
        table += "</tr>\n";
    }
    return table + "</tbody></table>\n";
}

// The tests on all models, then each bracket of harder models.
std::string testsAndBrackets(const Comparison& comparison) {
    const bool several = comparison.labels.size() > 1;
    std::string page;
    if (several) {
        page += std::string("<h2>") + msg::pageTestsTitle + "</h2>\n" +
                testsTable(comparison, comparison.summaries, "testes") + "<p class=\"nota\">" + msg::pageTestsNote +
                "</p>\n<h2>" + msg::pageKindTitle + "</h2>\n<ul id=\"diferencas\">\n";
        for (size_t f = 1; f < comparison.labels.size(); ++f) {
            page += "<li>" +
                    htmlEscape(std::to_string(f + 1) + " " + comparison.labels[f] + ": " +
                               differenceText(comparison.summaries[f])) +
                    "</li>\n";
        }
        page += "</ul>\n";
        if (anyApart(comparison)) page += "<p class=\"nota\">" + htmlEscape(msg::compareApartAdvice) + "</p>\n";
    }
    page += std::string("<h2>") + msg::pageBracketsTitle + "</h2>\n";
    for (const BracketSummary& bracket : comparison.brackets) {
        const std::string id = "faixa-" + decimalComma(bracket.seconds, 0);
        page +=
            "<h3>" + formatMessage(msg::pageBracketTitle, decimalComma(bracket.seconds, 0), bracket.models) + "</h3>\n";
        if (bracket.models == 0) {
            page += std::string("<p id=\"") + id + "\">" + msg::pageBracketEmpty + "</p>\n";
            continue;
        }
        page += summaryTable(comparison, bracket.summaries, bracket.virtualBest, id);
        if (several) page += testsTable(comparison, bracket.summaries, id + "-testes");
    }
    return page;
}

}  // namespace

std::string scriptString(const std::string& text) {
    std::string quoted = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        // U+2028 and U+2029 end a line inside older script parsers.
        if (c == 0xE2 && i + 2 < text.size() && text[i + 1] == '\x80' &&
            (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
            quoted += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
            i += 2;
        } else if (c == '"' || c == '\\') {
            quoted += std::string("\\") + static_cast<char>(c);
        } else if (c < 0x20 || c == '<' || c == '>' || c == '&') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            quoted += escaped;
        } else {
            quoted += static_cast<char>(c);
        }
    }
    return quoted + "\"";
}

std::string comparisonPage(const Comparison& comparison, const std::string& extra) {
    const size_t count = comparison.labels.size();
    const std::string title =
        count == 1 ? msg::pageTitleOne + htmlEscape(comparison.labels[0]) : std::string(msg::pageTitleMany);
    std::string page = "<!DOCTYPE html>\n<html lang=\"pt-BR\"><head><meta charset=\"" + std::string(textCharset()) +
                       "\">\n<title>" + title + msg::pageTitleProgram + "</title>\n<style>" + kStyle +
                       "</style></head>\n<body>\n<h1>" + title + "</h1>\n<ol>\n";
    const std::vector<std::string> scips = scipNames(comparison);
    for (size_t f = 0; f < count; ++f) {
        const std::optional<double>& limit = comparison.timeLimits[f];
        page += "<li><b>" + htmlEscape(comparison.labels[f]) + "</b>" +
                (f == 0 && count > 1 ? msg::pageReference : "") + ": " +
                (limit ? formatMessage(msg::compareTimeLimit, decimalComma(*limit, 3))
                       : std::string(msg::compareNoTimeLimit)) +
                (scips[f].empty() ? "" : msg::compareScipSeparator + htmlEscape(scips[f])) + "</li>\n";
    }
    page += "</ol>\n<h2>" + formatMessage(msg::pageSummaryTitle, comparison.summaries[0].models) + "</h2>\n" +
            summaryTable(comparison, comparison.summaries, comparison.virtualBest, "resumo");
    if (comparison.inconsistent > 0) {
        page += "<p id=\"inconsistentes\" class=\"inconsistente\">" +
                htmlEscape(formatMessage(msg::compareInconsistentCount, comparison.inconsistent)) + "</p>\n";
    }
    page += std::string("<p class=\"nota\">") + msg::pageSummaryNote + "</p>\n" + testsAndBrackets(comparison);
    const std::string profile = profileChart(comparison);
    if (!profile.empty()) {
        page += std::string("<h2>") + msg::pageProfileTitle + "</h2>\n<p class=\"nota\">" + msg::pageProfileNote +
                "</p>\n" + profile + "\n";
    }
    page += std::string("<h2>") + msg::pageTimeTitle + "</h2>\n<div class=\"rolagem\">" + timeChart(comparison) +
            "</div>\n";
    page += extra + std::string("<h2>") + msg::pageModelsTitle + "</h2>\n<p class=\"nota\">" + msg::pageModelsNote +
            "</p>\n";
    return page + modelTable(comparison) + "</body></html>\n";
}
