// The command line's texts: versions, usage, options and their faults.
// Part of the texts of messages.h, which includes it.
#pragma once

namespace msg {

// Command line
inline constexpr const char* versionProgram = "LoteOtimizador 1.0";
inline constexpr const char* versionScip = "SCIP ";  // and SCIP's version
inline constexpr const char* versionGlpk = "GLPK ";  // and GLPK's version
inline constexpr const char* usage =
    "Uso:\n"
    "  loteotimizador [-t SEG] [-j N] [--memoria MB]       abre o shell\n"
    "  loteotimizador [opções] opt PASTA_LP PASTA_SAIDA    resolve um lote, sem o shell\n"
    "  loteotimizador [opções] opt LISTA PASTA_SAIDA       resolve os modelos de uma lista (.test): um\n"
    "                                                      caminho por linha, relativo à pasta da lista\n"
    "  loteotimizador [-j N] mod_lp PASTA_MOD              traduz os .mod de uma pasta, sem o shell\n"
    "  loteotimizador merge PASTA_SAIDA                    junta os relatórios das partes de um lote\n"
    "  loteotimizador comparar PASTA_SAIDA...              compara lotes pelos relatórios completos\n"
    "  loteotimizador -h | --help                          esta ajuda\n"
    "  loteotimizador --version                            versões do programa, do SCIP e do GLPK\n"
    "Opções:\n"
    "  -t, --tempo SEG    tempo máximo por modelo, em segundos (30 ou 2,5); 0 tira o limite\n"
    "  -j, --jobs N       modelos resolvidos ao mesmo tempo (padrão: um por CPU)\n"
    "      --memoria MB   limite de memória do SCIP por processo (padrão: a memória livre dividida\n"
    "                     entre os processos)\n"
    "      --html ARQ     com comparar: grava a comparação numa página HTML\n"
    "      --csv ARQ      com comparar: grava o resumo da comparação em CSV\n"
    "      --csv-variabilidade ARQ\n"
    "                     com comparar: grava em CSV a variação de cada modelo com a semente\n"
    "      --retomar      com opt: mantém as linhas dos modelos já resolvidos cujos arquivos não mudaram\n"
    "                     e resolve os demais\n"
    "      --shard K/N    com opt: resolve só a parte K de N do lote (\"slurm\": a tarefa do job array)\n"
    "      --solu ARQ     confere as respostas com os valores conhecidos de ARQ\n"
    "      --parametros ARQ\n"
    "                     com opt: arquivo de parâmetros do SCIP (.set) para todos os modelos;\n"
    "                     um X.set ao lado de X.lp vale só para esse modelo\n"
    "  -p, --parametro NOME=VALOR\n"
    "                     com opt: um parâmetro do SCIP (repetível), lido depois do arquivo\n"
    "      --formatos LISTA\n"
    "                     com opt: terminações dos modelos (padrão: lp; por exemplo lp,mps,mps.gz)\n"
    "      --logs         com opt: guarda o log do SCIP de cada modelo na pasta de saída\n"
    "      --semente N    com opt: semente aleatória do SCIP (0 é a do SCIP)\n"
    "      --sementes LISTA\n"
    "                     com opt: resolve cada modelo com cada semente (0-4 ou 0,3,7), cada semente\n"
    "                     na sua pasta PASTA_SAIDA/semente-K\n"
    "      --historico PASTA\n"
    "                     com opt: entrega primeiro os modelos que mais demoraram no\n"
    "                     sol_stat_completo.csv de PASTA (padrão: o da pasta de saída, se houver)\n"
    "      --corrida      com opt: processos ociosos resolvem outra cópia dos modelos em andamento,\n"
    "                     com outra semente; vale a primeira resposta\n"
    "      --variantes NOME=ARQ,...\n"
    "                     com opt: resolve cada modelo com cada variante (um .set do SCIP, lido depois\n"
    "                     de --parametros e -p; vazio: os padrões do SCIP), lado a lado, cada variante\n"
    "                     na sua pasta PASTA_SAIDA/variante-NOME\n"
    "      --scip ARQ     com opt: a biblioteca do SCIP (libscip.so) com que o lote é resolvido\n"
    "                     (padrão: a variável LOTE_SCIP, senão a do programa)\n"
    "Saída: 0 tudo resolvido; 1 algum modelo, arquivo ou tradução com erro; 2 uso ou pastas inválidos.\n";
inline constexpr const char* outputFolderNotWritable = "Não é possível gravar na pasta de output ";
inline constexpr const char* rowKept = "linha mantida do relatório anterior\n";
inline constexpr const char* optionUnknown = "Opção desconhecida: %s\n";
inline constexpr const char* optionNeedsValue = "A opção %s precisa de um valor.\n";
inline constexpr const char* optionBadJobs = "Número de processos inválido: %s (use um inteiro de 1 a 1024).\n";
inline constexpr const char* optionBadTime = "Tempo máximo inválido: %s (use um número de segundos, como 30 ou 2,5).\n";
inline constexpr const char* optionBadMemory = "Memória inválida: %s (use um número inteiro de MB maior que zero).\n";
inline constexpr const char* optionNeedsOpt = "A opção %s só vale com o comando opt.\n";
inline constexpr const char* optionBadParameter = "Parâmetro inválido: %s (use NOME=VALOR, como limits/gap=0.01).\n";
inline constexpr const char* optionBadFormats =
    "Formatos inválidos: %s (use terminações sem o ponto inicial, separadas por vírgula, como lp,mps,mps.gz).\n";
inline constexpr const char* optionBadSeed = "Semente inválida: %s (use um inteiro de 0 a 2147483647).\n";
inline constexpr const char* optionBadSeeds =
    "Sementes inválidas: %s (use inteiros de 0 a 2147483647 e faixas, como 0-4 ou 0,3,7, sem repetir, até %zu).\n";
inline constexpr const char* optionNotWithSeeds = "A opção --sementes não vale com %s.\n";
inline constexpr const char* optionBadVariants =
    "Variantes inválidas: %s (use NOME=ARQ.set separados por vírgula, como padrao=,rapida=rapida.set; nomes de "
    "letras, dígitos, _, - e ., sem repetir, até %zu).\n";
inline constexpr const char* optionNotWithVariants = "A opção --variantes não vale com %s.\n";
inline constexpr const char* seedsIntoBatchFolder =
    "A pasta %s já tem o relatório de um lote: as pastas semente-K de --sementes vão numa pasta sem relatório "
    "próprio. Use outra pasta.\n";
inline constexpr const char* batchIntoSeedFolder =
    "A pasta %s guarda as pastas semente-K de um lote com --sementes: continue-o com --sementes, ou use outra "
    "pasta.\n";
inline constexpr const char* variantsIntoBatchFolder =
    "A pasta %s já tem o relatório de um lote: as pastas variante-NOME de --variantes vão numa pasta sem "
    "relatório próprio. Use outra pasta.\n";
inline constexpr const char* batchIntoVariantFolder =
    "A pasta %s guarda as pastas variante-NOME de um lote com --variantes: continue-o com --variantes, ou use "
    "outra pasta.\n";
inline constexpr const char* variantsIntoSeedFolder =
    "A pasta %s guarda as pastas semente-K de um lote com --sementes: as pastas variante-NOME vão numa pasta "
    "sem elas. Use outra pasta.\n";
inline constexpr const char* seedsTimesVariants =
    "--sementes e --variantes: no máximo %zu pastas (sementes vezes variantes); cada uma mantém seus arquivos "
    "abertos enquanto o lote roda.\n";
inline constexpr const char* variantFoldersBesides =
    "Atenção: %s já tem pastas de variantes fora desta lista (%s); comparar lê todas como variantes de um lote só.\n";
inline constexpr const char* seedFoldersBesides =
    "Atenção: %s já tem pastas de sementes fora desta lista (%s); comparar lê todas como uma execução só.\n";

}  // namespace msg
