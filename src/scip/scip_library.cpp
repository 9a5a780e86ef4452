// Loads SCIP's shared library into the process that solves models.
#include "scip/scip_api.h"

#include "platform/files.h"
#include "platform/system.h"
#include "text/format.h"
#include "text/messages.h"

#ifndef LOTE_SCIP_LIBRARY
#error "LOTE_SCIP_LIBRARY must name SCIP's shared library"
#endif

namespace {
ScipApi api;

// The library this process loads: the one chosen at run time, else the
// program's own, found through its run path (the build tree or the
// install's lib folder).
std::string chosenLibrary() {
    const std::string chosen = environmentValue(kScipLibraryVariable);
    return chosen.empty() ? std::string(LOTE_SCIP_LIBRARY) : chosen;
}

// Every function looked up; false, with the first one missing, when one is.
bool lookUpFunctions(void* handle, const std::string& library, std::string* err) {
#define LOTE_SCIP_LOOKUP(name)                                                     \
    api.name = reinterpret_cast<decltype(api.name)>(librarySymbol(handle, #name)); \
    if (api.name == nullptr) {                                                     \
        if (err != nullptr) *err = library + msg::scipFunctionMissing + #name;     \
        return false;                                                              \
    }
    LOTE_SCIP_FUNCTIONS(LOTE_SCIP_LOOKUP)
#undef LOTE_SCIP_LOOKUP
    return true;
}

}  // namespace

bool knownScipVersion(int major) { return major == 9 || major == 10; }

bool loadScipLibrary(std::string* err) {
    static bool loaded = false;
    if (loaded) return true;
    const std::string library = chosenLibrary();
    std::string reason;
    void* handle = loadSharedLibrary(library, &reason);
    if (handle == nullptr) {
        // The loader names the library only when it is the file that is missing.
        if (err != nullptr) *err = reason.rfind(library, 0) == 0 ? reason : library + ": " + reason;
        return false;
    }
    // The version first: a SCIP the program does not know is said as such,
    // not as the first function it lacks.
    const auto version = reinterpret_cast<decltype(&::SCIPmajorVersion)>(librarySymbol(handle, "SCIPmajorVersion"));
    if (version != nullptr && !knownScipVersion(version())) {
        const auto minor = reinterpret_cast<decltype(&::SCIPminorVersion)>(librarySymbol(handle, "SCIPminorVersion"));
        const std::string number =
            std::to_string(version()) + (minor != nullptr ? "." + std::to_string(minor()) : std::string());
        if (err != nullptr) *err = library + formatMessage(msg::scipVersionUnknown, number);
        unloadSharedLibrary(handle);
        return false;
    }
    if (!lookUpFunctions(handle, library, err)) {
        api = ScipApi{};
        unloadSharedLibrary(handle);
        return false;
    }
    loaded = true;
    return true;
}

const ScipApi& scipLibrary() { return api; }

std::string scipVersionText() {
    const ScipApi& scip = scipLibrary();
    return std::to_string(scip.SCIPmajorVersion()) + "." + std::to_string(scip.SCIPminorVersion()) + "." +
           std::to_string(scip.SCIPtechVersion());
}

ScipBuild loadedScipBuild() {
    const ScipApi& scip = scipLibrary();
    ScipBuild build;
    build.version = scipVersionText();
    build.gitHash = scip.SCIPgetGitHash();
    build.library = libraryFileOf(reinterpret_cast<const void*>(scip.SCIPcreate));
    const std::optional<std::string> bytes = readTextFile(build.library);
    build.digest = bytes ? fnv1aDigest(*bytes) : std::string();
    build.lpSolver = scip.SCIPlpiGetSolverName();
    return build;
}

void printScipError(const char* sourceFile, int line, SCIP_RETCODE code) {
    const char* base = sourceFile;
    for (const char* p = sourceFile; *p != '\0'; ++p) {
        if (*p == '/' || *p == '\\') base = p + 1;
    }
    scipLibrary().SCIPmessagePrintErrorHeader(base, line);
    scipLibrary().SCIPmessagePrintError(msg::scipErrorFormat, code);
}
