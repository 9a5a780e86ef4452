// The kinds of job a worker can be started for, by name.
#pragma once

#include <optional>
#include <string>

#include "process/worker.h"

// The job a worker of the kind `name` runs; nothing for an unknown name.
std::optional<JobFunction> workerJob(const std::string& name);
