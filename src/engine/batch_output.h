// What a batch keeps: the reports in the output folder, rewritten as entries
// finish (each time while that is cheap, then at most about once a second,
// with a journal that keeps every finished row in between). Each entry's
// block goes on to the console's blocks (blocks.h) with what it says of the
// reports.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "platform/files.h"
#include "engine/blocks.h"

class BatchOutput {
public:
    // The output of target `target` of `targets`: its entry i is the
    // blocks' entry i * targets + target.
    BatchOutput(Blocks& blocks, const std::string& outputFolder, const std::optional<Shard>& shard, size_t target = 0,
                size_t targets = 1);
    BatchOutput(const BatchOutput&) = delete;
    BatchOutput& operator=(const BatchOutput&) = delete;
    ~BatchOutput();

    // An entry of another part: done, never shown, no row.
    void hide(size_t index);
    // An entry that finished, by what it gives: a model's result (journalled,
    // and in the reports at the next rewrite that is due), rows kept from an
    // earlier run, or no row (not a model). False when a report or the
    // journal could not be written (said with the block).
    bool keepResult(size_t index, const ModelResult& result);
    bool keep(size_t index, const std::string& name, const KeptRow& kept);
    bool finishWithoutRow(size_t index, std::string out = "", std::string err = "");
    // The entries known before any model is solved (kept rows, entries that
    // are not models) are kept: the reports are rewritten once with all
    // of them, and from now on as entries finish. Until then no rewrite
    // happens, so that a program killed meanwhile leaves the earlier reports
    // whole.
    bool start();
    // Rewrites the reports now (failures said on standard error).
    bool writeReports();
    // Rewrites the reports if rows are waiting and a rewrite is due.
    bool writeReportsIfDue();
    // The batch is over: the reports get every finished row, and the journal
    // goes once they hold them all.
    bool closeReports();

    // Folder positions of the reports' rows, in order.
    std::vector<size_t> rowPositions() const;

private:
    struct Entry {
        bool done = false;
        bool shown = true;
        std::vector<std::string> rows;  // one per report; none for an entry without a row
    };
    bool finish(size_t index, std::vector<std::string> rows, std::string out, std::string err);
    bool writeReports(std::ostream& errors);
    bool openJournal(std::ostream& errors);
    bool appendToJournal(const std::vector<std::string>& rows, std::ostream& errors);
    bool rewriteDue() const;
    size_t block(size_t index) const { return entryOf(index, target_, targets_); }

    using Clock = std::chrono::steady_clock;
    std::string outputFolder_;
    std::vector<std::string> reportNames_;
    std::string journalPath_;
    FileDescriptor journal_;     // open for appending once a row is journalled
    long long journalSize_ = 0;  // its whole entries
    bool started_ = false;       // rewrites may happen
    bool waiting_ = false;       // finished rows not yet in the reports
    Clock::time_point lastWrite_{};
    Clock::duration lastWriteTook_{};
    Blocks& blocks_;
    size_t target_, targets_;
    std::vector<Entry> entries_;
};
