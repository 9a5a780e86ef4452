// mod_lp's kind of job: the translation of a MathProg model.
#include "engine/translations.h"

#include "batch/model_names.h"
#include "engine/hand_out.h"
#include "engine/jobs.h"
#include "platform/files.h"
#include "process/codec.h"
#include "text/messages.h"

TranslationResult translateEntries(const std::string& folder, const std::vector<std::string>& entries,
                                   const BatchSettings& settings) {
    Blocks blocks(entries.size(), msg::generatedHeaderEnd, false);
    std::vector<HandOutEntry> models;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!endsWith(entries[i], "mod")) {
            blocks.finish(i, "", "");  // not a model: its header alone
            continue;
        }
        const std::string lpPath = lpPathOfModel(entries[i]);
        const std::optional<FileStamp> earlier = fileStamp(lpPath);
        models.push_back({i, earlier ? std::optional<double>(earlier->size) : std::nullopt});
    }
    TranslationResult result;
    JobKind kind;
    kind.name = kTranslationJob;
    kind.request = [&entries](size_t index) { return encodeValue(entries[index]); };
    kind.understood = [](const std::string& bytes) { return decodeValue<bool>(bytes).has_value(); };
    // A worker that died or said nothing sensible costs its model only.
    kind.finish = [&](const FinishedJob& job, const JobEnd&) {
        const bool reported = job.how == FinishedJob::Reported;
        blocks.finish(job.index, job.out, reported ? job.err : job.err + whatHappened(job, entries[job.index]));
        if (!reported || !*decodeValue<bool>(job.result)) ++result.failures;
    };
    // Temporary files of stopped workers are removed.
    kind.afterStop = [&folder] { removeStaleTempFiles(folder); };
    kind.workers = workerCount(models.size(), settings.jobs);  // a translation has no time limit
    result.interruptedBy = runJobs(kind, handOutOrder(models), blocks);
    result.failures += blocks.size() - blocks.done();
    if (result.interruptedBy != 0) blocks.interrupted(blocks.done(), blocks.size());
    return result;
}
