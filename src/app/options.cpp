// The command line, read with getopt_long; every error is a text of ours.
#include "app/options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <getopt.h>

#include "batch/model_names.h"
#include "commands/shards.h"
#include "platform/console.h"
#include "text/Messages.h"
#include "text/format.h"

namespace {

enum LongOnly { kMemory = 1000, kResume, kShard, kSolu, kVersion, kParameterFile, kFormats, kLogs, kSeed };

std::optional<double> parseMegabytes(const std::string& text) {
    const auto value = parseWholeNumber(text, 999999999ULL);
    if (!value || *value == 0) return std::nullopt;
    return static_cast<double>(*value);
}

// comparar's own options.
enum CompareOnly { kHtml = 2000, kCsv };

// The operands each command takes (comparar: one or more, given as 1).
std::optional<size_t> operandCount(const std::string& command) {
    if (command == "opt") return 2;
    if (command == "mod_lp" || command == "merge" || command == "comparar") return 1;
    return std::nullopt;
}

}  // namespace

std::optional<int> parseJobs(const std::string& text) {
    const auto value = parseWholeNumber(text, 1024ULL);
    if (!value || *value == 0) return std::nullopt;
    return static_cast<int>(*value);
}

ParsedOptions parseOptions(int argc, char** argv) {
    static const option longOptions[] = {
        {"html", required_argument, nullptr, kHtml}, {"csv", required_argument, nullptr, kCsv},
        {"tempo", required_argument, nullptr, 't'},  {"jobs", required_argument, nullptr, 'j'},
        {"memoria", required_argument, nullptr, kMemory}, {"retomar", no_argument, nullptr, kResume},
        {"shard", required_argument, nullptr, kShard}, {"solu", required_argument, nullptr, kSolu},
        {"help", no_argument, nullptr, 'h'},         {"version", no_argument, nullptr, kVersion},
        {"parametros", required_argument, nullptr, kParameterFile}, {"parametro", required_argument, nullptr, 'p'},
        {"formatos", required_argument, nullptr, kFormats}, {"logs", no_argument, nullptr, kLogs},
        {"semente", required_argument, nullptr, kSeed},
        {nullptr, 0, nullptr, 0}};
    ProgramOptions options;
    const auto optOnly = [&options](const char* name) {
        if (options.optOnlyOption.empty()) options.optOnlyOption = name;
    };
    opterr = 0;  // getopt's own (English) messages are replaced by ours
    optind = 1;
    while (true) {
        const int c = getopt_long(argc, argv, ":t:j:p:h", longOptions, nullptr);
        if (c == -1) break;
        const std::string value = optarg != nullptr ? optarg : "";
        // The option as typed, for messages (getopt has stepped past it).
        const std::string typed = optind > 0 && optind <= argc ? argv[optind - 1] : "";
        switch (c) {
            case kHtml:
            case kCsv:
                if (value.empty()) return {{}, formatMessage(msg::optionNeedsValue, c == kHtml ? "--html" : "--csv")};
                (c == kHtml ? options.htmlFile : options.csvFile) = value;
                break;
            case 't':
                if (const std::optional<double> seconds = parseTimeLimit(value)) {
                    options.settings.timeLimit = *seconds;
                    options.timeLimitGiven = true;
                } else {
                    return {{}, formatMessage(msg::optionBadTime, value)};
                }
                break;
            case 'j':
                if (const std::optional<int> jobs = parseJobs(value)) {
                    options.settings.jobs = *jobs;
                } else {
                    return {{}, formatMessage(msg::optionBadJobs, value)};
                }
                break;
            case kMemory:
                if (const std::optional<double> megabytes = parseMegabytes(value)) {
                    options.settings.memoryLimitMb = *megabytes;
                } else {
                    return {{}, formatMessage(msg::optionBadMemory, value)};
                }
                break;
            case kResume: options.resume = Resume::KeepRows; break;
            case kShard:
                options.shard = parseShard(value, std::getenv("SLURM_ARRAY_TASK_ID"),
                                           std::getenv("SLURM_ARRAY_TASK_MIN"), std::getenv("SLURM_ARRAY_TASK_COUNT"));
                if (!options.shard) {
                    return {{}, value == "slurm" ? msg::shardSlurmMissing : formatMessage(msg::shardInvalid, value)};
                }
                break;
            case kSolu: options.knownResults = value; break;
            case kParameterFile:
                options.scip.parameterFile = value;
                optOnly("--parametros");
                break;
            case 'p':
                // NOME=VALOR on one line, with a name
                if (value.find('=') == std::string::npos || value.find('=') == 0 ||
                    value.find_first_of("\r\n") != std::string::npos) {
                    return {{}, formatMessage(msg::optionBadParameter, value)};
                }
                options.scip.parameters.push_back(value);
                optOnly("-p");
                break;
            case kFormats:
                if (const std::optional<std::vector<std::string>> formats = parseFormats(value)) {
                    options.settings.formats = *formats;
                    optOnly("--formatos");
                } else {
                    return {{}, formatMessage(msg::optionBadFormats, value)};
                }
                break;
            case kLogs:
                options.settings.keepLogs = true;
                optOnly("--logs");
                break;
            case kSeed:
                if (const auto seed = parseWholeNumber(value, 2147483647ULL)) {
                    options.scip.seed = static_cast<int>(*seed);
                } else {
                    return {{}, formatMessage(msg::optionBadSeed, value)};
                }
                optOnly("--semente");
                break;
            case 'h': options.help = true; break;
            case kVersion: options.version = true; break;
            case ':':
                return {{}, formatMessage(msg::optionNeedsValue, optopt == 't' || optopt == 'j' || optopt == 'p'
                                                          ? std::string("-") + static_cast<char>(optopt)
                                                          : typed)};
            default:
                return {{}, formatMessage(msg::optionUnknown, optopt != 0 ? std::string("-") + static_cast<char>(optopt) : typed)};
        }
    }
    if (options.help || options.version) return {options, ""};
    if (optind < argc) {
        options.command = argv[optind++];
        const std::optional<size_t> count = operandCount(options.command);
        if (!count) {
            return {{}, formatMessage(msg::commandUnknown, options.command)};
        }
        for (; optind < argc; ++optind) options.operands.push_back(argv[optind]);
        if (options.command == "comparar" ? options.operands.empty() : options.operands.size() != *count) {
            return {{}, formatMessage(options.command == "opt"        ? msg::commandNeedsTwo
                               : options.command == "comparar" ? msg::commandNeedsFolders
                                                               : msg::commandNeedsOne,
                               options.command)};
        }
    }
    // comparar reads what batches wrote: it takes no batch option.
    if (options.command == "comparar" && !options.knownResults.empty()) return {{}, formatMessage(msg::optionNotWithCompare, "--solu")};
    if (options.command != "comparar" && (!options.htmlFile.empty() || !options.csvFile.empty())) {
        return {{}, formatMessage(msg::optionNeedsCompare, !options.htmlFile.empty() ? "--html" : "--csv")};
    }
    // Resuming and sharding belong to a command-line batch (not the shell).
    if (options.command != "opt" && (options.resume == Resume::KeepRows || options.shard)) {
        return {{}, formatMessage(msg::optionNeedsOpt, options.resume == Resume::KeepRows ? "--retomar" : "--shard")};
    }
    if (options.command != "opt" && !options.optOnlyOption.empty()) {
        return {{}, formatMessage(msg::optionNeedsOpt, options.optOnlyOption)};
    }
    return {options, ""};
}
