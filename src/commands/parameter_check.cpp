// The check of a batch's SCIP parameters in a child process.
#include "commands/parameter_check.h"

#include "process/child.h"
#include "process/codec.h"
#include "text/Messages.h"

ParameterCheck checkBatchParameters(const ScipRequest& request, double timeLimit) {
    ParameterCheck failed;
    failed.message = msg::parameterCheckFailed;
    const std::optional<std::string> bytes =
        computeInChild("lote-parametros", [&] { return encodeValue(checkParameters(request, timeLimit)); });
    if (!bytes) return failed;
    return decodeValue<ParameterCheck>(*bytes).value_or(failed);
}
