// SCIP's handles, each released when it goes out of scope.
#pragma once

#include "scip/scip_api.h"

// A SCIP instance, freed when it goes out of scope.
struct ScipInstance {
    SCIP* scip = nullptr;
    ScipInstance() = default;
    ScipInstance(const ScipInstance&) = delete;
    ScipInstance& operator=(const ScipInstance&) = delete;
    ~ScipInstance() {
        if (scip != nullptr) free();
    }
    SCIP_RETCODE create() {
        LOTE_SCIP_CALL(scipLibrary().SCIPcreate(&scip));
        return SCIP_OKAY;
    }
    SCIP_RETCODE free() {
        LOTE_SCIP_CALL(scipLibrary().SCIPfree(&scip));
        return SCIP_OKAY;
    }
};

// A SCIP message handler, released when it goes out of scope.
struct ScipMessageHandler {
    SCIP_MESSAGEHDLR* handler = nullptr;
    ScipMessageHandler() = default;
    ScipMessageHandler(const ScipMessageHandler&) = delete;
    ScipMessageHandler& operator=(const ScipMessageHandler&) = delete;
    ~ScipMessageHandler() {
        if (handler != nullptr) release();
    }
    SCIP_RETCODE release() {
        LOTE_SCIP_CALL(scipLibrary().SCIPmessagehdlrRelease(&handler));
        return SCIP_OKAY;
    }
};
