// Host notifications that could not be handled when they came (surface input held the
// controller), kept in order for the next Host-thread entry. Bounded: when it overflows, only
// the last recording and current-track notifications are kept (the Host cannot be asked for
// those) and a resynchronisation is requested, which reads the rest back from the Host.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/critical_section.h"

class PendingUpdates {
public:
    struct Update {
        int32_t code;
        int32_t first;
        int32_t second;
    };
    static constexpr size_t kCapacity = 256;

    PendingUpdates();
    PendingUpdates(const PendingUpdates&) = delete;
    PendingUpdates& operator=(const PendingUpdates&) = delete;

    void Add(const Update& update);
    // The oldest update; false when there is none.
    bool Take(Update& update);
    // True once after updates were dropped to make room.
    bool TakeResync();
    // Forgets everything (the controller is closing).
    void Clear();

private:
    void KeepOnlyWhatCannotBeReadBack();

    CriticalSection lock; // held only while the queue itself changes, never across a Host call
    Update entries[kCapacity];
    size_t head = 0;
    size_t count = 0;
    bool resync = false;
};
