// The check of a batch's SCIP parameters in a child process.
#include "commands/parameter_check.h"

#include <iostream>

#include "platform/system.h"
#include "process/codec.h"
#include "text/messages.h"

std::string parameterCheckJob(const std::string& request, const Task&, const std::function<void(const std::string&)>&) {
    const std::optional<ParameterCheckRequest> check = decodeValue<ParameterCheckRequest>(request);
    return check ? encodeValue(checkParameters(check->scip, check->timeLimit)) : std::string();
}

ParameterCheck checkBatchParameters(const ScipRequest& request, double timeLimit) {
    ParameterCheck failed;
    failed.message = msg::parameterCheckFailed;
    const std::optional<std::string> bytes =
        computeInChild(kParameterCheckJob, encodeValue(ParameterCheckRequest{request, timeLimit}));
    if (!bytes) return failed;
    return decodeValue<ParameterCheck>(*bytes).value_or(failed);
}

std::optional<CheckedTargets> checkTargets(const ScipRequest& scip, const std::vector<int>& seeds,
                                           const BatchSettings& settings) {
    CheckedTargets checked;
    const std::vector<std::optional<int>> targetSeeds =
        seeds.empty() ? std::vector<std::optional<int>>{scip.seed}
                      : std::vector<std::optional<int>>(seeds.begin(), seeds.end());
    for (const std::optional<int>& seed : targetSeeds) {
        ScipRequest request = scip;
        request.seed = seed;
        const ParameterCheck check = checkBatchParameters(request, settings.timeLimit);
        // Without SCIP the batch goes on when none were asked for: each
        // model then says that SCIP could not be loaded.
        const bool asked = !request.parameterFile.empty() || !request.parameters.empty() || request.seed ||
                           !environmentValue(kScipLibraryVariable).empty();
        if (check.state == ParameterCheck::Refused || (check.state == ParameterCheck::ScipMissing && asked)) {
            std::cerr << check.message << std::flush;
            return std::nullopt;
        }
        BatchTarget target;
        target.settings = settings;
        target.settings.seed = seed;
        target.settings.scipParameters = check.changed;
        checked.targets.push_back(std::move(target));
        checked.scip = check.scip;
    }
    return checked;
}
