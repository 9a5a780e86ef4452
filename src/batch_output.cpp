// Console blocks in folder order, reports rewritten, progress and closing lines.
#include "batch_output.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>

#include "Messages.h"
#include "reports.h"

BatchOutput::BatchOutput(size_t entries, const std::string& outputFolder, const std::optional<Shard>& shard)
    : outputFolder_(outputFolder), entries_(entries) {
    for (const ReportFile& report : batchReports()) {
        reportNames_.push_back(reportFileName(report, shard));
    }
}

void BatchOutput::hide(size_t index) {
    entries_[index].done = true;
    entries_[index].shown = false;
    ++doneCount_;
}

bool BatchOutput::record(size_t index, const ModelResult& result) {
    std::vector<std::string> rows;
    for (const ReportFile& report : batchReports()) rows.push_back(report.row(result));
    return finish(index, std::move(rows), result.out, result.err);
}

bool BatchOutput::keep(size_t index, const std::string& name, const KeptRow& kept) {
    return finish(index, kept.lines, std::string(msg::nameLabel) + name + "\n" + msg::rowKept, "");
}

bool BatchOutput::finishWithoutRow(size_t index, std::string out, std::string err) {
    return finish(index, {}, std::move(out), std::move(err));
}

bool BatchOutput::finish(size_t index, std::vector<std::string> rows, std::string out, std::string err) {
    Entry& entry = entries_[index];
    entry.done = true;
    entry.rows = std::move(rows);
    entry.out = std::move(out);
    entry.err = std::move(err);
    ++doneCount_;
    // A failure to write a report is said with this entry's block.
    std::ostringstream errors;
    const bool written = writeReports(errors);
    entry.err += errors.str();
    return written;
}

bool BatchOutput::writeReports() {
    std::ostringstream errors;
    const bool written = writeReports(errors);
    std::cerr << errors.str() << std::flush;
    return written;
}

// Every report holds the finished rows in folder order.
bool BatchOutput::writeReports(std::ostream& errors) {
    bool written = true;
    const std::vector<ReportFile>& reports = batchReports();
    for (size_t report = 0; report < reports.size(); ++report) {
        std::vector<std::string> rows;
        for (const Entry& e : entries_) {
            if (e.done && e.rows.size() > report) rows.push_back(e.rows[report]);
        }
        if (!writeReport(outputFolder_, rows, errors, reportNames_[report], reports[report].header)) written = false;
    }
    return written;
}

std::vector<size_t> BatchOutput::rowPositions() const {
    std::vector<size_t> positions;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].shown && entries_[i].done && !entries_[i].rows.empty()) positions.push_back(i);
    }
    return positions;
}

void BatchOutput::printBlock(size_t index) {
    const Entry& entry = entries_[index];
    std::cout << msg::dashLine << msg::modelHeader << index << msg::modelHeaderEnd << entry.out << std::flush;
    std::cerr << entry.err << std::flush;
}

void BatchOutput::printReady() {
    for (; nextToPrint_ < entries_.size() && entries_[nextToPrint_].done; ++nextToPrint_) {
        if (!entries_[nextToPrint_].shown) continue;
        progress_.clear();
        printBlock(nextToPrint_);
    }
}

void BatchOutput::printFinished() {
    // Entries finished after one that did not are shown too: their rows are in the report.
    for (; nextToPrint_ < entries_.size(); ++nextToPrint_) {
        if (entries_[nextToPrint_].done && entries_[nextToPrint_].shown) printBlock(nextToPrint_);
    }
}

void BatchOutput::showProgress(size_t running) { progress_.show(doneCount_, entries_.size(), running); }

void BatchOutput::clearProgress() { progress_.clear(); }

void BatchOutput::workerNotStarted(int error) {
    progress_.clear();
    std::cerr << msg::workerNotStarted << std::strerror(error) << "\n" << std::flush;
}

void BatchOutput::checkSummary(size_t agree, size_t wrong, size_t unreferenced) {
    std::printf(msg::checkSummary, agree, wrong, unreferenced);
}

void BatchOutput::interrupted(size_t finished, size_t entries) {
    std::fprintf(stderr, msg::batchInterrupted, finished, entries);
}
