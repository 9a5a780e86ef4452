// The shell as a user drives it: typed lines in, exact bytes out.
#include <gtest/gtest.h>

#include "test_support.h"

using namespace testing_support;

namespace {

const std::string kHelp =
    "\n"
    " opt            otimizar arquivos de uma determinada pasta (a pasta deve conter somente arquivos .lp)\n"
    " time_limit     adicionar um tempo m\xC3\xA1ximo (em segundos) para a execu\xC3\xA7\xC3\xA3o dos modelos\n"
    " mod_lp         converter arquivos do formato mod para lp. Se os dados do modelo forem lidos de tabelas\n"
    "                o programa s\xC3\xB3 funciona se o execut\xC3\xA1vel estiver na mesma pasta dos modelos.\n"
    " about          informa\xC3\xA7\xC3\xB5"
    "es sobre o LoteOtimizador\n"
    " exit           finalizar LoteOtimizador\n"
    "\n";
const std::string kUnknown = "Comando n\xC3\xA3o reconhecido. Para ver os comandos digite 'help'\n";
const std::string kTimePrompt = "Digite o tempo m\xC3\xA1ximo para resolu\xC3\xA7\xC3\xA3o dos modelos (seg)> ";
const std::string kTimeInvalid =
    "Tempo m\xC3\xA1ximo n\xC3\xA3o alterado: digite um n\xC3\xBAmero de segundos, como 30 ou 2,5.\n";

}  // namespace

TEST(Shell, BannerAboutHelpAndExit) {
    const RunResult r = runProgram("about\nhelp\nexit\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, kAbout + kPrompt + kAbout + kPrompt + kHelp + kPrompt + kExit);
    EXPECT_EQ(r.err, "");
}

TEST(Shell, UnrecognisedWordsGoToStandardError) {
    const RunResult r = runProgram("\nExit\nexit \n exit\nHELP\nopt2\nexit\nhelp\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, kAbout + kPrompt + kPrompt + kPrompt + kPrompt + kPrompt + kPrompt + kPrompt + kExit);
    std::string expectedErr;
    for (int i = 0; i < 6; ++i) expectedErr += kUnknown;
    EXPECT_EQ(r.err, expectedErr);
}

TEST(Shell, EndOfInputEndsLikeExit) {
    // At the prompt, with and without a final line break, and with no input at all.
    const std::map<std::string, std::string> expected = {
        {"help\n", kAbout + kPrompt + kHelp + kPrompt + kExit},
        {"help", kAbout + kPrompt + kHelp + kExit},
        {"", kAbout + kPrompt + kExit},
    };
    for (const auto& [input, out] : expected) {
        const RunResult r = runProgram(input);
        EXPECT_EQ(r.exitCode, 0) << input;
        EXPECT_EQ(r.out, out) << input;
        EXPECT_EQ(r.err, "");
    }
    // At each command's own prompt.
    const RunResult t = runProgram("time_limit\n");
    EXPECT_EQ(t.out, kAbout + kPrompt + kTimePrompt + kExit);
    const RunResult o = runProgram("opt\n");
    EXPECT_EQ(o.out, kAbout + kPrompt + "Digite o caminho da pasta de arquivos .lp> " + kExit);
    const RunResult m = runProgram("mod_lp\n");
    EXPECT_EQ(m.out, kAbout + kPrompt + "Digite o caminho da pasta de arquivos .mod> " + kExit);
    TempDir dir;
    const RunResult o2 = runProgram("opt\n" + dir.str() + "\n");
    EXPECT_EQ(o2.out, kAbout + kPrompt + "Digite o caminho da pasta de arquivos .lp> " +
                          "Pasta de .lps encontrada\npasta de sol inicial n\xC3\xA3o existe. \n" +
                          "Digite o caminho da pasta para gerar o output> " + kExit);
    for (const RunResult* r : {&t, &o, &m, &o2}) {
        EXPECT_EQ(r->exitCode, 0);
        EXPECT_EQ(r->err, "");
    }
}

TEST(Shell, TimeLimitPromptAndInvalidLines) {
    const RunResult r = runProgram("time_limit\n2,5\ntime_limit\nmuito\ntime_limit\n1e999\ntime_limit\n\nexit\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, kAbout + kPrompt + kTimePrompt + kPrompt + kTimePrompt + kPrompt + kTimePrompt + kPrompt +
                         kTimePrompt + kPrompt + kExit);
    EXPECT_EQ(r.err, kTimeInvalid + kTimeInvalid + kTimeInvalid);
}
