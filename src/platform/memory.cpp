// The memory a batch may use.
#include "platform/memory.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/files.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

constexpr double kMb = 1024.0 * 1024.0;
// The least memory limit given to SCIP.
constexpr double kLeastMb = 1.0;

// A whole number of bytes in a cgroup file; nothing for "max", a missing file
// or a value so large that it means no limit.
std::optional<double> bytesIn(const std::string& path) {
    const std::optional<std::string> text = readTextFile(path);
    if (!text) return std::nullopt;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text->c_str(), &end, 10);
    if (end == text->c_str() || value >= (1ULL << 60)) return std::nullopt;
    return static_cast<double>(value);
}

// A number of MB as Slurm writes it ("4096", or "4G" and the like).
std::optional<double> slurmMb(const char* text) {
    if (text == nullptr || *text == '\0') return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || value <= 0.0) return std::nullopt;
    switch (*end) {
        case '\0':
        case 'M':
        case 'm': return value;
        case 'G':
        case 'g': return value * 1024.0;
        case 'T':
        case 't': return value * 1024.0 * 1024.0;
        case 'K':
        case 'k': return value / 1024.0;
        default: return std::nullopt;
    }
}

// Where a cgroup file system is mounted, and the cgroup path it shows as its root.
struct Mount {
    std::string point, root;
};

// The cgroup v2 mount and the v1 mount of the memory controller.
void findMounts(const std::string& mountinfo, std::optional<Mount>& v2, std::optional<Mount>& v1) {
    std::istringstream lines(mountinfo);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::vector<std::string> fields;
        for (std::string word; words >> word;) fields.push_back(word);
        const auto dash = std::find(fields.begin(), fields.end(), "-");
        if (fields.size() < 5 || dash == fields.end() || dash + 3 > fields.end()) continue;
        const std::string& type = *(dash + 1);
        const std::string& options = dash + 3 < fields.end() ? *(dash + 3) : *(dash + 2);
        if (type == "cgroup2" && !v2) v2 = Mount{fields[4], fields[3]};
        if (type == "cgroup" && !v1 && ("," + options + ",").find(",memory,") != std::string::npos) {
            v1 = Mount{fields[4], fields[3]};
        }
    }
}

// A counter of a cgroup's memory.stat ("inactive_file 1234"), in bytes.
double statValue(const std::string& statPath, const std::string& key) {
    std::istringstream lines(readTextFile(statPath).value_or(""));
    std::string name;
    double value = 0.0;
    while (lines >> name >> value) {
        if (name == key) return value;
    }
    return 0.0;
}

// The files of a cgroup version: its limit, its usage, and the counter of
// page cache that the kernel can take back (not counted as used).
struct CgroupFiles {
    const char* limit;
    const char* usage;
    const char* reclaimable;
};

// Limit less usage of the tightest cgroup from `path` up to the mount's root.
std::optional<double> cgroupRoom(const std::string& root, const Mount& mount, std::string path,
                                 const CgroupFiles& files) {
    if (mount.root != "/" && path.compare(0, mount.root.size(), mount.root) == 0) path.erase(0, mount.root.size());
    std::optional<double> room;
    while (true) {
        const std::string folder = root + mount.point + (path == "/" ? "" : path);
        if (const std::optional<double> limit = bytesIn(folder + "/" + files.limit)) {
            const double usage = bytesIn(folder + "/" + files.usage).value_or(0.0);
            const double used = std::max(0.0, usage - statValue(folder + "/memory.stat", files.reclaimable));
            const double left = std::max(0.0, *limit - used) / kMb;
            room = room ? std::min(*room, left) : left;
        }
        if (path.empty() || path == "/") break;
        const size_t slash = path.rfind('/');
        path = slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
    }
    return room;
}

std::optional<double> smallest(std::optional<double> a, std::optional<double> b) {
    if (!a) return b;
    if (!b) return a;
    return std::min(*a, *b);
}

}  // namespace

double memoryPerWorkerMb(const MemoryBounds& bounds, int workers) {
    const std::optional<double> total = smallest(smallest(bounds.available, bounds.cgroup), bounds.slurm);
    if (!total) return 0.0;
    // A bound that leaves nothing still limits SCIP (0 would mean no limit).
    return std::max(kLeastMb, *total / std::max(1, workers));
}

MemoryBounds readMemoryBounds(const std::string& root, const char* memPerNode, const char* memPerCpu,
                              const char* cpusPerTask) {
    MemoryBounds bounds;
    std::istringstream meminfo(readTextFile(root + "/proc/meminfo").value_or(""));
    std::string key, unit;
    double kilobytes = 0.0;
    while (meminfo >> key >> kilobytes >> unit) {
        if (key == "MemAvailable:") bounds.available = kilobytes / 1024.0;
    }
    std::optional<Mount> v2, v1;
    findMounts(readTextFile(root + "/proc/self/mountinfo").value_or(""), v2, v1);
    std::istringstream cgroups(readTextFile(root + "/proc/self/cgroup").value_or(""));
    std::string line;
    while (std::getline(cgroups, line)) {
        // hierarchy:controllers:path
        const size_t first = line.find(':');
        const size_t second = first == std::string::npos ? first : line.find(':', first + 1);
        if (second == std::string::npos) continue;
        const std::string controllers = "," + line.substr(first + 1, second - first - 1) + ",";
        const std::string path = line.substr(second + 1);
        if (controllers == ",," && v2) {
            bounds.cgroup =
                smallest(bounds.cgroup, cgroupRoom(root, *v2, path, {"memory.max", "memory.current", "inactive_file"}));
        } else if (controllers.find(",memory,") != std::string::npos && v1) {
            bounds.cgroup = smallest(
                bounds.cgroup,
                cgroupRoom(root, *v1, path, {"memory.limit_in_bytes", "memory.usage_in_bytes", "total_inactive_file"}));
        }
    }
    bounds.slurm = slurmMb(memPerNode);
    if (!bounds.slurm) {
        const std::optional<double> perCpu = slurmMb(memPerCpu);
        const std::optional<double> cpus = slurmMb(cpusPerTask);  // a plain number
        if (perCpu) bounds.slurm = *perCpu * (cpus ? *cpus : 1.0);
    }
    return bounds;
}

#ifdef _WIN32
// Windows has no /proc: the physical memory available now is the bound.
MemoryBounds memoryBounds() {
    MemoryBounds bounds;
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (GlobalMemoryStatusEx(&status)) bounds.available = static_cast<double>(status.ullAvailPhys) / kMb;
    return bounds;
}
#else
MemoryBounds memoryBounds() {
    return readMemoryBounds("", std::getenv("SLURM_MEM_PER_NODE"), std::getenv("SLURM_MEM_PER_CPU"),
                            std::getenv("SLURM_CPUS_PER_TASK"));
}
#endif
