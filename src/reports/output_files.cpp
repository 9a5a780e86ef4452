// The names of the files of an output folder.
#include "reports/output_files.h"

#include "text/format.h"

namespace {

constexpr const char* kPartWord = ".parte-";
constexpr const char* kOfWord = "-de-";

}  // namespace

std::vector<std::string> batchFileNames() {
    return {kReportFile, kCompleteReportFile, kStampReportFile, kJournalFile, kRecordFile};
}

std::string partName(const std::string& name, const Shard& shard) {
    const size_t dot = name.rfind('.');
    return name.substr(0, dot) + kPartWord + std::to_string(shard.index) + kOfWord + std::to_string(shard.count) +
           name.substr(dot);
}

std::string outputFileName(const std::string& name, const std::optional<Shard>& shard) {
    return shard ? partName(name, *shard) : name;
}

std::optional<Shard> partOfFile(const std::string& fileName, const std::string& name) {
    const size_t dot = name.rfind('.');
    const std::string start = name.substr(0, dot) + kPartWord, end = name.substr(dot);
    if (fileName.size() <= start.size() + end.size() || fileName.compare(0, start.size(), start) != 0 ||
        fileName.compare(fileName.size() - end.size(), end.size(), end) != 0) {
        return std::nullopt;
    }
    const std::string numbers = fileName.substr(start.size(), fileName.size() - start.size() - end.size());
    const size_t of = numbers.find(kOfWord);
    if (of == std::string::npos) return std::nullopt;
    const auto index = parseWholeNumber(numbers.substr(0, of), kLargestInt);
    const auto count = parseWholeNumber(numbers.substr(of + std::string(kOfWord).size()), kLargestInt);
    if (!index || !count) return std::nullopt;
    const Shard shard{static_cast<int>(*index), static_cast<int>(*count)};
    // Written as the rule writes it (no leading zeros).
    if (partName(name, shard) != fileName) return std::nullopt;
    return shard;
}
