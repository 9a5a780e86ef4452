// Reports rewritten as entries finish, with a journal in between.
#include "engine/batch_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>

#include "platform/console.h"
#include "platform/files.h"
#include "reports/reports.h"
#include "text/format.h"
#include "text/messages.h"

namespace {

// A rewrite is due once the time since the last one is 20 times what that
// one took (a small batch rewrites after every entry), and at least once a
// second while rows wait.
constexpr int kRewriteCostFactor = 20;
constexpr std::chrono::seconds kLongestWait{1};

}  // namespace

BatchOutput::BatchOutput(Blocks& blocks, const std::string& outputFolder, const std::optional<Shard>& shard,
                         size_t target, size_t targets)
    : outputFolder_(outputFolder),
      blocks_(blocks),
      target_(target),
      targets_(targets),
      entries_(blocks.size() / targets) {
    for (const ReportTable& report : batchReports()) {
        reportNames_.push_back(reportFileName(report, shard));
    }
    journalPath_ = joinPath(outputFolder, journalName(shard));
}

BatchOutput::~BatchOutput() = default;

void BatchOutput::hide(size_t index) {
    entries_[index].done = true;
    entries_[index].shown = false;
    blocks_.hide(block(index));
}

bool BatchOutput::keepResult(size_t index, const ModelResult& result) {
    std::vector<std::string> rows;
    for (const ReportTable& report : batchReports()) rows.push_back(tableRow(report, result));
    return finish(index, std::move(rows), result.out, result.err);
}

bool BatchOutput::keep(size_t index, const std::string& name, const KeptRow& kept) {
    // Its rows are in the earlier reports or journal already: not journalled again.
    return finish(index, kept.lines, std::string(msg::nameLabel) + name + "\n" + msg::rowKept, "");
}

bool BatchOutput::finishWithoutRow(size_t index, std::string out, std::string err) {
    return finish(index, {}, std::move(out), std::move(err));
}

bool BatchOutput::finish(size_t index, std::vector<std::string> rows, std::string out, std::string err) {
    Entry& entry = entries_[index];
    entry.done = true;
    entry.rows = std::move(rows);
    // A failure to write a report is said with this entry's block.
    std::ostringstream errors;
    bool written = !started_ || entry.rows.empty() || appendToJournal(entry.rows, errors);
    waiting_ = true;
    if (started_ && rewriteDue()) written = writeReports(errors) && written;
    blocks_.finish(block(index), std::move(out), std::move(err) + errors.str());
    return written;
}

bool BatchOutput::start() {
    started_ = true;
    return !waiting_ || writeReports();
}

// Opens the journal for appending. An entry cut short by a killed run is cut
// off, so that entries appended after it can be read; a journal of another
// layout is first rewritten in this one, its entries kept (they may be in no
// report yet).
bool BatchOutput::openJournal(std::ostream& errors) {
    const std::string text = readTextFile(journalPath_).value_or("");
    journalSize_ = static_cast<long long>(journalKeptLength(text));
    if (journalSize_ == 0 && !text.empty()) {
        const std::string today = journalInTodaysLayout(text);
        std::string err;
        if (!today.empty() && !replaceFile(outputFolder_, journalPath_, today, &err)) {
            errors << ioErrorLine(msg::reportNotWritten, journalPath_, err) << std::flush;
            return false;
        }
        journalSize_ = static_cast<long long>(today.size());
    }
    std::string err;
    if (!openForAppend(journalPath_, journal_, &err)) {
        errors << ioErrorLine(msg::reportNotWritten, journalPath_, err) << std::flush;
        return false;
    }
    if (!truncateFile(journal_, journalSize_, &err)) {
        errors << ioErrorLine(msg::reportNotWritten, journalPath_, err) << std::flush;
    }
    return true;
}

// One write of a whole entry, at the end of the file: a killed program
// leaves whole entries and at most one cut short.
bool BatchOutput::appendToJournal(const std::vector<std::string>& rows, std::ostream& errors) {
    if (journal_.fd < 0 && !openJournal(errors)) return false;
    // An empty journal starts with its layout.
    const std::string entry = (journalSize_ == 0 ? journalStart() : "") + journalEntry(rows);
    std::string err;
    if (writeWhole(journal_.fd, entry, &err)) {
        journalSize_ += static_cast<long long>(entry.size());
        return true;
    }
    // An entry cut short and left there is cut off when the journal is next opened.
    truncateFile(journal_, journalSize_, nullptr);
    errors << ioErrorLine(msg::reportNotWritten, journalPath_, err) << std::flush;
    return false;
}

bool BatchOutput::rewriteDue() const {
    const Clock::duration since = Clock::now() - lastWrite_;
    return since >= std::min<Clock::duration>(kRewriteCostFactor * lastWriteTook_, kLongestWait);
}

bool BatchOutput::writeReportsIfDue() {
    if (!started_ || !waiting_ || !rewriteDue()) return true;
    blocks_.clearProgress();
    return writeReports();
}

bool BatchOutput::closeReports() {
    if (waiting_) {
        blocks_.clearProgress();
        if (!writeReports()) return false;
    }
    journal_ = FileDescriptor();
    removeIfPresent(journalPath_, nullptr);
    return true;
}

bool BatchOutput::writeReports() {
    std::ostringstream errors;
    const bool written = writeReports(errors);
    printErrors(errors.str());
    return written;
}

// Every report holds the finished rows in folder order.
bool BatchOutput::writeReports(std::ostream& errors) {
    const Clock::time_point start = Clock::now();
    bool written = true;
    const std::vector<ReportTable>& reports = batchReports();
    for (size_t report = 0; report < reports.size(); ++report) {
        std::vector<std::string> rows;
        for (const Entry& e : entries_) {
            if (e.done && e.rows.size() > report) rows.push_back(e.rows[report]);
        }
        std::string err;
        if (!writeReport(outputFolder_, reports[report], reportNames_[report], rows, &err)) {
            errors << err << std::flush;
            written = false;
        }
    }
    lastWrite_ = Clock::now();
    // A rewrite that failed is tried again a second later, not at once.
    lastWriteTook_ = written ? lastWrite_ - start : Clock::duration(kLongestWait);
    waiting_ = !written;
    return written;
}

std::vector<size_t> BatchOutput::rowPositions() const {
    std::vector<size_t> positions;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].shown && entries_[i].done && !entries_[i].rows.empty()) positions.push_back(i);
    }
    return positions;
}
