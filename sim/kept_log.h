// The latest entries of a record that keeps growing (the Host's calls, the MIDI monitor, the
// debugger output), with positions counted from the first entry ever: once more than the limit
// are kept the oldest goes, and a reader's position stays valid across the drops. Its owner
// locks it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <deque>
#include <utility>
#include <vector>

namespace sim {

template <typename Entry>
class KeptLog {
public:
    explicit KeptLog(size_t keptLimit) : limit(keptLimit) {}

    void Add(Entry entry) {
        kept.push_back(std::move(entry));
        if (kept.size() > limit) {
            kept.pop_front();
            ++dropped;
        }
    }

    // The entries from position `from` on (from the oldest kept when older ones were dropped);
    // `from` becomes the position after the last one.
    std::vector<Entry> From(size_t& from) const {
        const size_t end = Count();
        const size_t start = std::min(std::max(from, dropped), end) - dropped;
        from = end;
        return std::vector<Entry>(kept.begin() + static_cast<std::ptrdiff_t>(start), kept.end());
    }

    // The latest `count` entries, oldest first.
    std::vector<Entry> Latest(size_t count) const {
        const size_t start = kept.size() > count ? kept.size() - count : 0;
        return std::vector<Entry>(kept.begin() + static_cast<std::ptrdiff_t>(start), kept.end());
    }

    // How many entries were ever added.
    size_t Count() const { return dropped + kept.size(); }

private:
    const size_t limit;
    std::deque<Entry> kept;
    size_t dropped = 0; // entries older than the kept ones
};

} // namespace sim
