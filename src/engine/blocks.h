// The console of a run of jobs: each entry's block (dash line, "MODELO i"
// with the kind's header end, what its job printed) whole and in entry
// order, the progress line, and the lines that say a worker could not be
// started or the run was stopped.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "engine/progress.h"

class Blocks {
public:
    // `headerEnd` follows "MODELO i" ("MODELO i \n", "MODELO i gerado\n").
    // Without `showsProgress` no progress line is drawn.
    Blocks(size_t entries, const char* headerEnd, bool showsProgress);

    // Entries that are each model under several targets (seeds): entry e is
    // model e / n under target e % n, and its header says "MODELO" of the
    // model, then the target's label.
    void labelTargets(std::vector<std::string> labels);
    // An entry of another part: done, never shown.
    void hide(size_t index);
    // An entry done, with what its block shows on each stream.
    void finish(size_t index, std::string out, std::string err);
    size_t size() const { return entries_.size(); }
    size_t done() const { return doneCount_; }  // finished or hidden

    // Prints the blocks that are due: a finished entry waits for every earlier one.
    void printReady();
    // Prints every finished block not yet printed (a run that did not finish
    // every entry): entries finished after one that did not are shown too.
    void printFinished();
    void showProgress(size_t running);
    void clearProgress();
    void workerNotStarted(const std::string& reason);
    void interrupted(size_t finished, size_t entries);

private:
    struct Entry {
        bool done = false;
        bool shown = true;
        std::string out, err;
    };
    void printBlock(size_t index);

    const char* headerEnd_;
    bool showsProgress_;
    std::vector<Entry> entries_;
    std::vector<std::string> targetLabels_;
    size_t doneCount_ = 0;
    size_t nextToPrint_ = 0;
    ProgressLine progress_;
};
