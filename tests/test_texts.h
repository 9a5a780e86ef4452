// The program's own texts, the small models that several tests use, and
// helpers that cut text into pieces.
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace testing_support {

// The about text that the program shows at start-up and for `about`.
inline const std::string kAbout =
    "\nLoteOtimizador v1.0, resolvedor de modelos .lp em lote, e gerador de arquivos .lp a partir "
    "de arquivos .mod. Criado por Equipe LoteOtimizador (contato@loteotimizador.org).O solver "
    "usado pelo programa \xC3\xA9 o SCIP (https://www.scipopt.org/doc/html/), e o transformador "
    "de formatos \xC3\xA9 o GLPK (https://www.gnu.org/software/glpk/).  \nPara acessar as "
    "funcionalidades digite 'help'. \n\n";
inline const std::string kPrompt = "LoteOtimizador> ";
inline const std::string kExit = "Saindo do shell...\n";
inline const std::string kDash = std::string(60, '-') + "\n";

// Small models used across the tests.
inline const char* const kSmallModel =  // Z = 2.8
    "Maximize\n obj: x + y\nSubject To\n c1: x + 2 y <= 4\n c2: 3 x + y <= 6\nEnd\n";
// min -x - y, 2x + 3y <= 12, x and y integers in [0, 4]: Z = -5.
inline const char* const kTinyMps =
    "NAME          TINY\nROWS\n N  obj\n L  c1\nCOLUMNS\n"
    "    MARKER                 'MARKER'                 'INTORG'\n"
    "    x         obj       -1   c1   2\n    y         obj       -1   c1   3\n"
    "    MARKER                 'MARKER'                 'INTEND'\n"
    "RHS\n    rhs       c1        12\nBOUNDS\n UP bnd       x         4\n UP bnd       y         4\nENDATA\n";
inline const char* const kFreteModel = "param n;\nvar x >= 0;\nmaximize z: x;\ns.t. c: x <= n;\nend;\n";
inline const char* const kFreteData = "data;\nparam n := 4;\nend;\n";

// opt's prompts, messages and report headers.
inline const std::string kLpPrompt = "Digite o caminho da pasta de arquivos .lp> ";
inline const std::string kOutPrompt = "Digite o caminho da pasta para gerar o output> ";
inline const std::string kFound = "Pasta de .lps encontrada\n";
inline const std::string kNoInit = "pasta de sol inicial n\xC3\xA3o existe. \n";
inline const std::string kInit = "pasta de sol inicial existe. \n";
inline const std::string kReportHeader = "NOME;TEMPO;STATUS;Z\n";
inline const std::string kCompleteHeader =
    "NOME;TEMPO;STATUS;Z;LIMITE_DUAL;GAP;NOS;ITERACOES_LP;VARIAVEIS;INTEIRAS;RESTRICOES;SOLUCOES;SOL_INICIAL;CONFERE;"
    "SEMENTE;MOTIVO;SENTIDO;VERIFICADA;INTEGRAL_PD;TEMPO_PRIMEIRA_SOL;TEMPO_MELHOR_SOL\n";
inline const std::string kRemoved =
    "Arquivo de solu\xC3\xA7\xC3\xB5"
    "es excluido da pasta de .lps\n";

inline const char* const kDecimalModel =
    "Maximize\n obj: 2.5 x + 1.25 y\nSubject To\n c1: 0.5 x + y <= 3.75\nBounds\n x <= 1.5\nEnd\n";

// mod_lp's prompt and messages.
inline const std::string kModPrompt = "Digite o caminho da pasta de arquivos .mod> ";
inline const std::string kModFound = "Pasta de .mod encontrada\n";
inline const std::string kReadError = "Erro ao tranformar modelo\n";
inline const std::string kGenerateError = "Erro ao gerar modelo\n";
inline const std::string kWriteError = "Erro ao escrever arquivo .lp\n";

// How often `what` occurs in `text`.
inline size_t occurrences(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// A complete report row spelled with the first 14 fields (NOME … CONFERE):
// the columns appended after them are added: SEMENTE and MOTIVO empty,
// SENTIDO `sense`, VERIFICADA `verified`, the integral and solution times empty.
inline std::string withLaterColumns(const std::string& row, const std::string& sense = "",
                                    const std::string& verified = "") {
    return row + ";;;" + sense + ";" + verified + ";;;";
}

// Splits text into lines (without their line feeds).
inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) result.push_back(line);
    return result;
}

}  // namespace testing_support
