// The kinds of job a worker can be started for: opt's solve of a model,
// mod_lp's translation, and the check of a batch's SCIP parameters.
#include "commands/worker_jobs.h"

#include <cstdio>

#include "batch/model_names.h"
#include "commands/Functions.h"
#include "commands/parameter_check.h"
#include "engine/solve_job.h"
#include "engine/translations.h"
#include "glpk/translator.h"
#include "platform/files.h"
#include "process/codec.h"
#include "text/messages.h"

namespace {

// mod_lp's job: the model the request names translated, its failure said on
// standard error with, when an LP file of an earlier translation is beside
// the model, a line that says it is not current.
std::string translationJob(const std::string& request, const Task&, const std::function<void()>&) {
    const std::optional<std::string> modelPath = decodeValue<std::string>(request);
    if (!modelPath) return std::string();
    const TranslationFailure failure = convertModel(*modelPath);
    if (failure == TranslationFailure::None) return encodeValue(true);
    std::fputs(failure == TranslationFailure::Read       ? msg::modelReadError
               : failure == TranslationFailure::Generate ? msg::modelGenerateError
                                                         : msg::lpWriteError,
               stderr);
    const std::string lpPath = lpPathOfModel(*modelPath);
    if (isRegularFile(lpPath)) std::fprintf(stderr, msg::lpOutdated, lpPath.c_str());
    return encodeValue(false);
}

}  // namespace

std::optional<JobFunction> workerJob(const std::string& name) {
    if (name == kSolveJob) {
        return JobFunction([](const std::string& request, const Task& task, const std::function<void()>& starting) {
            return solveJob(request, task, solveModel, starting);
        });
    }
    if (name == kTranslationJob) return JobFunction(translationJob);
    if (name == kParameterCheckJob) return JobFunction(parameterCheckJob);
    return std::nullopt;
}
