// comparar's texts: its errors, the console tables, the summary CSV and the
// page with its charts. Part of the texts of messages.h, which includes it.
#pragma once

namespace msg {

// ---- Command line and console ----
inline constexpr const char* optionNotWithCompare = "A opção %s não vale com o comando comparar.\n";
inline constexpr const char* compareSameFile =
    "%s é um arquivo de uma pasta comparada, ou o mesmo de --html e --csv: escolha outro.\n";
inline constexpr const char* compareRepeatedName = "%s: o modelo %s aparece de novo; vale a última linha.\n";
inline constexpr const char* compareSeedMissing = "%s: o modelo %s falta em %s; fica fora desta pasta.\n";
inline constexpr const char* compareSeedFolderIgnored =
    "%s: pasta ignorada (uma semente se escreve semente-K, K de 0 a 2147483647 sem zeros à esquerda).\n";
inline constexpr const char* optionNeedsCompare = "A opção %s só vale com o comando comparar.\n";
inline constexpr const char* commandNeedsFolders = "O comando %s precisa de ao menos uma pasta de saída.\n";
inline constexpr const char* compareNoReport =
    "A pasta %s não tem um relatório completo legível (sol_stat_completo.csv).\n";
inline constexpr const char* compareBadRow = "%s: linha ignorada, fora do formato do relatório completo: %s\n";
inline constexpr const char* compareSettingsUnreadable = "Não foi possível ler %s: tempo máximo desconhecido.\n";
inline constexpr const char* compareBadTimeLimit = "%s: limits/time ilegível (%s): tempo máximo desconhecido.\n";
inline constexpr const char* compareNotWritten = "Não foi possível gravar o arquivo ";
inline constexpr const char* compareWritten = "Gravado: %s\n";
inline constexpr const char* compareFolders = "Pastas comparadas (a primeira é a referência):\n";
inline constexpr const char* compareFolderLine = "  %zu  %s  (%s)\n";
inline constexpr const char* compareTimeLimit = "tempo máximo %s s";
inline constexpr const char* compareNoTimeLimit = "tempo máximo desconhecido";
// A folder's SCIP, after its time limit: its version, and its library where
// another folder has the same version from another library.
inline constexpr const char* compareScip = "SCIP %s";
inline constexpr const char* compareScipWithLibrary = "SCIP %s, %s";
inline constexpr const char* compareScipSeparator = "; ";
// Statuses shortened for the tables: these beginnings and this ending are cut.
inline constexpr const char* compareStatusPrefixes[] = {"PROCESSO INTERROMPIDO - ", "PROBLEMA "};
inline constexpr const char* compareStatusSuffix = " DO MODELO";
inline constexpr const char* compareModel = "MODELO";
inline constexpr const char* compareTime = "TEMPO";
inline constexpr const char* compareRatio = "RAZAO";
inline constexpr const char* compareStatus = "STATUS";
inline constexpr const char* compareCheck = "CONFERE";
inline constexpr const char* compareMissing = "AUSENTE";
inline constexpr const char* compareChanged = "*";  // a status other than the reference's
inline constexpr const char* compareInconsistent = "INCONSISTENTE";
inline constexpr const char* compareAcrossFolders = "ENTRE PASTAS";  // the per-model column of INCONSISTENTE
inline constexpr const char* compareInconsistentCount =
    "INCONSISTENTES: %zu (modelos em que as pastas se contradizem).\n";
inline constexpr const char* compareSummaryTitle = "Resumo dos %zu modelos presentes em todas as pastas:\n";
inline constexpr const char* compareSummaryColumns[] = {"PASTA",    "MODELOS",  "RESOLVIDOS",     "LIMITES",
                                                        "ERROS",    "ERRADOS",  "MGD_TEMPO",      "MGD_NOS",
                                                        "VITORIAS", "DERROTAS", "MGD_INTEGRAL_PD"};
inline constexpr const char* compareVirtualBest = "MELHOR VIRTUAL";
inline constexpr const char* compareNotes =
    "* status diferente do da referência; INCONSISTENTE: pastas que se contradizem (ótimos diferentes, um limite\n"
    "dual além da solução de outra pasta, ou inviável numa e com solução noutra).\n"
    "MGD_TEMPO: média geométrica deslocada do tempo (1 s); um modelo não resolvido (ou ERRADO) conta o tempo\n"
    "máximo da pasta, ou o próprio tempo se for maior.\n"
    "MGD_NOS: a dos nós (100), nos modelos resolvidos em todas as pastas. VITORIAS e DERROTAS: contra a\n"
    "referência (resolvido só de um lado, ou 10 % e 0,2 s mais rápido). MGD_INTEGRAL_PD: a da integral\n"
    "primal-dual do SCIP (% vezes s; deslocamento 100), nos modelos que a têm em todas as pastas.\n";
inline constexpr const char* compareCsvHeader =
    "PASTA;MODELOS;RESOLVIDOS;LIMITES;ERROS;ERRADOS;MGD_TEMPO;MGD_NOS;VITORIAS;DERROTAS;P_WILCOXON;P_MCNEMAR;"
    "INCONSISTENTES;MGD_INTEGRAL_PD;P_WILCOXON_INTEGRAL;SCIP;P_WILCOXON_NOS;P_WILCOXON_ITERACOES\n";
// Whether a difference is real: the tests against the reference, in words.
inline constexpr const char* compareTestsTitle =
    "Diferença real? Cada pasta contra a referência, nos modelos que as duas têm, a 5 %:\n";
inline constexpr const char* compareTestsColumns[] = {
    "PASTA",          "TEMPO (WILCOXON)",        "RESOLVIDOS (MCNEMAR)", "INTEGRAL PD (WILCOXON)",
    "NOS (WILCOXON)", "ITERACOES LP (WILCOXON)", "QUANDO RODARAM"};
// When a folder ran against the reference, by RunTogether.
inline constexpr const char* compareTogether[] = {"não se sabe", "lado a lado, variantes de um lote",
                                                  "ao mesmo tempo, em lotes diferentes", "separadas"};
// What kind of difference it is, by DifferenceKind, and why time alone may be the machine.
inline constexpr const char* compareKindTitle =
    "Que diferença? A carga da máquina muda o tempo, não o trabalho (nós, iterações de LP):\n";
inline constexpr const char* compareKinds[] = {
    "nenhuma diferença real, nem em tempo nem em trabalho",
    "em tempo e em trabalho (nós, iterações de LP ou modelos resolvidos): o SCIP faz outra coisa",
    "só em tempo, sem diferença real no trabalho: cada passo (pré-solução, nós) mais rápido ou mais lento, ou a "
    "máquina",
    "só em trabalho: outros nós, iterações de LP ou modelos resolvidos, sem diferença real no tempo",
    "poucos pares para dizer",
    "em tempo; o trabalho não se pode testar (menos de 10 modelos resolvidos pelas duas, ou sem nós e iterações)"};
inline constexpr const char* compareKindSideBySide = " (as pastas rodaram lado a lado: não é a máquina)";
inline constexpr const char* compareKindApart =
    " (as pastas rodaram separadas: rode-as como variantes de um lote, --variantes, para saber)";
inline constexpr const char* compareKindUnknown = " (os registros não dizem quando as pastas rodaram)";
inline constexpr const char* compareKindOverlapping =
    " (as pastas rodaram ao mesmo tempo, mas em lotes diferentes: a máquina pode pesar numa mais que na outra)";
inline constexpr const char* compareApartAdvice =
    "Pastas que rodaram separadas: a carga da máquina pode ter mudado o tempo de uma delas; para comparar o tempo,\n"
    "rode-as como variantes de um lote (--variantes), lado a lado.\n";
inline constexpr const char* compareTestCell = "p = %s em %zu pares: %s";
inline constexpr const char* compareTestCellOne = "p = %s em %zu par: %s";
inline constexpr const char* compareTestCellSmall = "p < 0,0001 em %zu pares: %s";
inline constexpr const char* compareSignificant = "diferença real";
inline constexpr const char* compareNotSignificant = "pode ser acaso";
inline constexpr const char* compareTooFewPairs = "poucos pares para dizer";
inline constexpr const char* compareNoDifference = "nenhuma diferença";
inline constexpr const char* compareNoData = "sem dados";  // no model gives the value in both folders
inline constexpr const char* compareTestsNote =
    "TEMPO: teste de Wilcoxon dos postos sinalizados nos logaritmos dos tempos (os da média; abaixo de 0,01 s\n"
    "contam 0,01 s), pares de tempos iguais fora. RESOLVIDOS: teste exato de McNemar nos modelos resolvidos\n"
    "só de um lado. INTEGRAL PD: Wilcoxon nos logaritmos das integrais primal-dual (abaixo de 1 contam 1), nos\n"
    "modelos que as duas pastas dão. NOS, ITERACOES LP: Wilcoxon nos logaritmos dos nós e das iterações de LP\n"
    "(abaixo de 1 contam 1), nos modelos que as duas resolveram: o trabalho, que a carga da máquina não muda.\n"
    "QUANDO RODARAM: pelos registros (início, fim, variantes; não se sabe de um lote que manteve linhas de outra\n"
    "execução). Com menos de 10 pares o teste não diz nada.\n";
// The harder models: solved by some folder, and taking that long in some folder.
inline constexpr const char* compareBracketTitle =
    "Modelos resolvidos por alguma pasta e que levaram %s s ou mais em alguma: %zu\n";
inline constexpr const char* compareBracketEmpty = "  nenhum modelo.\n";

// How a seed run's models vary with the seed.
inline constexpr const char* compareVariabilityTitle = "Variação com a semente em %s (sementes %s):\n";
inline constexpr const char* compareVariabilityColumns[] = {"MODELO", "MAIS RAPIDA", "MAIS LENTA",
                                                            "CV",     "MIN DE 2",    "MIN DE 4"};
inline constexpr const char* compareVariabilityNote =
    "MAIS RAPIDA, MAIS LENTA: semente e tempo (o da média). CV: desvio padrão amostral sobre a média.\n"
    "MIN DE 2, MIN DE 4: tempo esperado da mais rápida de 2 e de 4 sementes sorteadas entre estas (o que\n"
    "correr sementes, --corrida, pode ganhar).\n";
inline constexpr const char* compareVariabilityCsvHeader =
    "PASTA;MODELO;SEMENTE_MAIS_RAPIDA;TEMPO_MAIS_RAPIDA;SEMENTE_MAIS_LENTA;TEMPO_MAIS_LENTA;CV;MIN_DE_2;MIN_DE_4\n";

// ---- The page (--html) ----
inline constexpr const char* pageTitleOne = "Lote ";  // and the folder's label
inline constexpr const char* pageTitleMany = "Comparação de lotes";
inline constexpr const char* pageTitleProgram = " — LoteOtimizador";
inline constexpr const char* pageReference = " (referência)";
inline constexpr const char* pageSummaryTitle = "Resumo dos %zu modelos presentes em todas as pastas";
inline constexpr const char* pageSummaryColumns[] = {"Pasta",    "Modelos",  "Resolvidos",     "Limites",
                                                     "Erros",    "Errados",  "MGD tempo (s)",  "MGD nós",
                                                     "Vitórias", "Derrotas", "MGD integral PD"};
inline constexpr const char* pageSummaryNote =
    "Resolvidos: ótimo, infactível, ilimitado, ilimitado ou infactível. MGD tempo: média "
    "geométrica deslocada do tempo (deslocamento 1 s); um modelo não resolvido conta o tempo máximo da pasta "
    "(o próprio tempo se for maior ou se o máximo é desconhecido). Uma resposta ERRADA não conta como resolvida "
    "nas vitórias, no melhor virtual, no tempo e no perfil. MGD nós: a dos nós (deslocamento 100), só nos modelos "
    "resolvidos em "
    "todas as pastas. Vitórias e derrotas contra a referência: resolvido só de um lado, ou ao menos 10 % e 0,2 s "
    "mais rápido. Melhor virtual: cada modelo na sua melhor pasta (resolvido e, entre os resolvidos, o mais "
    "rápido). MGD integral PD: a da integral primal-dual do SCIP (% vezes s; deslocamento 100), nos modelos que "
    "a têm em todas as pastas.";
inline constexpr const char* pageTestsTitle = "Diferença real?";
inline constexpr const char* pageTestsColumns[] = {
    "Pasta",          "Tempo (Wilcoxon)",        "Resolvidos (McNemar)", "Integral PD (Wilcoxon)",
    "Nós (Wilcoxon)", "Iterações LP (Wilcoxon)", "Quando rodaram"};
inline constexpr const char* pageKindTitle = "Que diferença?";
inline constexpr const char* pageTestsNote =
    "Cada pasta contra a referência, nos modelos que as duas têm, a 5 %. Tempo: teste de Wilcoxon dos postos "
    "sinalizados nos logaritmos dos tempos da média (abaixo de 0,01 s contam 0,01 s), pares de tempos iguais fora. "
    "Resolvidos: teste exato de McNemar nos modelos resolvidos só de um lado. Integral PD: Wilcoxon nos "
    "logaritmos das integrais primal-dual (abaixo de 1 contam 1), nos modelos que as duas pastas dão. Nós, "
    "iterações LP: Wilcoxon nos logaritmos dos nós e das iterações de LP (abaixo de 1 contam 1), nos modelos que "
    "as duas resolveram: o trabalho, que a carga da máquina não muda. Quando rodaram: pelos registros (início, "
    "fim, variantes; não se sabe de um lote que manteve linhas de outra execução). Com menos de 10 pares o teste "
    "não diz nada.";
inline constexpr const char* pageBracketsTitle = "Modelos mais difíceis";
inline constexpr const char* pageBracketTitle = "Resolvidos por alguma pasta, %s s ou mais em alguma: %zu modelos";
inline constexpr const char* pageBracketEmpty = "Nenhum modelo.";
inline constexpr const char* pageVariabilityTitle = "Variação com a semente";
inline constexpr const char* pageVariabilityNote =
    "Cada ponto é o tempo (o da média, escala logarítmica) de uma semente; passe o mouse para vê-la. CV: desvio "
    "padrão amostral sobre a média. Mín. de 2 e de 4: tempo esperado da mais rápida de 2 e de 4 sementes sorteadas "
    "entre estas, o que correr sementes (--corrida) pode ganhar.";
inline constexpr const char* pageVariabilityColumns[] = {"Modelo", "Tempos por semente", "CV", "Mín. de 2 (s)",
                                                         "Mín. de 4 (s)"};
inline constexpr const char* pageProfileTitle = "Perfil de desempenho";
inline constexpr const char* pageProfileNote =
    "Para cada pasta, a fração dos modelos presentes em todas "
    "as pastas que ela resolveu em até &#964; vezes o tempo da pasta mais rápida nesse modelo (tempos abaixo de "
    "0,01 s contam como 0,01 s).";
inline constexpr const char* pageTimeTitle = "Tempo por modelo";
inline constexpr const char* pageModelsTitle = "Modelos";
inline constexpr const char* pageModelsNote =
    "Clique no título de uma coluna para ordenar. &#9888; parado por um limite; "
    "&#10006; erro; * status diferente do da referência.";
// The page's characters that not every code page has are written as
// character references (in a script string, as escapes), so that the page is
// whole in the program's own character set.
// The per-model table: headings (numbered by folder when there are several) and cells.
inline constexpr const char* pageModel = "Modelo";
inline constexpr const char* pageTime = "Tempo (s)";
inline constexpr const char* pageRatio = "Razão";
inline constexpr const char* pageStatus = "Status";
inline constexpr const char* pageZ = "Z";
inline constexpr const char* pageNodes = "Nós";
inline constexpr const char* pageCheck = "Confere";
inline constexpr const char* pageAcrossFolders = "Entre pastas";
inline constexpr const char* pageMissing = "ausente";
inline constexpr const char* pageLimitMark = "\\u26a0 ";  // a script string's escape
inline constexpr const char* pageErrorMark = "\\u2716 ";
// The charts.
inline constexpr const char* chartPercent = " %";  // after a share on the profile's axis
inline constexpr const char* chartProfileAxis = "&#964; (tempo da pasta ÷ melhor tempo do modelo)";
inline constexpr const char* chartTimeLegend =
    "&#9679; resolvido  &#9675; limite  × erro ou outro; tempo em s, escala logarítmica";
// A mark's tip: the model's name, then folder number and label, time, and the short status after it.
inline constexpr const char* chartTimeTip = " — %zu %s: %s s, ";

}  // namespace msg
