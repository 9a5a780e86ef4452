// Blocks in entry order, the progress line and the closing lines.
#include "engine/blocks.h"

#include <cstdio>
#include <cstring>
#include <iostream>

#include "text/messages.h"

Blocks::Blocks(size_t entries, const char* headerEnd, bool showsProgress)
    : headerEnd_(headerEnd), showsProgress_(showsProgress), entries_(entries) {}

void Blocks::labelTargets(std::vector<std::string> labels) { targetLabels_ = std::move(labels); }

void Blocks::hide(size_t index) {
    entries_[index].done = true;
    entries_[index].shown = false;
    ++doneCount_;
}

void Blocks::finish(size_t index, std::string out, std::string err) {
    Entry& entry = entries_[index];
    entry.done = true;
    entry.out = std::move(out);
    entry.err = std::move(err);
    ++doneCount_;
}

void Blocks::printBlock(size_t index) {
    Entry& entry = entries_[index];
    progress_.clear();
    const size_t targets = targetLabels_.empty() ? 1 : targetLabels_.size();
    std::cout << msg::dashLine << msg::modelHeader << modelOf(index, targets)
              << (targetLabels_.empty() ? std::string() : targetLabels_[targetOf(index, targets)]) << headerEnd_
              << entry.out << std::flush;
    std::cerr << entry.err << std::flush;
    // A printed block is not needed again.
    std::string().swap(entry.out);
    std::string().swap(entry.err);
}

void Blocks::printReady() {
    for (; nextToPrint_ < entries_.size() && entries_[nextToPrint_].done; ++nextToPrint_) {
        if (entries_[nextToPrint_].shown) printBlock(nextToPrint_);
    }
}

void Blocks::printFinished() {
    for (; nextToPrint_ < entries_.size(); ++nextToPrint_) {
        if (entries_[nextToPrint_].done && entries_[nextToPrint_].shown) printBlock(nextToPrint_);
    }
}

void Blocks::showProgress(size_t running) {
    if (showsProgress_) progress_.show(doneCount_, entries_.size(), running);
}

void Blocks::clearProgress() { progress_.clear(); }

void Blocks::workerNotStarted(const std::string& reason) {
    progress_.clear();
    std::cerr << msg::workerNotStarted << reason << "\n" << std::flush;
}

void Blocks::interrupted(size_t finished, size_t entries) {
    std::fprintf(stderr, msg::batchInterrupted, finished, entries);
}
