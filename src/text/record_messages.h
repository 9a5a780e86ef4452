// The batch's record (parametros.set): its comment lines, labels and
// values. Part of the texts of messages.h, which includes it.
#pragma once

namespace msg {

// The batch's record (parametros.set): its comment lines, label and value.
inline constexpr const char* recordIntro =
    "Lote resolvido pelo LoteOtimizador; --parametros com este arquivo repete os parâmetros do SCIP.";
inline constexpr const char* recordProgram = "programa: ";
inline constexpr const char* recordScip = "SCIP: ";
inline constexpr const char* recordScipNotLoaded = "não carregado";
inline constexpr const char* recordScipGit = "SCIP, git: ";
inline constexpr const char* recordScipLibrary = "SCIP, biblioteca: ";
inline constexpr const char* recordScipDigest = "SCIP, soma FNV-1a da biblioteca: ";
inline constexpr const char* recordScipLpSolver = "SCIP, solver de LP: ";
// A SCIP as the messages name it: its version, git hash and library.
inline constexpr const char* scipBuildDescription = "SCIP %s (git %s, %s, soma %s)";
inline constexpr const char* recordGlpk = "GLPK: ";
inline constexpr const char* recordCommandLine = "linha de comando: ";
inline constexpr const char* recordModelList = "lista de modelos: ";  // the list a batch's models came from
// A variant's folder: its name and settings file, then the batch's variants in their order.
inline constexpr const char* recordVariant = "variante: ";
inline constexpr const char* recordVariantDefaults = "sem arquivo próprio";
inline constexpr const char* recordVariantOrder =
    "variantes do lote, entregues lado a lado (cada modelo e semente em todas, nesta ordem): ";
inline constexpr const char* recordFromShell = "(shell)";  // the command line of a batch typed in the shell
inline constexpr const char* recordHost = "máquina: ";
inline constexpr const char* recordWorkers = "processos: ";
inline constexpr const char* recordStart = "início: ";
inline constexpr const char* recordEnd = "fim: ";  // when the run ended, stopped or not
// Rows a run kept from an earlier one (--retomar): not solved beside this run's.
inline constexpr const char* recordKeptRows = "linhas mantidas de uma execução anterior: ";
inline constexpr const char* recordTimeLimit = "-t: ";
inline constexpr const char* recordSeconds = " s";
inline constexpr const char* recordNoTimeLimit = "sem limite";
inline constexpr const char* recordMemory = "--memoria: ";
inline constexpr const char* recordMemoryPerWorker = " MB por processo (limits/memory";
inline constexpr const char* recordMemoryGiven = ")";
inline constexpr const char* recordMemoryShared = "; a memória livre dividida entre os processos)";
inline constexpr const char* recordFormats = "--formatos: ";
inline constexpr const char* recordSeed = "--semente: ";
inline constexpr const char* recordScipSeed = "a do SCIP";
inline constexpr const char* recordHistory = "--historico: ";  // and the report whose times ordered the hand-out
inline constexpr const char* recordNoHistory = "nenhum relatório anterior";
inline constexpr const char* recordSolu = "--solu: ";
inline constexpr const char* recordSoluTolerance =
    " (CONFERE: um valor concorda com o conhecido v quando |z - v| <= max(1e-9, 1e-6 |v|))";
inline constexpr const char* recordRace = "--corrida: ";
inline constexpr const char* recordRaceOn =
    "cópias dos modelos em andamento, com as sementes seguintes, nos processos ociosos; vale a primeira resposta; "
    "cada processo com a memória de um entre ";
inline constexpr const char* recordRaceProcesses = " processos";
inline constexpr const char* recordRaceOff =
    "sem corrida neste lote (um só processo, nenhum modelo a resolver, ou sem a pasta das cópias)";
inline constexpr const char* recordModelSettings = "arquivos .set por modelo, lidos depois destes parâmetros: ";
inline constexpr const char* recordNoModelSettings = "nenhum";

}  // namespace msg
