// How much memory a batch may use, and SCIP's memory limit for each worker:
// the smallest of what the machine has available, what the memory cgroup
// the program runs in still allows, and the memory Slurm gave the job.
#pragma once

#include <optional>
#include <string>

// The amounts the program may use, in MB (nothing: no such bound).
struct MemoryBounds {
    std::optional<double> available;  // MemAvailable of /proc/meminfo
    std::optional<double> cgroup;     // the tightest memory cgroup up to the root: limit less usage (page
                                      // cache the kernel can take back is not counted as used)
    std::optional<double> slurm;      // the job's allocation (SLURM_MEM_PER_NODE, or per CPU)
};

// SCIP's memory limit in MB for each of `workers` workers: the smallest bound
// shared out among them (at least 1 MB); 0 (no limit) when no bound is known.
double memoryPerWorkerMb(const MemoryBounds& bounds, int workers);
// The bounds of this process: /proc and the cgroup file systems under `root`
// ("" for the real ones), and Slurm's variables as given (null when unset).
MemoryBounds readMemoryBounds(const std::string& root, const char* memPerNode, const char* memPerCpu,
                              const char* cpusPerTask);
// The same for this process, with Slurm's variables from its environment.
MemoryBounds memoryBounds();
