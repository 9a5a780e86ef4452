// A model's result as bytes: each field in a fixed order, numbers in the
// machine's own layout (both ends are one program on one machine).
#include "process/result_codec.h"

#include <cstdint>
#include <cstring>

namespace {

struct Writer {
    std::string bytes;
    template <typename T>
    void number(T value) {
        bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    void text(const std::string& value) {
        number<uint32_t>(static_cast<uint32_t>(value.size()));
        bytes += value;
    }
    void optional(const std::optional<double>& value) {
        number<uint8_t>(value ? 1 : 0);
        if (value) number(*value);
    }
};

struct Reader {
    const std::string& bytes;
    size_t at = 0;
    bool ok = true;
    template <typename T>
    T number() {
        T value{};
        if (!ok || bytes.size() - at < sizeof value) {
            ok = false;
            return value;
        }
        std::memcpy(&value, bytes.data() + at, sizeof value);
        at += sizeof value;
        return value;
    }
    std::string text() {
        const uint32_t size = number<uint32_t>();
        if (!ok || bytes.size() - at < size) {
            ok = false;
            return "";
        }
        at += size;
        return bytes.substr(at - size, size);
    }
    std::optional<double> optional() {
        if (number<uint8_t>() == 0) return std::nullopt;
        return number<double>();
    }
};

}  // namespace

std::string encodeResult(const ModelResult& r) {
    Writer w;
    w.text(r.name);
    w.number<int32_t>(static_cast<int32_t>(r.outcome));
    w.number<uint8_t>(r.fromScip);
    w.number<int32_t>(r.scipMajorVersion);
    w.number<int32_t>(r.scipStatus);
    w.number(r.seconds);
    w.optional(r.primalBound);
    w.optional(r.dualBound);
    w.optional(r.gap);
    w.number<uint8_t>(r.hasSolution);
    w.number<uint8_t>(r.minimize);
    for (long long count : {r.nodes, r.lpIterations, r.solutions}) w.number<int64_t>(count);
    for (int count : {r.variables, r.integers, r.constraints}) w.number<int32_t>(count);
    w.number<int32_t>(static_cast<int32_t>(r.initialSolution));
    w.number<int32_t>(static_cast<int32_t>(r.solutionFile));
    w.number<uint8_t>(r.logLost);
    w.number<uint8_t>(r.stamp.has_value());
    if (r.stamp) {
        w.number<int64_t>(r.stamp->size);
        w.number<int64_t>(r.stamp->modifiedNs);
    }
    return w.bytes;
}

std::optional<ModelResult> decodeResult(const std::string& bytes) {
    Reader r{bytes};
    ModelResult result;
    result.name = r.text();
    result.outcome = static_cast<Outcome>(r.number<int32_t>());
    result.fromScip = r.number<uint8_t>() != 0;
    result.scipMajorVersion = r.number<int32_t>();
    result.scipStatus = r.number<int32_t>();
    result.seconds = r.number<double>();
    result.primalBound = r.optional();
    result.dualBound = r.optional();
    result.gap = r.optional();
    result.hasSolution = r.number<uint8_t>() != 0;
    result.minimize = r.number<uint8_t>() != 0;
    result.nodes = r.number<int64_t>();
    result.lpIterations = r.number<int64_t>();
    result.solutions = r.number<int64_t>();
    result.variables = r.number<int32_t>();
    result.integers = r.number<int32_t>();
    result.constraints = r.number<int32_t>();
    result.initialSolution = static_cast<InitialSolution>(r.number<int32_t>());
    result.solutionFile = static_cast<SolutionFile>(r.number<int32_t>());
    result.logLost = r.number<uint8_t>() != 0;
    if (r.number<uint8_t>() != 0) {
        FileStamp stamp;
        stamp.size = r.number<int64_t>();
        stamp.modifiedNs = r.number<int64_t>();
        result.stamp = stamp;
    }
    if (!r.ok || r.at != bytes.size()) return std::nullopt;
    // Every enumeration within its values.
    if (static_cast<int>(result.outcome) < 0 || result.outcome > Outcome::SolveError ||
        static_cast<int>(result.initialSolution) < 0 || result.initialSolution > InitialSolution::Rejected ||
        static_cast<int>(result.solutionFile) < 0 || result.solutionFile > SolutionFile::RemoveFailed) {
        return std::nullopt;
    }
    return result;
}
