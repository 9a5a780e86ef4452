// Which entries a part of a batch solves. Pure: no I/O.
#include "batch/shard.h"

#include "text/format.h"

namespace {

// A whole number that an int holds, nothing else.
std::optional<long> wholeNumber(const char* text) {
    if (text == nullptr) return std::nullopt;
    const auto value = parseWholeNumber(text, kLargestInt);
    return value ? std::optional<long>(static_cast<long>(*value)) : std::nullopt;
}

}  // namespace

std::optional<Shard> parseShard(const std::string& text, const char* taskId, const char* taskMin,
                                const char* taskCount) {
    Shard shard;
    if (text == "slurm") {
        const std::optional<long> id = wholeNumber(taskId);
        const std::optional<long> min = wholeNumber(taskMin);
        const std::optional<long> count = wholeNumber(taskCount);
        if (!id || !min || !count || *id < *min) return std::nullopt;
        shard.index = static_cast<int>(*id - *min + 1);
        shard.count = static_cast<int>(*count);
    } else {
        const size_t slash = text.find('/');
        if (slash == std::string::npos) return std::nullopt;
        const std::optional<long> index = wholeNumber(text.substr(0, slash).c_str());
        const std::optional<long> count = wholeNumber(text.substr(slash + 1).c_str());
        if (!index || !count) return std::nullopt;
        shard.index = static_cast<int>(*index);
        shard.count = static_cast<int>(*count);
    }
    if (shard.index < 1 || shard.index > shard.count) return std::nullopt;
    return shard;
}

std::vector<bool> shardEntries(size_t count, const Shard& shard) {
    std::vector<bool> entries(count);
    for (size_t i = 0; i < count; ++i)
        entries[i] = static_cast<int>(i % static_cast<size_t>(shard.count)) == shard.index - 1;
    return entries;
}
