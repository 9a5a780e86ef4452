// The order in which a run's entries are handed out to its workers: the
// longest expected first, so that a long job does not start last and keep
// the run waiting on one worker while the others stand idle. One rule for
// every kind of job (opt's solves, mod_lp's translations); the blocks and
// the reports keep their own order. Pure: no I/O.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

// An entry to hand out, and what is known of how long its job takes.
struct HandOutEntry {
    size_t index = 0;  // the entry
    // What its job cost the last time, larger meaning longer (opt: the
    // seconds of an earlier report; mod_lp: the size of the LP file its
    // earlier translation left); nothing when not known.
    std::optional<double> cost;
    // Among entries whose cost is not known, the larger goes first (opt: the
    // model file's size); entries alike keep their order.
    double size = 0.0;
};

// The entries' indexes in the order they are handed out. Entries whose cost
// is not known go first, the largest `size` first: a long new job must not
// start last, and its size is the best guess of its length there is. Then
// the entries with a known cost, the largest first. Entries alike keep the
// order they are given in (the folder's).
std::vector<size_t> handOutOrder(std::vector<HandOutEntry> entries);
// Entries of a batch under `targets` targets (entry e: model e / targets),
// each model's adjacent in `entries`, given one cost: the longest that its
// targets know. handOutOrder then hands a model's entries out together, in
// target order, so that its seeds and variants run side by side.
void costPerModel(std::vector<HandOutEntry>& entries, size_t targets);
