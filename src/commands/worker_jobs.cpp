// The kinds of job a worker can be started for: opt's solve of a model,
// mod_lp's translation, and the check of a batch's SCIP parameters.
#include "commands/worker_jobs.h"

#include "commands/Functions.h"
#include "commands/parameter_check.h"
#include "engine/solve_job.h"
#include "engine/translations.h"

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
