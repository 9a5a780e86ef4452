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
                                           const std::vector<Variant>& variants, const BatchSettings& settings) {
    CheckedTargets checked;
    const std::vector<std::optional<int>> targetSeeds =
        seeds.empty() ? std::vector<std::optional<int>>{scip.seed}
                      : std::vector<std::optional<int>>(seeds.begin(), seeds.end());
    const std::vector<Variant> targetVariants = variants.empty() ? std::vector<Variant>{Variant{}} : variants;
    // Seed by seed, each seed's variants side by side: the order their entries are handed out in.
    for (size_t t = 0; t < targetSeeds.size() * targetVariants.size(); ++t) {
        const std::optional<int>& seed = targetSeeds[t / targetVariants.size()];
        const Variant& variant = targetVariants[t % targetVariants.size()];
        ScipRequest request = scip;
        request.seed = seed;
        request.variantFile = variant.settingsFile;
        const ParameterCheck check = checkBatchParameters(request, settings.timeLimit);
        // Without SCIP the batch goes on when none were asked for: each
        // model then says that SCIP could not be loaded.
        const bool asked = !request.parameterFile.empty() || !request.parameters.empty() ||
                           !request.variantFile.empty() || request.seed ||
                           !environmentValue(kScipLibraryVariable).empty();
        if (check.state == ParameterCheck::Refused || (check.state == ParameterCheck::ScipMissing && asked)) {
            std::cerr << check.message << std::flush;
            return std::nullopt;
        }
        BatchTarget target;
        target.settings = settings;
        target.settings.seed = seed;
        target.settings.scipParameters = check.changed;
        target.variant = variant.name;
        checked.targets.push_back(std::move(target));
        checked.scip = check.scip;
    }
    return checked;
}
