// The order in which a run's entries are handed out.
#include "engine/hand_out.h"

#include <algorithm>

std::vector<size_t> handOutOrder(std::vector<HandOutEntry> entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const HandOutEntry& a, const HandOutEntry& b) {
        if (a.cost.has_value() != b.cost.has_value()) return !a.cost.has_value();
        return a.cost ? *a.cost > *b.cost : a.size > b.size;
    });
    std::vector<size_t> order;
    for (const HandOutEntry& entry : entries) order.push_back(entry.index);
    return order;
}
