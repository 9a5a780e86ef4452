// mod_lp: every MathProg model of a folder translated into an LP file, each
// in a worker.
#include "commands/mod_lp.h"

#include <cstdio>
#include <iostream>

#include "batch/model_names.h"
#include "glpk/translator.h"
#include "platform/console.h"
#include "platform/files.h"
#include "process/codec.h"
#include "text/messages.h"

// mod_lp's job: the model the request names translated, its failure said on
// standard error with, when an LP file of an earlier translation is beside
// the model, a line that says it is not current.
std::string translationJob(const std::string& request, const Task&, const std::function<void(const std::string&)>&) {
    const std::optional<std::string> modelPath = decodeValue<std::string>(request);
    if (!modelPath) return std::string();
    std::string written;
    const TranslationFailure failure = convertModel(*modelPath, written);
    std::fputs(written.c_str(), stdout);
    std::fflush(stdout);
    if (failure == TranslationFailure::None) return encodeValue(true);
    std::fputs(failure == TranslationFailure::Read       ? msg::modelReadError
               : failure == TranslationFailure::Generate ? msg::modelGenerateError
                                                         : msg::lpWriteError,
               stderr);
    const std::string lpPath = lpPathOfModel(*modelPath);
    if (isRegularFile(lpPath)) std::fprintf(stderr, msg::lpOutdated, lpPath.c_str());
    return encodeValue(false);
}

TranslationResult convertFolder(const BatchSettings& settings) {
    std::cout << msg::modFolderPrompt << std::flush;
    std::string folder;
    if (!readLine(folder)) return {};
    return convertFolderAt(folder, settings, IncompleteListing::Accept).value_or(TranslationResult{});
}

std::optional<TranslationResult> convertFolderAt(const std::string& folder, const BatchSettings& settings,
                                                 IncompleteListing incomplete) {
    if (!folderExists(folder)) {
        std::cout << msg::modFolderInvalid;
        return std::nullopt;
    }
    std::cout << msg::modFolderFound;
    removeStaleTempFiles(folder);
    const FolderListing listing = readFolder(folder);
    printErrors(listing.error);
    if (!listing.whole && incomplete == IncompleteListing::Refuse) return TranslationResult{0, 0, false};
    TranslationResult result = translateEntries(folder, listing.paths, settings);
    result.listedWhole = listing.whole;
    return result;
}
