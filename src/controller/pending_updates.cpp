#include "controller/pending_updates.h"

#include "host/host_bridge.h"

namespace {

// What the module cannot read back from the Host: it only hears of them.
bool CannotBeReadBack(int32_t code) {
    return code == HostParam::Record || code == HostParam::CurrentTrack;
}

} // namespace

PendingUpdates::PendingUpdates() : entries{} {}

void PendingUpdates::Add(const Update& update) {
    SectionGuard guard(lock);
    if (count == kCapacity)
        KeepOnlyWhatCannotBeReadBack();
    entries[(head + count) % kCapacity] = update;
    ++count;
}

bool PendingUpdates::Take(Update& update) {
    SectionGuard guard(lock);
    if (count == 0)
        return false;
    update = entries[head];
    head = (head + 1) % kCapacity;
    --count;
    return true;
}

bool PendingUpdates::TakeResync() {
    SectionGuard guard(lock);
    const bool requested = resync;
    resync = false;
    return requested;
}

void PendingUpdates::Clear() {
    SectionGuard guard(lock);
    head = 0;
    count = 0;
    resync = false;
}

// The last notification of each kind that cannot be read back stays, in its order; the rest
// (per-track states, solo, display changes) is read back by the resynchronisation.
void PendingUpdates::KeepOnlyWhatCannotBeReadBack() {
    Update kept[kCapacity];
    size_t keptCount = 0;
    for (size_t i = count; i-- > 0;) {
        const Update& update = entries[(head + i) % kCapacity];
        if (!CannotBeReadBack(update.code))
            continue;
        bool newer = false;
        for (size_t k = 0; k < keptCount; ++k)
            newer = newer || kept[k].code == update.code;
        if (!newer)
            kept[keptCount++] = update;
    }
    head = 0;
    count = keptCount;
    for (size_t k = 0; k < keptCount; ++k)
        entries[k] = kept[keptCount - 1 - k];
    resync = true;
}
