// Every text that LoteOtimizador itself prints, in one place.
// Console encoding is UTF-8; the bytes otherwise stay exactly as users know
// them (including the blanks before some line breaks).
#pragma once

namespace msg {

// Shell
inline constexpr const char* prompt = "LoteOtimizador> ";
inline constexpr const char* about =
    "\n"
    "LoteOtimizador v1.0, resolvedor de modelos .lp em lote, e gerador de arquivos .lp a partir de "
    "arquivos .mod. Criado por Equipe LoteOtimizador (contato@loteotimizador.org)."
    "O solver usado pelo programa é o SCIP (https://www.scipopt.org/doc/html/), e o transformador "
    "de formatos é o GLPK (https://www.gnu.org/software/glpk/).  \n"
    "Para acessar as funcionalidades digite 'help'. \n\n";
inline constexpr const char* help =
    "\n"
    " opt            otimizar arquivos de uma determinada pasta (a pasta deve conter somente arquivos .lp)\n"
    " time_limit     adicionar um tempo máximo (em segundos) para a execução dos modelos\n"
    " mod_lp         converter arquivos do formato mod para lp. Se os dados do modelo forem lidos de tabelas\n"
    "                o programa só funciona se o executável estiver na mesma pasta dos modelos.\n"
    " about          informações sobre o LoteOtimizador\n"
    " exit           finalizar LoteOtimizador\n"
    "\n";
inline constexpr const char* exiting = "Saindo do shell...\n";
inline constexpr const char* unknownCommand =
    "Comando não reconhecido. Para ver os comandos digite 'help'\n";
inline constexpr const char* timeLimitPrompt =
    "Digite o tempo máximo para resolução dos modelos (seg)> ";
inline constexpr const char* timeLimitInvalid =
    "Tempo máximo não alterado: digite um número de segundos, como 30 ou 2,5.\n";

// Folder services
inline constexpr const char* folderAccessError = "Erro ao acessar a pasta: ";
inline constexpr const char* invalidFolderName = "nome de pasta inválido: ";

// opt
inline constexpr const char* lpFolderPrompt = "Digite o caminho da pasta de arquivos .lp> ";
inline constexpr const char* lpFolderInvalid = "Pasta de .lps inexistente ou inválida...\n";
inline constexpr const char* lpFolderFound = "Pasta de .lps encontrada\n";
inline constexpr const char* oldReportRemoved = "Arquivo de soluções excluido da pasta de .lps\n";
inline constexpr const char* oldReportNotRemoved = "Não foi possível excluir o arquivo de soluções ";
inline constexpr const char* outputFolderPrompt = "Digite o caminho da pasta para gerar o output> ";
inline constexpr const char* outputFolderInvalid = "Pasta de output inexistente ou inválida...\n";
inline constexpr const char* dashLine =
    "------------------------------------------------------------\n";
inline constexpr const char* modelHeader = "MODELO ";
inline constexpr const char* modelHeaderEnd = " \n";
inline constexpr const char* initialSolFolderExists = "pasta de sol inicial existe. \n";
inline constexpr const char* initialSolFolderMissing = "pasta de sol inicial não existe. \n";
inline constexpr const char* initialSolRead = "solução inicial lida: ";
inline constexpr const char* scipErrorFormat = "Error <%d> in function call\n";
inline constexpr const char* notARegularFile = "Erro na leitura do modelo: não é um arquivo comum: ";
// Reached only when linked against a SCIP whose status numbering is unknown.
inline constexpr const char* unknownScipVersion =
    "Versão do SCIP não reconhecida (%d): o status do modelo não pode ser interpretado.\n";
inline constexpr const char* nameLabel = "NOME: ";
inline constexpr const char* timeLabel = "TEMPO: ";
inline constexpr const char* reportHeader = "NOME;TEMPO;STATUS;Z\n";
inline constexpr const char* reportNotWritten = "Não foi possível gravar o relatório ";
inline constexpr const char* solutionNotWritten = "Não foi possível gravar a solução ";
inline constexpr const char* solutionNotRemoved = "Não foi possível excluir a solução antiga ";

// Status lines (console) and texts (report row), by outcome.
inline constexpr const char* statusTimeLimitLine = "STATUS: PROCESSO INTERROMPIDO - LIMITE DE TEMPO\n";
inline constexpr const char* statusTimeLimitRow = "PROCESSO INTERROMPIDO - LIMITE DE TEMPO;";
inline constexpr const char* statusOptimalLine = "STATUS: SOL OTIMA\n";
inline constexpr const char* statusOptimalRow = "SOL OTIMA;";
inline constexpr const char* statusInfeasibleLine = "STATUS: PROBLEMA INFACTIVEL\n";
inline constexpr const char* statusInfeasibleRow = "PROBLEMA INFACTIVEL;";
inline constexpr const char* statusUnboundedLine = "STATUS: PROBLEMA ILIMITADO\n";
inline constexpr const char* statusUnboundedRow = "PROBLEMA ILIMITADO;";
inline constexpr const char* statusInfOrUnbdLine = "STATUS: PROBLEMA ILIMITADO OU INFACTIVEL\n";
inline constexpr const char* statusInfOrUnbdRow = "PROBLEMA ILIMITADO OU INFACTIVEL;";
inline constexpr const char* statusReadErrorLine = "STATUS: ERRO NA LEITURA DO MODELO\n";
inline constexpr const char* statusReadErrorRow = "ERRO NA LEITURA DO MODELO;";

// mod_lp
inline constexpr const char* modFolderPrompt = "Digite o caminho da pasta de arquivos .mod> ";
inline constexpr const char* modFolderInvalid = "Pasta de .mods inexistente ou inválida...\n";
inline constexpr const char* modFolderFound = "Pasta de .mod encontrada\n";
inline constexpr const char* generatedHeaderEnd = " gerado\n";
inline constexpr const char* modelReadError = "Erro ao tranformar modelo\n";
inline constexpr const char* modelGenerateError = "Erro ao gerar modelo\n";
inline constexpr const char* lpWriteError = "Erro ao escrever arquivo .lp\n";
inline constexpr const char* lpOutdated =
    "Atenção: %s é de uma tradução anterior e não foi atualizado.\n";

}  // namespace msg
