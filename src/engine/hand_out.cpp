// The order in which a run's entries are handed out.
#include "engine/hand_out.h"

#include <algorithm>

#include "batch/batch.h"

void costPerModel(std::vector<HandOutEntry>& entries, size_t targets) {
    for (size_t first = 0; first < entries.size();) {
        const size_t model = modelOf(entries[first].index, targets);
        size_t last = first;
        std::optional<double> cost;
        for (; last < entries.size() && modelOf(entries[last].index, targets) == model; ++last) {
            if (entries[last].cost && (!cost || *entries[last].cost > *cost)) cost = entries[last].cost;
        }
        for (; first < last; ++first) entries[first].cost = cost;
    }
}

std::vector<size_t> handOutOrder(std::vector<HandOutEntry> entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const HandOutEntry& a, const HandOutEntry& b) {
        if (a.cost.has_value() != b.cost.has_value()) return !a.cost.has_value();
        return a.cost ? *a.cost > *b.cost : a.size > b.size;
    });
    std::vector<size_t> order;
    for (const HandOutEntry& entry : entries) order.push_back(entry.index);
    return order;
}
