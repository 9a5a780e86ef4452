// Every text that LoteOtimizador itself prints, in one place: here, and
// comparar's, the record's and the command line's in the headers it includes.
// Console encoding is UTF-8; the bytes otherwise stay exactly as users know
// them (including the blanks before some line breaks).
#pragma once

#include "text/compare_messages.h"
#include "text/command_line_messages.h"
#include "text/record_messages.h"

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
inline constexpr const char* unknownCommand = "Comando não reconhecido. Para ver os comandos digite 'help'\n";
inline constexpr const char* timeLimitPrompt = "Digite o tempo máximo para resolução dos modelos (seg)> ";
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
inline constexpr const char* dashLine = "------------------------------------------------------------\n";
inline constexpr const char* modelHeader = "MODELO ";
inline constexpr const char* modelHeaderEnd = " \n";
// After "MODELO i" in a batch under several seeds: " (semente K)".
inline constexpr const char* blockSeedLabel = " (semente %d)";
// After "MODELO i" in a batch under several variants: " (variante NOME)", " (variante NOME, semente K)".
inline constexpr const char* blockVariantLabel = " (variante %s)";
inline constexpr const char* blockVariantSeedLabel = " (variante %s, semente %d)";
inline constexpr const char* initialSolFolderExists = "pasta de sol inicial existe. \n";
inline constexpr const char* initialSolFolderMissing = "pasta de sol inicial não existe. \n";
// A list of models as the batch (opt LISTA PASTA_SAIDA).
inline constexpr const char* modelListFound = "Lista de modelos encontrada: %zu modelos\n";
inline constexpr const char* modelListFoundOne = "Lista de modelos encontrada: 1 modelo\n";
inline constexpr const char* initialSolFolderOfList = "pasta de sol inicial existe: %s \n";
inline constexpr const char* modelListUnreadable = "Não foi possível ler a lista de modelos %s\n";
inline constexpr const char* modelListNotText = "%s não é uma lista de modelos: tem bytes nulos, não é texto\n";
inline constexpr const char* modelListIsAModel =
    "%s é um modelo, não uma lista de modelos: opt resolve os modelos de uma pasta, ou os de uma lista com um "
    "caminho por linha\n";
inline constexpr const char* modelListEmpty = "A lista de modelos %s não nomeia nenhum modelo: nada a resolver\n";
inline constexpr const char* modelListNotAFile = "%s, linha %zu: %s não existe ou não é um arquivo\n";
inline constexpr const char* modelListSameName =
    "%s, linhas %zu e %zu: dois modelos com o nome %s (%s e %s); os relatórios não os distinguiriam\n";
inline constexpr const char* modelListSameSolution =
    "%s, linhas %zu e %zu: %s e %s gravariam a mesma solução %s na pasta de saída\n";
inline constexpr const char* modelListMoreFaults = "%s: e mais %zu problemas\n";
inline constexpr const char* initialSolRead = "solução inicial lida: ";
// A start solution's variables that the model lacks (ignored), and one SCIP discards.
inline constexpr const char* startSolutionUnknownVariable =
    "Solução inicial %s: 1 variável que o modelo não tem, ignorada (%s).\n";
inline constexpr const char* startSolutionUnknownVariables =
    "Solução inicial %s: %zu variáveis que o modelo não tem, ignoradas (%s).\n";
inline constexpr const char* startSolutionRejected = "Solução inicial %s rejeitada pelo SCIP.\n";
inline constexpr const char* startSolutionRejectedBecause = "Solução inicial %s rejeitada pelo SCIP: %s\n";
inline constexpr const char* scipErrorFormat = "Error <%d> in function call\n";
inline constexpr const char* notARegularFile = "Erro na leitura do modelo: não é um arquivo comum: ";
// Reached only when linked against a SCIP whose status numbering is unknown.
inline constexpr const char* unknownScipVersion =
    "Versão do SCIP não reconhecida (%d): o status do modelo não pode ser interpretado.\n";
inline constexpr const char* nameLabel = "NOME: ";
inline constexpr const char* timeLabel = "TEMPO: ";
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
inline constexpr const char* statusSolveErrorLine = "STATUS: ERRO NA RESOLUCAO DO MODELO\n";
inline constexpr const char* statusSolveErrorRow = "ERRO NA RESOLUCAO DO MODELO;";

// Statuses that only the complete report names.
inline constexpr const char* statusUserInterrupt = "INTERROMPIDO PELO USUARIO";
inline constexpr const char* statusNodeLimit = "PROCESSO INTERROMPIDO - LIMITE DE NOS";
inline constexpr const char* statusTotalNodeLimit = "PROCESSO INTERROMPIDO - LIMITE TOTAL DE NOS";
inline constexpr const char* statusStallNodeLimit = "PROCESSO INTERROMPIDO - LIMITE DE ESTAGNACAO";
inline constexpr const char* statusMemoryLimit = "PROCESSO INTERROMPIDO - LIMITE DE MEMORIA";
inline constexpr const char* statusGapLimit = "PROCESSO INTERROMPIDO - LIMITE DE GAP";
inline constexpr const char* statusPrimalLimit = "PROCESSO INTERROMPIDO - LIMITE PRIMAL";
inline constexpr const char* statusDualLimit = "PROCESSO INTERROMPIDO - LIMITE DUAL";
inline constexpr const char* statusSolutionLimit = "PROCESSO INTERROMPIDO - LIMITE DE SOLUCOES";
inline constexpr const char* statusBestSolutionLimit = "PROCESSO INTERROMPIDO - LIMITE DE MELHORES SOLUCOES";
inline constexpr const char* statusRestartLimit = "PROCESSO INTERROMPIDO - LIMITE DE REINICIOS";
inline constexpr const char* statusTerminated = "PROCESSO TERMINADO";
inline constexpr const char* statusUnknown = "DESCONHECIDO";

// Worker processes
// When SCIP's library cannot be loaded (a broken install, or a library
// chosen with --scip or LOTE_SCIP), after it its path and what is wrong.
inline constexpr const char* scipNotLoaded = "Não foi possível carregar a biblioteca do SCIP: ";
// On Windows, after the system's reason when a DLL that SCIP's needs is missing.
inline constexpr const char* scipDllNeedsRuntime =
    " (falta uma DLL de que ela precisa; o SCIP para Windows precisa do Microsoft Visual C++ "
    "Redistributable 2015-2022 para x64, e das DLLs que vêm ao lado do programa)";
inline constexpr const char* scipFunctionMissing = ": não tem a função ";
inline constexpr const char* scipVersionUnknown = ": a versão %s do SCIP não é uma das que o programa conhece (9 e 10)";
inline constexpr const char* workerKilledBySignal =
    "O processo que resolvia o modelo %s terminou pelo sinal %d (%s).\n";
// Reached only when a worker ends on its own in the middle of a model (exit
// inside the library).
inline constexpr const char* workerExited = "O processo que resolvia o modelo %s terminou com o código %d.\n";
// Reached only by a fault in the program: a worker's message that cannot be decoded.
inline constexpr const char* workerUnreadable =
    "O processo que resolvia o modelo %s enviou um resultado ilegível e foi interrompido.\n";
// Reached only by a model that SCIP keeps running long past its time limit.
inline constexpr const char* workerOverrun = "O modelo %s passou de %s s além do tempo máximo e foi interrompido.\n";
// Reached only by a model whose reading takes long past the time limit.
inline constexpr const char* workerOverrunReading =
    "O modelo %s passou de %s s além do tempo máximo durante a leitura e foi interrompido.\n";
// Reached only when fork, pipe or memfd_create fail.
inline constexpr const char* workerNotStarted = "Não foi possível iniciar um processo de resolução: ";
inline constexpr const char* batchInterrupted = "Lote interrompido: %zu de %zu entradas concluídas.\n";
// Shown only when standard error is a terminal.
inline constexpr const char* progressLine = "\r\033[K%zu/%zu concluídos, %zu em execução, %s";
inline constexpr const char* progressClear = "\r\033[K";

// mod_lp
inline constexpr const char* modFolderPrompt = "Digite o caminho da pasta de arquivos .mod> ";
inline constexpr const char* modFolderInvalid = "Pasta de .mods inexistente ou inválida...\n";
inline constexpr const char* modFolderFound = "Pasta de .mod encontrada\n";
inline constexpr const char* generatedHeaderEnd = " gerado\n";
inline constexpr const char* modelReadError = "Erro ao tranformar modelo\n";
inline constexpr const char* modelGenerateError = "Erro ao gerar modelo\n";
inline constexpr const char* lpWriteError = "Erro ao escrever arquivo .lp\n";
inline constexpr const char* lpOutdated = "Atenção: %s é de uma tradução anterior e não foi atualizado.\n";

// Complete report and known results
inline constexpr const char* soluBadLine =
    ": linha ignorada, fora do formato =opt=/=best=/=inf=/=unbd=/=feas=/=unkn=: ";
inline constexpr const char* historyUnreadable =
    "A pasta de --historico %s não tem um relatório completo legível (sol_stat_completo.csv).\n";
inline constexpr const char* soluUnreadable = "Não foi possível ler o arquivo de resultados conhecidos ";
inline constexpr const char* checkOk = "OK";
inline constexpr const char* checkWrong = "ERRADO";
inline constexpr const char* checkNoReference = "SEM REFERENCIA";
inline constexpr const char* checkCompatible = "COMPATIVEL";
inline constexpr const char* checkBetter = "MELHOR";
// MOTIVO's words, in this order, joined by "+".
inline constexpr const char* reasonValue = "VALOR";
inline constexpr const char* reasonDualBound = "LIMITE DUAL";
inline constexpr const char* reasonStatus = "STATUS";
inline constexpr const char* reasonInfeasibleSolution = "SOLUCAO INVIAVEL";
// VERIFICADA, and what is said of a solution that is not feasible.
inline constexpr const char* verifiedYes = "SIM";
inline constexpr const char* verifiedNo = "NAO";
inline constexpr const char* verifiedNotChecked = "-";
inline constexpr const char* checkCut =
    "A verificação da solução de %s não terminou: o modelo fica resolvido, com a solução sem verificação (VERIFICADA "
    "-).\n";
inline constexpr const char* violationBound = "limite de variável";
inline constexpr const char* violationIntegrality = "integralidade";
inline constexpr const char* violationConstraint = "restrição";
inline constexpr const char* solutionViolates = "Solução inviável de %s: maior violação de %s, %s (SCIP: %s)\n";
// A constraint whose violation SCIP does not measure.
inline constexpr const char* solutionViolatesUnmeasured = "Solução inviável de %s (SCIP: %s)\n";
inline constexpr const char* solutionNotChecked = "Não foi possível verificar a solução %s do modelo %s.\n";
inline constexpr const char* senseMin = "MIN";
inline constexpr const char* senseMax = "MAX";
inline constexpr const char* checkSummary =
    "Conferência: %zu OK, %zu COMPATIVEL, %zu MELHOR, %zu ERRADO, %zu SEM REFERENCIA.\n";
inline constexpr const char* initialSolStored = "SIM";
inline constexpr const char* initialSolRejected = "REJEITADA";
inline constexpr const char* initialSolNone = "NAO";

// Shards and merge
inline constexpr const char* shardInvalid = "Parte inválida: %s (use K/N, com K de 1 a N, ou slurm).\n";
inline constexpr const char* shardSlurmMissing =
    "--shard slurm: SLURM_ARRAY_TASK_ID, SLURM_ARRAY_TASK_MIN e SLURM_ARRAY_TASK_COUNT ausentes ou inconsistentes.\n";
inline constexpr const char* shardIntoModelFolder =
    "Um lote em partes não pode gravar na própria pasta de modelos: %s\n";
inline constexpr const char* mergeNoParts = "Nenhuma parte de lote encontrada em %s\n";
inline constexpr const char* mergeMixedCounts = "Há partes de lotes divididos de formas diferentes em %s\n";
inline constexpr const char* mergeMissingPart = "Falta a parte %d de %d: %s\n";
inline constexpr const char* mergeUnfinishedPart = "A parte %d de %d não terminou: %s\n";
inline constexpr const char* mergeOtherScips =
    "As partes %d e %d de %s foram resolvidas com SCIPs diferentes: %s e %s; nada foi juntado.\n";
inline constexpr const char* resumeOtherScip =
    "%s foi resolvida com %s; --retomar com %s misturaria dois SCIPs no mesmo relatório. Use outra pasta de "
    "saída, ou o mesmo SCIP (--scip).\n";
inline constexpr const char* mergeListingChanged =
    "A pasta (ou a lista) de modelos mudou entre as partes (listagens diferentes); rode as partes de novo: %s\n";
inline constexpr const char* mergeDone = "%d partes unidas em %s\n";

// SCIP's parameters and logs
inline constexpr const char* parameterFileUnreadable = "Arquivo de parâmetros do SCIP não pode ser lido: %s\n";
inline constexpr const char* parameterFileUnknown =
    "Arquivo de parâmetros %s, linha %zu: parâmetro desconhecido do SCIP: %s\n";
inline constexpr const char* parameterFileRefused =
    "Arquivo de parâmetros %s, linha %zu: valor recusado pelo SCIP: %s\n";
inline constexpr const char* parameterUnknown = "Parâmetro desconhecido do SCIP: %s\n";
inline constexpr const char* parameterRefused = "Valor recusado pelo SCIP: %s\n";
inline constexpr const char* parameterFixed =
    "O parâmetro %s é definido pelo programa para cada modelo e não pode ser fixado (fix).\n";
inline constexpr const char* parameterCheckFailed = "Não foi possível verificar os parâmetros do SCIP.\n";
inline constexpr const char* logNotWritten = "Log do SCIP não gravado: ";
// A racing batch's private folder for its copies' files.
inline constexpr const char* raceFolderNotMade =
    "Não foi possível criar a pasta das cópias da corrida (o lote segue sem corrida) em ";
inline constexpr const char* recordNotWritten = "Registro dos parâmetros não gravado: ";

// A folder that another run is writing, and who that run is.
inline constexpr const char* folderHeld =
    "A pasta %s está em uso por outro lote (%s): espere que ele acabe, ou use outra pasta.\n";
inline constexpr const char* lockHolder = "%s, processo %d, desde %s: %s";
inline constexpr const char* lockHolderShell = "opt no shell";
inline constexpr const char* lockHolderUnknown = "que não se descreveu";
inline constexpr const char* lockUnsupported =
    "Atenção: o sistema de arquivos de %s não aceita travas (%s); o lote segue sem saber se outro escreve na pasta.\n";
inline constexpr const char* lockFailed = "Não foi possível travar a pasta %s: %s\n";
inline constexpr const char* commandUnknown = "Comando desconhecido: %s\n";
inline constexpr const char* commandNeedsTwo = "O comando %s precisa de duas pastas: PASTA_LP PASTA_SAIDA.\n";
inline constexpr const char* commandNeedsOne = "O comando %s precisa de uma pasta.\n";

}  // namespace msg
