// A first-in-first-out queue of owned system-exclusive buffer records with the lock that
// guards it. Appending never allocates: room is reserved before the platform is handed a
// buffer, so a record the platform holds always finds its place in the queue.
#pragma once

#include <cstddef>
#include <vector>

#include "common/critical_section.h"

namespace midi {

// Record provides a static Release(Record*): end the platform's hold and free the record; and,
// for the operations that ask whether the platform has finished a buffer, a static
// IsDone(const Record*).
template <typename Record>
class BufferQueue {
public:
    BufferQueue() = default;
    ~BufferQueue() { ReleaseAll(); }
    BufferQueue(const BufferQueue&) = delete;
    BufferQueue& operator=(const BufferQueue&) = delete;

    // Makes room for one more Append; raises std::bad_alloc when there is none.
    void Reserve() {
        SectionGuard guard(lock);
        if (count + reserved + 1 > slots.size())
            Grow(count + reserved + 1);
        ++reserved;
    }
    // Gives back a reservation that will not be used.
    void CancelReservation() {
        SectionGuard guard(lock);
        if (reserved > 0)
            --reserved;
    }
    // Puts a record at the back, using a reservation.
    void Append(Record* record) {
        SectionGuard guard(lock);
        slots[(head + count) % slots.size()] = record;
        ++count;
        if (reserved > 0)
            --reserved;
    }
    // Releases the oldest record; false when there is none.
    bool ReleaseFront() {
        SectionGuard guard(lock);
        return ReleaseFrontLocked();
    }
    void ReleaseAll() {
        SectionGuard guard(lock);
        while (count > 0)
            ReleaseFrontLocked();
    }
    // Releases records from the front for as long as the platform has finished them.
    void ReleaseDone() {
        SectionGuard guard(lock);
        while (count > 0 && (slots[head] == nullptr || Record::IsDone(slots[head])))
            ReleaseFrontLocked();
    }
    bool AllDone() {
        SectionGuard guard(lock);
        for (size_t i = 0; i < count; ++i) {
            const Record* record = slots[(head + i) % slots.size()];
            if (record != nullptr && !Record::IsDone(record))
                return false;
        }
        return true;
    }
    // Hands every record to `keep` instead of releasing it (the platform may still read or
    // write its buffer) and empties the queue.
    template <typename Keep>
    void Abandon(Keep keep) {
        SectionGuard guard(lock);
        for (size_t i = 0; i < count; ++i) {
            Record*& slot = slots[(head + i) % slots.size()];
            if (slot != nullptr)
                keep(slot);
            slot = nullptr;
        }
        head = 0;
        count = 0;
    }
    size_t Size() {
        SectionGuard guard(lock);
        return count;
    }

private:
    bool ReleaseFrontLocked() {
        if (count == 0)
            return false;
        Record* record = slots[head];
        slots[head] = nullptr;
        head = (head + 1) % slots.size();
        --count;
        if (record != nullptr)
            Record::Release(record);
        return true;
    }

    void Grow(size_t needed) {
        std::vector<Record*> larger(needed < 8 ? 8 : needed * 2, nullptr);
        for (size_t i = 0; i < count; ++i)
            larger[i] = slots[(head + i) % slots.size()];
        slots.swap(larger);
        head = 0;
    }

    CriticalSection lock;
    std::vector<Record*> slots;
    size_t head = 0;
    size_t count = 0;
    size_t reserved = 0;
};

} // namespace midi
