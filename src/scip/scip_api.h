// The part of SCIP's C API that LoteOtimizador calls, declared from SCIP's
// documented signatures (stable from SCIP 8 to 10). The program needs none of
// SCIP's headers, and does not link SCIP: only the worker processes that
// solve models load its shared library (ScipApi below), so the shell and
// mod_lp run without it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "batch/batch.h"

extern "C" {

typedef struct Scip SCIP;
typedef struct SCIP_Messagehdlr SCIP_MESSAGEHDLR;
typedef struct SCIP_Sol SCIP_SOL;
typedef struct SCIP_Param SCIP_PARAM;
typedef double SCIP_Real;
typedef unsigned int SCIP_Bool;
typedef long long SCIP_Longint;
typedef struct SCIP_Heur SCIP_HEUR;
typedef struct SCIP_Var SCIP_VAR;
typedef struct SCIP_Eventhdlr SCIP_EVENTHDLR;
typedef struct SCIP_EventhdlrData SCIP_EVENTHDLRDATA;
typedef struct SCIP_Event SCIP_EVENT;
typedef struct SCIP_EventData SCIP_EVENTDATA;
typedef uint64_t SCIP_EVENTTYPE;

// C enums in SCIP; their ABI is that of int.
typedef int SCIP_RETCODE;
typedef int SCIP_STATUS;
typedef int SCIP_STAGE;
typedef int SCIP_OBJSENSE;

enum : int {
    SCIP_OKAY = 1,
    SCIP_READERROR = -2,
};

enum : int {
    SCIP_OBJSENSE_MAXIMIZE = -1,
    SCIP_OBJSENSE_MINIMIZE = +1,
};

// SCIP's event "a new best solution was found", by major version (SCIP 10
// put new event types before it).
inline SCIP_EVENTTYPE bestSolutionEvent(int scipMajorVersion) {
    return scipMajorVersion >= 10 ? 0x10000000ULL : 0x4000000ULL;
}

enum : int {
    SCIP_STAGE_PROBLEM = 1,
    SCIP_STAGE_SOLVED = 10,
};

SCIP_RETCODE SCIPcreate(SCIP** scip);
SCIP_RETCODE SCIPfree(SCIP** scip);
SCIP_RETCODE SCIPincludeDefaultPlugins(SCIP* scip);
SCIP_RETCODE SCIPcreateProbBasic(SCIP* scip, const char* name);
SCIP_RETCODE SCIPreadProb(SCIP* scip, const char* filename, const char* extension);
SCIP_RETCODE SCIPreadSol(SCIP* scip, const char* filename);
SCIP_RETCODE SCIPsetRealParam(SCIP* scip, const char* name, SCIP_Real value);
SCIP_RETCODE SCIPsetBoolParam(SCIP* scip, const char* name, SCIP_Bool value);
SCIP_RETCODE SCIPsetIntParam(SCIP* scip, const char* name, int value);
SCIP_RETCODE SCIPsetMessagehdlr(SCIP* scip, SCIP_MESSAGEHDLR* messagehdlr);
SCIP_RETCODE SCIPsolve(SCIP* scip);

SCIP_STATUS SCIPgetStatus(SCIP* scip);
SCIP_STAGE SCIPgetStage(SCIP* scip);
SCIP_Real SCIPgetSolvingTime(SCIP* scip);
SCIP_Real SCIPgetPrimalbound(SCIP* scip);
SCIP_Real SCIPgetDualbound(SCIP* scip);
SCIP_Real SCIPgetGap(SCIP* scip);
SCIP_Longint SCIPgetNTotalNodes(SCIP* scip);
SCIP_Longint SCIPgetNLPIterations(SCIP* scip);
SCIP_Longint SCIPgetNSolsFound(SCIP* scip);
int SCIPgetNOrigVars(SCIP* scip);
int SCIPgetNOrigBinVars(SCIP* scip);
int SCIPgetNOrigIntVars(SCIP* scip);
int SCIPgetNOrigConss(SCIP* scip);
SCIP_OBJSENSE SCIPgetObjsense(SCIP* scip);
int SCIPmajorVersion(void);
int SCIPminorVersion(void);
int SCIPtechVersion(void);

int SCIPgetNSols(SCIP* scip);
SCIP_RETCODE SCIPprintStatus(SCIP* scip, FILE* file);
SCIP_RETCODE SCIPprintBestSol(SCIP* scip, FILE* file, SCIP_Bool printzeros);

// SCIP's default message handler; with `quiet` set it shows nothing on the
// console but still writes what SCIP prints into an explicit file.
SCIP_RETCODE SCIPcreateMessagehdlrDefault(SCIP_MESSAGEHDLR** messagehdlr, SCIP_Bool bufferedoutput,
                                          const char* filename, SCIP_Bool quiet);
SCIP_RETCODE SCIPmessagehdlrRelease(SCIP_MESSAGEHDLR** messagehdlr);
void SCIPmessagehdlrCapture(SCIP_MESSAGEHDLR* messagehdlr);
SCIP_MESSAGEHDLR* SCIPgetMessagehdlr(SCIP* scip);

void SCIPmessagePrintErrorHeader(const char* sourcefile, int sourceline);
void SCIPmessagePrintError(const char* formatstr, ...);
// Where SCIP's error messages go (a function of `data`, `file`, `msg`), and back to stderr.
void SCIPmessageSetErrorPrinting(void (*errorPrinting)(void* data, FILE* file, const char* msg), void* data);
void SCIPmessageSetErrorPrintingDefault(void);

// Parameters: settings files in SCIP's own format, one parameter by name.
SCIP_RETCODE SCIPreadParams(SCIP* scip, const char* filename);
SCIP_RETCODE SCIPwriteParams(SCIP* scip, const char* filename, SCIP_Bool comments, SCIP_Bool onlychanged);
SCIP_PARAM* SCIPgetParam(SCIP* scip, const char* name);
SCIP_RETCODE SCIPresetParam(SCIP* scip, const char* name);
SCIP_Bool SCIPisParamFixed(SCIP* scip, const char* name);
// A log file that gets what the message handler prints (appended).
void SCIPsetMessagehdlrLogfile(SCIP* scip, const char* filename);
SCIP_RETCODE SCIPprintStatistics(SCIP* scip, FILE* file);

// A solution of the original problem, read from a file and checked there.
SCIP_RETCODE SCIPcreateOrigSol(SCIP* scip, SCIP_SOL** sol, SCIP_HEUR* heur);
SCIP_RETCODE SCIPreadSolFile(SCIP* scip, const char* filename, SCIP_SOL* sol, SCIP_Bool xml, SCIP_Bool* partial,
                             SCIP_Bool* error);
SCIP_RETCODE SCIPcheckSolOrig(SCIP* scip, SCIP_SOL* sol, SCIP_Bool* feasible, SCIP_Bool printreason,
                              SCIP_Bool completely);
SCIP_RETCODE SCIPfreeSol(SCIP* scip, SCIP_SOL** sol);
// A start solution: the model's variables by name, the solutions SCIP holds
// (its candidates before the transform) and the transform, which checks them.
SCIP_VAR* SCIPfindVar(SCIP* scip, const char* name);
SCIP_SOL** SCIPgetSols(SCIP* scip);
SCIP_RETCODE SCIPtransformProb(SCIP* scip);
void SCIPactivateSolViolationUpdates(SCIP* scip);
void SCIPdeactivateSolViolationUpdates(SCIP* scip);
// What SCIP says of itself: the commit it was built from, its LP solver.
const char* SCIPgetGitHash(void);
const char* SCIPlpiGetSolverName(void);
// How fast good solutions came: an event handler told of each new best
// solution, the time a solution was found, the primal-dual integral.
typedef SCIP_RETCODE (*ScipEventExec)(SCIP* scip, SCIP_EVENTHDLR* eventhdlr, SCIP_EVENT* event,
                                      SCIP_EVENTDATA* eventdata);
SCIP_RETCODE SCIPincludeEventhdlrBasic(SCIP* scip, SCIP_EVENTHDLR** eventhdlrptr, const char* name, const char* desc,
                                       ScipEventExec eventexec, SCIP_EVENTHDLRDATA* eventhdlrdata);
// Called as the problem is transformed, and before the transformed problem is freed.
typedef SCIP_RETCODE (*ScipEventhdlrStage)(SCIP* scip, SCIP_EVENTHDLR* eventhdlr);
SCIP_RETCODE SCIPsetEventhdlrInit(SCIP* scip, SCIP_EVENTHDLR* eventhdlr, ScipEventhdlrStage eventinit);
SCIP_RETCODE SCIPsetEventhdlrExit(SCIP* scip, SCIP_EVENTHDLR* eventhdlr, ScipEventhdlrStage eventexit);
SCIP_RETCODE SCIPcatchEvent(SCIP* scip, SCIP_EVENTTYPE eventtype, SCIP_EVENTHDLR* eventhdlr, SCIP_EVENTDATA* eventdata,
                            int* filterpos);
SCIP_RETCODE SCIPdropEvent(SCIP* scip, SCIP_EVENTTYPE eventtype, SCIP_EVENTHDLR* eventhdlr, SCIP_EVENTDATA* eventdata,
                           int filterpos);
SCIP_EVENTHDLRDATA* SCIPeventhdlrGetData(SCIP_EVENTHDLR* eventhdlr);
SCIP_SOL* SCIPeventGetSol(SCIP_EVENT* event);
SCIP_Real SCIPsolGetTime(SCIP_SOL* sol);
SCIP_SOL* SCIPgetBestSol(SCIP* scip);
SCIP_Real SCIPgetPrimalDualIntegral(SCIP* scip);
SCIP_Real SCIPsolGetAbsBoundViolation(SCIP_SOL* sol);
SCIP_Real SCIPsolGetAbsIntegralityViolation(SCIP_SOL* sol);
SCIP_Real SCIPsolGetAbsLPRowViolation(SCIP_SOL* sol);
SCIP_Real SCIPsolGetAbsConsViolation(SCIP_SOL* sol);

}  // extern "C"

// Every SCIP function the program calls.
#define LOTE_SCIP_FUNCTIONS(X)                                                                                         \
    X(SCIPcreate)                                                                                                      \
    X(SCIPfree)                                                                                                        \
    X(SCIPincludeDefaultPlugins)                                                                                       \
    X(SCIPcreateProbBasic)                                                                                             \
    X(SCIPreadProb)                                                                                                    \
    X(SCIPreadSol) X(SCIPsetRealParam) X(SCIPsetBoolParam) X(SCIPsetIntParam) X(SCIPsetMessagehdlr) X(SCIPsolve) X(    \
        SCIPgetStatus) X(SCIPgetStage) X(SCIPgetSolvingTime) X(SCIPgetPrimalbound) X(SCIPgetDualbound) X(SCIPgetGap)   \
        X(SCIPgetNTotalNodes) X(SCIPgetNLPIterations) X(SCIPgetNSolsFound) X(SCIPgetNOrigVars) X(SCIPgetNOrigBinVars)  \
            X(SCIPgetNOrigIntVars) X(SCIPgetNOrigConss) X(SCIPgetObjsense) X(SCIPmajorVersion) X(SCIPminorVersion)     \
                X(SCIPtechVersion) X(SCIPgetNSols) X(SCIPprintStatus) X(SCIPprintBestSol)                              \
                    X(SCIPcreateMessagehdlrDefault) X(SCIPmessagehdlrRelease) X(SCIPmessagePrintErrorHeader)           \
                        X(SCIPmessagePrintError) X(SCIPmessageSetErrorPrinting) X(SCIPmessageSetErrorPrintingDefault)  \
                            X(SCIPreadParams) X(SCIPwriteParams) X(SCIPgetParam) X(SCIPresetParam) X(SCIPisParamFixed) \
                                X(SCIPsetMessagehdlrLogfile) X(SCIPprintStatistics) X(SCIPmessagehdlrCapture)          \
                                    X(SCIPgetMessagehdlr) X(SCIPcreateOrigSol) X(SCIPreadSolFile) X(SCIPcheckSolOrig)  \
                                        X(SCIPfreeSol) X(SCIPactivateSolViolationUpdates)                              \
                                            X(SCIPdeactivateSolViolationUpdates) X(SCIPsolGetAbsBoundViolation)        \
                                                X(SCIPsolGetAbsIntegralityViolation) X(SCIPsolGetAbsLPRowViolation)    \
                                                    X(SCIPsolGetAbsConsViolation) X(SCIPfindVar) X(SCIPgetSols)        \
                                                        X(SCIPtransformProb) X(SCIPgetGitHash) X(SCIPlpiGetSolverName) \
                                                            X(SCIPincludeEventhdlrBasic) X(SCIPcatchEvent)             \
                                                                X(SCIPeventhdlrGetData) X(SCIPeventGetSol)             \
                                                                    X(SCIPsolGetTime) X(SCIPgetBestSol)                \
                                                                        X(SCIPgetPrimalDualIntegral)                   \
                                                                            X(SCIPsetEventhdlrInit)                    \
                                                                                X(SCIPsetEventhdlrExit)                \
                                                                                    X(SCIPdropEvent)

// SCIP's functions as found in its shared library, under their own names.
struct ScipApi {
#define LOTE_SCIP_POINTER(name) decltype(&::name) name = nullptr;
    LOTE_SCIP_FUNCTIONS(LOTE_SCIP_POINTER)
#undef LOTE_SCIP_POINTER
};

// The environment variable that names the SCIP library to load instead of
// the program's own (--scip sets it, as a full path, for the workers).
inline constexpr const char* kScipLibraryVariable = "LOTE_SCIP";
// Whether the program knows SCIP's major version `major` (its status
// numbering and the functions it calls).
bool knownScipVersion(int major);
// Loads SCIP's shared library (once per process) and looks up every function;
// false, with the library and what went wrong in `err`, when it cannot, or
// when its version is not one the program knows.
bool loadScipLibrary(std::string* err);
// The loaded library's functions (only after loadScipLibrary succeeded).
const ScipApi& scipLibrary();
// The same, short, for code that calls SCIP at every line.
inline const ScipApi& lib() { return scipLibrary(); }
// The loaded library's version, "10.0.2".
std::string scipVersionText();
// The loaded library: its version, git hash, file and LP solver.
ScipBuild loadedScipBuild();

// Prints SCIP's error report for a failed call: its error header with the
// base name of `sourceFile` and `line`, then "Error <code> in function call".
void printScipError(const char* sourceFile, int line, SCIP_RETCODE code);

// Calls SCIP in the way of SCIP's own SCIP_CALL: when the call fails, its
// error report names this source file and line, and the enclosing function
// (which returns SCIP_RETCODE) returns the failure to its caller.
#define LOTE_SCIP_CALL(call)                                 \
    do {                                                     \
        const SCIP_RETCODE loteRetcode = (call);             \
        if (loteRetcode != SCIP_OKAY) {                      \
            printScipError(__FILE__, __LINE__, loteRetcode); \
            return loteRetcode;                              \
        }                                                    \
    } while (false)
