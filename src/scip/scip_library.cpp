// Loads SCIP's shared library into the process that solves models.
#include "scip/scip_api.h"

#include "platform/system.h"
#include "text/messages.h"

#ifndef LOTE_SCIP_LIBRARY
#error "LOTE_SCIP_LIBRARY must name SCIP's shared library"
#endif

namespace {
ScipApi api;
}  // namespace

bool loadScipLibrary(std::string* err) {
    static bool loaded = false;
    if (loaded) return true;
    // Found through the program's run path (the build tree or the install's lib folder).
    void* handle = loadSharedLibrary(LOTE_SCIP_LIBRARY, err);
    if (handle == nullptr) return false;
#define LOTE_SCIP_LOOKUP(name)                                                     \
    api.name = reinterpret_cast<decltype(api.name)>(librarySymbol(handle, #name)); \
    if (api.name == nullptr) {                                                     \
        if (err != nullptr) *err = std::string(LOTE_SCIP_LIBRARY) + ": " + #name;  \
        return false;                                                              \
    }
    LOTE_SCIP_FUNCTIONS(LOTE_SCIP_LOOKUP)
#undef LOTE_SCIP_LOOKUP
    loaded = true;
    return true;
}

const ScipApi& scipLibrary() { return api; }

std::string scipVersionText() {
    const ScipApi& scip = scipLibrary();
    return std::to_string(scip.SCIPmajorVersion()) + "." + std::to_string(scip.SCIPminorVersion()) + "." +
           std::to_string(scip.SCIPtechVersion());
}

void printScipError(const char* sourceFile, int line, SCIP_RETCODE code) {
    const char* base = sourceFile;
    for (const char* p = sourceFile; *p != '\0'; ++p) {
        if (*p == '/' || *p == '\\') base = p + 1;
    }
    scipLibrary().SCIPmessagePrintErrorHeader(base, line);
    scipLibrary().SCIPmessagePrintError(msg::scipErrorFormat, code);
}
