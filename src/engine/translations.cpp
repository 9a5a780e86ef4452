// mod_lp's batch in worker processes.
#include "engine/translations.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <iostream>

#include "glpk/translator.h"
#include "platform/files.h"
#include "process/codec.h"
#include "process/workers.h"
#include "text/Messages.h"

namespace {

struct Block {
    bool done = false;
    std::string out, err;
};

}  // namespace

std::vector<size_t> handOutOrder(const std::vector<std::pair<size_t, std::optional<long long>>>& earlierLpSizes) {
    std::vector<std::pair<size_t, std::optional<long long>>> models = earlierLpSizes;
    std::stable_sort(models.begin(), models.end(), [](const auto& a, const auto& b) {
        if (!a.second || !b.second) return !a.second && b.second;
        return *a.second > *b.second;
    });
    std::vector<size_t> order;
    for (const auto& model : models) order.push_back(model.first);
    return order;
}

TranslationResult translateEntries(const std::string& folder, const std::vector<std::string>& entries,
                                   const BatchSettings& settings) {
    BatchSettings resolved = settings;
    if (resolved.jobs <= 0) resolved.jobs = availableCpus();
    // In a worker: one entry's translation, and whether it succeeded.
    const auto job = [&](size_t index, const std::function<void()>&) { return encodeValue(convertModel(entries[index])); };
    WorkerPool pool(entries.size(), job, [](const std::string& bytes) { return decodeValue<bool>(bytes).has_value(); },
                    0.0);  // a translation has no time limit
    TranslationResult result;
    std::vector<Block> blocks(entries.size());
    std::vector<std::pair<size_t, std::optional<long long>>> models;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (endsWith(entries[i], "mod")) {
            const std::string lpPath = entries[i].substr(0, entries[i].size() - 3) + "lp";
            const std::optional<FileStamp> earlier = fileStamp(lpPath);
            models.emplace_back(i, earlier ? std::optional<long long>(earlier->size) : std::nullopt);
        } else {
            blocks[i].done = true;  // not a model: its header alone
        }
    }
    const std::vector<size_t> order = handOutOrder(models);
    std::deque<size_t> queue(order.begin(), order.end());
    const auto printBlock = [&](size_t i) {
        std::cout << msg::dashLine << msg::modelHeader << i << msg::generatedHeaderEnd << blocks[i].out << std::flush;
        std::cerr << blocks[i].err << std::flush;
        std::string().swap(blocks[i].out);
        std::string().swap(blocks[i].err);
    };
    // A finished block waits for every earlier one.
    size_t next = 0;
    const auto printReady = [&] {
        for (; next < blocks.size() && blocks[next].done; ++next) printBlock(next);
    };
    const size_t jobs = std::min(queue.size(), static_cast<size_t>(std::max(1, resolved.jobs)));
    const auto staff = [&] {
        if (const int error = pool.staff(jobs, queue.size())) {
            std::cerr << msg::workerNotStarted << std::strerror(error) << "\n" << std::flush;
        }
    };
    // A worker that died or said nothing sensible costs its model only; one
    // that ends while the batch is being stopped leaves it unfinished.
    const auto take = [&](const FinishedJob& model) {
        if (model.how != FinishedJob::Reported && pool.interruptedBy() != 0) return;
        Block& block = blocks[model.index];
        block.done = true;
        block.out = model.out;
        block.err = model.err;
        if (model.how != FinishedJob::Reported) block.err += whatHappened(model, entries[model.index]);
        if (model.how != FinishedJob::Reported || !*decodeValue<bool>(model.result)) ++result.failures;
    };
    staff();
    printReady();
    while (next < blocks.size() && pool.interruptedBy() == 0) {
        staff();
        if (pool.size() == 0) break;
        pool.handOut(queue);
        const std::optional<std::vector<FinishedJob>> finished = pool.wait(200);
        if (!finished) break;
        for (const FinishedJob& model : *finished) take(model);
        printReady();
    }
    result.interruptedBy = pool.interruptedBy();
    // Translations already sent when it was stopped are kept.
    if (result.interruptedBy != 0) {
        for (const FinishedJob& model : pool.wait(0).value_or(std::vector<FinishedJob>{})) take(model);
    }
    pool.stop();
    removeStaleTempFiles(folder);
    size_t finishedCount = 0;
    for (const Block& block : blocks) finishedCount += block.done ? 1 : 0;
    // Entries finished after one that did not are shown too.
    for (; next < blocks.size(); ++next) {
        if (blocks[next].done) printBlock(next);
    }
    result.failures += blocks.size() - finishedCount;
    if (result.interruptedBy != 0) std::fprintf(stderr, msg::batchInterrupted, finishedCount, blocks.size());
    return result;
}
