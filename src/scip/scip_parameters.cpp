// SCIP's parameters of a batch and of a model.
#include "scip/scip_parameters.h"

#include <algorithm>
#include <chrono>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "batch/model_names.h"
#include "platform/files.h"
#include "text/messages.h"
#include "text/format.h"
#include "text/settings_line.h"

namespace {

// A file in memory that SCIP opens by name, for settings that are not in a
// file of their own; one per process, rewritten for each use.
const NamedMemoryFile& memoryFile() {
    static NamedMemoryFile file;
    if (file.path.empty()) file = makeNamedMemoryFile("loteotimizador-parametros", nullptr);
    return file;
}
const std::string& memoryFilePath() { return memoryFile().path; }

bool writeMemoryFile(const std::string& text) { return rewriteMemoryFile(memoryFile(), text); }

// SCIP reads `text` as a settings file.
SCIP_RETCODE readSettingsText(SCIP* scip, const std::string& text, std::string* err) {
    if (!writeMemoryFile(text)) {
        if (err != nullptr) *err = msg::parameterCheckFailed;
        return SCIP_READERROR;
    }
    LOTE_SCIP_CALL(lib().SCIPreadParams(scip, memoryFilePath().c_str()));
    return SCIP_OKAY;
}

// The line SCIP's message for a refused -p names (NOME=VALOR as typed).
std::string refusalMessage(const Refusal& refusal, const std::string& typed) {
    if (refusal.unknown) return formatMessage(msg::parameterUnknown, typed.substr(0, typed.find('=')));
    return formatMessage(msg::parameterRefused, typed);
}

std::string fileRefusalMessage(const Refusal& refusal, const std::string& path) {
    return formatMessage(refusal.unknown ? msg::parameterFileUnknown : msg::parameterFileRefused, path, refusal.line,
                         refusal.text);
}

void captureError(void* refused, FILE*, const char*) { *static_cast<bool*>(refused) = true; }

}  // namespace

std::optional<Refusal> applySettingsLines(SCIP* scip, const std::string& text) {
    size_t number = 0;
    bool namedSeen = false;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        // SCIP only warns about a parameter it does not know.
        const SettingsLine parsed = parseSettingsLine(line);
        const bool named = parsed.kind == SettingsLine::Parameter && !parsed.name.empty();
        if (named && lib().SCIPgetParam(scip, parsed.name.c_str()) == nullptr) return Refusal{number, true, line};
        // SCIP refuses a whole file with an emphasis after a parameter; read
        // line by line it would not see that.
        if (parsed.kind == SettingsLine::Emphasis && namedSeen) return Refusal{number, false, line};
        namedSeen |= named;
        // A value SCIP refuses is an error message of SCIP's, not always a
        // failed call.
        bool refused = false;
        lib().SCIPmessageSetErrorPrinting(captureError, &refused);
        const bool read =
            writeMemoryFile(line + "\n") && lib().SCIPreadParams(scip, memoryFilePath().c_str()) == SCIP_OKAY;
        lib().SCIPmessageSetErrorPrintingDefault();
        if (!read || refused) return Refusal{number, false, line};
    }
    return std::nullopt;
}

namespace {

// The settings file `path` ("": none) applied to `scip`; false with the line that says why in `message`.
bool applySettingsFile(SCIP* scip, const std::string& path, std::string& message) {
    if (path.empty()) return true;
    const std::optional<std::string> text = readTextFile(path);
    if (!text) {
        message = formatMessage(msg::parameterFileUnreadable, path);
        return false;
    }
    if (const std::optional<Refusal> refusal = applySettingsLines(scip, *text)) {
        message = fileRefusalMessage(*refusal, path);
        return false;
    }
    return true;
}

// NOME=VALOR parameters applied to `scip` in order; false with the line that says why in `message`.
bool applyTyped(SCIP* scip, const std::vector<std::string>& parameters, std::string& message) {
    for (const std::string& parameter : parameters) {
        const size_t equals = parameter.find('=');
        const std::string line = parameter.substr(0, equals) + " = " + parameter.substr(equals + 1) + "\n";
        if (const std::optional<Refusal> refusal = applySettingsLines(scip, line)) {
            message = refusalMessage(*refusal, parameter);
            return false;
        }
    }
    return true;
}

}  // namespace

ParameterCheck checkParameters(const ScipRequest& request, double timeLimit) {
    ParameterCheck check;
    if (std::string error; !loadScipLibrary(&error)) {
        check.state = ParameterCheck::ScipMissing;
        check.message = std::string(msg::scipNotLoaded) + error + "\n";
        return check;
    }
    SCIP* scip = nullptr;
    if (lib().SCIPcreate(&scip) != SCIP_OKAY || lib().SCIPincludeDefaultPlugins(scip) != SCIP_OKAY ||
        lib().SCIPsetBoolParam(scip, "misc/catchctrlc", 0) != SCIP_OKAY) {
        check.message = std::string(msg::parameterCheckFailed);
        return check;  // the child ends here; its SCIP goes with it
    }
    // The batch's file, its -p, a variant's file, then the seed: each may change what came before.
    std::vector<std::string> seedParameters;
    if (request.seed) {
        seedParameters.push_back("randomization/randomseedshift=" + std::to_string(*request.seed));
        if (*request.seed > 0) {
            seedParameters.push_back("randomization/permutationseed=" + std::to_string(*request.seed));
        }
    }
    if (!applySettingsFile(scip, request.parameterFile, check.message) ||
        !applyTyped(scip, request.parameters, check.message) ||
        !applySettingsFile(scip, request.variantFile, check.message) ||
        !applyTyped(scip, seedParameters, check.message)) {
        return check;
    }
    // The program sets these for every model: none may be fixed ("fix").
    for (const char* own : {"misc/catchctrlc", "limits/memory", "limits/time"}) {
        if (lib().SCIPisParamFixed(scip, own) != 0) {
            check.message = formatMessage(msg::parameterFixed, own);
            return check;
        }
    }
    if ((timeLimit != 0.0 && lib().SCIPsetRealParam(scip, "limits/time", timeLimit) != SCIP_OKAY) ||
        lib().SCIPresetParam(scip, "limits/memory") != SCIP_OKAY || !writeMemoryFile("") ||
        lib().SCIPwriteParams(scip, memoryFilePath().c_str(), 0, 1) != SCIP_OKAY) {
        check.message = std::string(msg::parameterCheckFailed);
        return check;
    }
    check.changed = readMemoryFile(memoryFile()).value_or("");
    check.scip = loadedScipBuild();
    check.state = ParameterCheck::Checked;
    return check;
}

namespace {

// The model's own settings file, when there is one.
SCIP_RETCODE applyModelSettingsFile(SCIP* scip, const BatchSettings& settings, const std::string& modelPath,
                                    std::string* err) {
    const std::string path =
        joinPath(parentFolder(modelPath), modelSettingsFileName(baseName(modelPath), settings.formats));
    // A name too long to exist is not there either.
    if (nothingAt(path)) return SCIP_OKAY;
    const std::optional<std::string> text = readTextFile(path);
    if (!text) {
        if (err != nullptr) *err = formatMessage(msg::parameterFileUnreadable, path);
        return SCIP_READERROR;
    }
    if (const std::optional<Refusal> refusal = applySettingsLines(scip, *text)) {
        if (err != nullptr) *err = fileRefusalMessage(*refusal, path);
        return SCIP_READERROR;
    }
    return SCIP_OKAY;
}

}  // namespace

SCIP_RETCODE applyModelParameters(SCIP* scip, const BatchSettings& settings, const std::string& modelPath,
                                  void (*say)(const std::string& lines)) {
    std::string err;
    SCIP_RETCODE applied = SCIP_OKAY;
    if (!settings.scipParameters.empty()) applied = readSettingsText(scip, settings.scipParameters, &err);
    if (applied == SCIP_OKAY) applied = applyModelSettingsFile(scip, settings, modelPath, &err);
    // What refused the settings is said before SCIP's error line for it.
    if (applied != SCIP_OKAY && say != nullptr) say(err);
    LOTE_SCIP_CALL(applied);
    if (settings.racerSeed) {
        LOTE_SCIP_CALL(lib().SCIPsetIntParam(scip, "randomization/randomseedshift", *settings.racerSeed));
        // SCIP's default permutation seed is 0, which is what seed 0 means.
        LOTE_SCIP_CALL(lib().SCIPsetIntParam(scip, "randomization/permutationseed", *settings.racerSeed));
    }
    return SCIP_OKAY;
}

double solveTimeLimit(const BatchSettings& settings) {
    if (!settings.racerDeadline) return settings.timeLimit;
    const double left =
        std::chrono::duration<double>(*settings.racerDeadline - std::chrono::steady_clock::now()).count();
    return std::max(left, 0.001);
}
