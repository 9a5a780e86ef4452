// The result of a solved SCIP instance, read as data.
#include "scip/scip_result.h"

#include "platform/files.h"
#include "scip/scip_status.h"

ModelResult readScipResult(SCIP* scip, std::string modelPath, InitialSolution initialSolution) {
    ModelResult result;
    result.name = baseName(modelPath);
    result.fromScip = true;
    result.initialSolution = initialSolution;
    // The result getters are only valid once the instance is past the
    // problem stage (the primal bound crashes before that).
    const bool solved = scipLibrary().SCIPgetStage(scip) > SCIP_STAGE_PROBLEM;
    result.scipStatus = scipLibrary().SCIPgetStatus(scip);
    result.seconds = solved ? scipLibrary().SCIPgetSolvingTime(scip) : 0.0;

    result.scipMajorVersion = scipLibrary().SCIPmajorVersion();
    // A numbering this program does not know leaves the outcome Other.
    result.outcome = outcomeFromScipStatus(result.scipMajorVersion, result.scipStatus).value_or(Outcome::Other);
    result.statusText = completeStatusText(result.scipMajorVersion, result.scipStatus);

    result.variables = scipLibrary().SCIPgetNOrigVars(scip);
    result.integers = scipLibrary().SCIPgetNOrigIntVars(scip) + scipLibrary().SCIPgetNOrigBinVars(scip);
    result.constraints = scipLibrary().SCIPgetNOrigConss(scip);
    result.hasSolution = scipLibrary().SCIPgetNSols(scip) > 0;
    result.minimize = scipLibrary().SCIPgetObjsense(scip) == SCIP_OBJSENSE_MINIMIZE;
    if (solved) {
        result.primalBound = scipLibrary().SCIPgetPrimalbound(scip);
        result.dualBound = scipLibrary().SCIPgetDualbound(scip);
        result.gap = scipLibrary().SCIPgetGap(scip);
        result.nodes = scipLibrary().SCIPgetNTotalNodes(scip);
        result.lpIterations = scipLibrary().SCIPgetNLPIterations(scip);
        result.solutions = scipLibrary().SCIPgetNSolsFound(scip);
    }
    return result;
}
