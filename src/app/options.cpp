// The command line, read with getopt_long; every error is a text of ours.
#include "app/options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <getopt.h>

#include "batch/model_names.h"
#include "batch/shard.h"
#include "batch/variants.h"
#include "platform/console.h"
#include "reports/batch_record.h"
#include "text/messages.h"
#include "text/format.h"

namespace {

enum LongOnly {
    kMemory = 1000,
    kResume,
    kShard,
    kSolu,
    kVersion,
    kParameterFile,
    kFormats,
    kLogs,
    kSeed,
    kHistory,
    kRace,
    kSeeds,
    kScip,
    kVariants
};

// The most seeds --sementes takes (each seed's journal stays open while its batch runs).
constexpr size_t kMostSeeds = 100;
// The most variants --variantes takes.
constexpr size_t kMostVariants = 20;

std::optional<double> parseMegabytes(const std::string& text) {
    const auto value = parseWholeNumber(text, 999999999ULL);
    if (!value || *value == 0) return std::nullopt;
    return static_cast<double>(*value);
}

// comparar's own options.
enum CompareOnly { kHtml = 2000, kCsv, kVariabilityCsv };

// The operands each command takes (comparar: one or more, given as 1).
std::optional<size_t> operandCount(const std::string& command) {
    if (command == "opt") return 2;
    if (command == "mod_lp" || command == "merge" || command == "comparar") return 1;
    return std::nullopt;
}

// The long options; each without a one-letter form has its own code.
const option kLongOptions[] = {{"html", required_argument, nullptr, kHtml},
                               {"csv", required_argument, nullptr, kCsv},
                               {"csv-variabilidade", required_argument, nullptr, kVariabilityCsv},
                               {"tempo", required_argument, nullptr, 't'},
                               {"jobs", required_argument, nullptr, 'j'},
                               {"memoria", required_argument, nullptr, kMemory},
                               {"retomar", no_argument, nullptr, kResume},
                               {"shard", required_argument, nullptr, kShard},
                               {"solu", required_argument, nullptr, kSolu},
                               {"help", no_argument, nullptr, 'h'},
                               {"version", no_argument, nullptr, kVersion},
                               {"parametros", required_argument, nullptr, kParameterFile},
                               {"parametro", required_argument, nullptr, 'p'},
                               {"formatos", required_argument, nullptr, kFormats},
                               {"logs", no_argument, nullptr, kLogs},
                               {"semente", required_argument, nullptr, kSeed},
                               {"historico", required_argument, nullptr, kHistory},
                               {"corrida", no_argument, nullptr, kRace},
                               {"sementes", required_argument, nullptr, kSeeds},
                               {"scip", required_argument, nullptr, kScip},
                               {"variantes", required_argument, nullptr, kVariants},
                               {nullptr, 0, nullptr, 0}};

// Each option group below takes the option `c` with its `value` into
// `options`: nothing when `c` is not one of the group, else the error ("" when
// none).

// The batch's limits and what it keeps: -t, -j, --memoria, --retomar, --shard, --solu.
std::optional<std::string> takeBatchOption(int c, const std::string& value, ProgramOptions& options) {
    switch (c) {
        case 't':
            if (const std::optional<double> seconds = parseTimeLimit(value)) {
                options.settings.timeLimit = *seconds;
                return "";
            }
            return formatMessage(msg::optionBadTime, value);
        case 'j':
            if (const std::optional<int> jobs = parseJobs(value)) {
                options.settings.jobs = *jobs;
                return "";
            }
            return formatMessage(msg::optionBadJobs, value);
        case kMemory:
            if (const std::optional<double> megabytes = parseMegabytes(value)) {
                options.settings.memoryLimitMb = *megabytes;
                return "";
            }
            return formatMessage(msg::optionBadMemory, value);
        case kResume: options.opt.resume = Resume::KeepRows; return "";
        case kShard:
            options.opt.shard = parseShard(value, std::getenv("SLURM_ARRAY_TASK_ID"),
                                           std::getenv("SLURM_ARRAY_TASK_MIN"), std::getenv("SLURM_ARRAY_TASK_COUNT"));
            if (options.opt.shard) return "";
            return value == "slurm" ? std::string(msg::shardSlurmMissing) : formatMessage(msg::shardInvalid, value);
        case kSolu: options.knownResults = value; return "";
        default: return std::nullopt;
    }
}

// What opt alone takes: SCIP's library and parameters, the formats, the
// logs, the seed and the folder of the earlier report that orders the hand-out.
// The first of them given is kept for the message that refuses it elsewhere.
std::optional<std::string> takeOptOption(int c, const std::string& value, ProgramOptions& options) {
    const auto optOnly = [&options](const char* name) {
        if (options.optOnlyOption.empty()) options.optOnlyOption = name;
        return std::string();
    };
    switch (c) {
        case kParameterFile: options.opt.scip.parameterFile = value; return optOnly("--parametros");
        case 'p':
            // NOME=VALOR on one line, with a name
            if (value.find('=') == std::string::npos || value.find('=') == 0 ||
                value.find_first_of("\r\n") != std::string::npos) {
                return formatMessage(msg::optionBadParameter, value);
            }
            options.opt.scip.parameters.push_back(value);
            return optOnly("-p");
        case kFormats:
            if (const std::optional<std::vector<std::string>> formats = parseFormats(value)) {
                options.settings.formats = *formats;
                return optOnly("--formatos");
            }
            return formatMessage(msg::optionBadFormats, value);
        case kLogs: options.settings.keepLogs = true; return optOnly("--logs");
        case kRace: options.settings.race = true; return optOnly("--corrida");
        case kSeed:
            if (const auto seed = parseWholeNumber(value, kLargestInt)) {
                options.opt.scip.seed = static_cast<int>(*seed);
                options.settings.seed = options.opt.scip.seed;  // the rows say it
                return optOnly("--semente");
            }
            return formatMessage(msg::optionBadSeed, value);
        case kSeeds:
            if (const std::optional<std::vector<int>> seeds = parseSeedList(value, kMostSeeds)) {
                options.opt.seeds = *seeds;
                return optOnly("--sementes");
            }
            return formatMessage(msg::optionBadSeeds, value, kMostSeeds);
        case kVariants:
            if (const std::optional<std::vector<Variant>> variants = parseVariants(value, kMostVariants)) {
                options.opt.variants = *variants;
                return optOnly("--variantes");
            }
            return formatMessage(msg::optionBadVariants, value, kMostVariants);
        case kHistory:
            if (value.empty()) return formatMessage(msg::optionNeedsValue, "--historico");
            options.opt.historyFolder = value;
            return optOnly("--historico");
        case kScip:
            if (value.empty()) return formatMessage(msg::optionNeedsValue, "--scip");
            options.scipLibrary = value;
            return optOnly("--scip");
        default: return std::nullopt;
    }
}

// comparar's --html and --csv, --help, --version, and what getopt refused
// (`typed`: the option as typed, for messages).
std::string takeOtherOption(int c, const std::string& value, const std::string& typed, ProgramOptions& options) {
    switch (c) {
        case kHtml:
        case kCsv:
        case kVariabilityCsv: {
            const char* name = c == kHtml ? "--html" : c == kCsv ? "--csv" : "--csv-variabilidade";
            if (value.empty()) return formatMessage(msg::optionNeedsValue, name);
            (c == kHtml ? options.htmlFile : c == kCsv ? options.csvFile : options.variabilityFile) = value;
            return "";
        }
        case 'h': options.help = true; return "";
        case kVersion: options.version = true; return "";
        case ':':
            return formatMessage(msg::optionNeedsValue, optopt == 't' || optopt == 'j' || optopt == 'p'
                                                            ? std::string("-") + static_cast<char>(optopt)
                                                            : typed);
        default:
            return formatMessage(msg::optionUnknown,
                                 optopt != 0 ? std::string("-") + static_cast<char>(optopt) : typed);
    }
}

// The command and its operands, from argv[optind] on; the error, or "".
std::string takeCommand(int argc, char** argv, ProgramOptions& options) {
    options.command = argv[optind++];
    const std::optional<size_t> count = operandCount(options.command);
    if (!count) return formatMessage(msg::commandUnknown, options.command);
    for (; optind < argc; ++optind) options.operands.push_back(argv[optind]);
    if (options.command == "comparar" ? options.operands.empty() : options.operands.size() != *count) {
        return formatMessage(options.command == "opt"        ? msg::commandNeedsTwo
                             : options.command == "comparar" ? msg::commandNeedsFolders
                                                             : msg::commandNeedsOne,
                             options.command);
    }
    return "";
}

// Options given to a command that does not take them; the error, or "".
std::string misplacedOption(const ProgramOptions& options) {
    // comparar reads what batches wrote: it takes no batch option.
    if (options.command == "comparar" && !options.knownResults.empty())
        return formatMessage(msg::optionNotWithCompare, "--solu");
    if (options.command != "comparar" &&
        (!options.htmlFile.empty() || !options.csvFile.empty() || !options.variabilityFile.empty())) {
        return formatMessage(msg::optionNeedsCompare, !options.htmlFile.empty()  ? "--html"
                                                      : !options.csvFile.empty() ? "--csv"
                                                                                 : "--csv-variabilidade");
    }
    // Resuming and sharding belong to a command-line batch (not the shell).
    if (options.command != "opt" && (options.opt.resume == Resume::KeepRows || options.opt.shard)) {
        return formatMessage(msg::optionNeedsOpt, options.opt.resume == Resume::KeepRows ? "--retomar" : "--shard");
    }
    if (options.command != "opt" && !options.optOnlyOption.empty()) {
        return formatMessage(msg::optionNeedsOpt, options.optOnlyOption);
    }
    // A seed run's seeds are its own; racing would mix them.
    if (!options.opt.seeds.empty() && (options.opt.scip.seed || options.settings.race)) {
        return formatMessage(msg::optionNotWithSeeds, options.opt.scip.seed ? "--semente" : "--corrida");
    }
    // Each seed's and variant's folder keeps its files open while the batch runs.
    if (options.opt.seeds.size() * options.opt.variants.size() > kMostSeeds) {
        return formatMessage(msg::seedsTimesVariants, kMostSeeds);
    }
    // Variants run side by side so that their times compare; racing copies would skew them.
    if (!options.opt.variants.empty() && options.settings.race) {
        return formatMessage(msg::optionNotWithVariants, "--corrida");
    }
    return "";
}

}  // namespace

std::optional<int> parseJobs(const std::string& text) {
    const auto value = parseWholeNumber(text, 1024ULL);
    if (!value || *value == 0) return std::nullopt;
    return static_cast<int>(*value);
}

ParsedOptions parseOptions(int argc, char** argv) {
    ProgramOptions options;
    opterr = 0;  // getopt's own (English) messages are replaced by ours
    optind = 1;
    while (true) {
        const int c = getopt_long(argc, argv, ":t:j:p:h", kLongOptions, nullptr);
        if (c == -1) break;
        const std::string value = optarg != nullptr ? optarg : "";
        // The option as typed, for messages (getopt has stepped past it).
        const std::string typed = optind > 0 && optind <= argc ? argv[optind - 1] : "";
        std::optional<std::string> error = takeBatchOption(c, value, options);
        if (!error) error = takeOptOption(c, value, options);
        if (!error) error = takeOtherOption(c, value, typed, options);
        if (!error->empty()) return {{}, *error};
    }
    if (options.help || options.version) return {options, ""};
    if (optind < argc) {
        if (const std::string error = takeCommand(argc, argv, options); !error.empty()) return {{}, error};
    }
    if (const std::string error = misplacedOption(options); !error.empty()) return {{}, error};
    if (options.command == "opt") {
        options.opt.caller = Caller::CommandLine;
        options.opt.lpFolder = options.operands[0];
        options.opt.outputFolder = options.operands[1];
        options.opt.commandLine = quoteCommandLine(argc, argv);
    }
    return {options, ""};
}
