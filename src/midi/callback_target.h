// What a port's callback reaches: the platform calls it on a thread of its own, with this as
// its instance value, so it must stay valid for as long as the platform may call.
//
// The platform does not promise that closing a port waits for a callback in progress, and a
// callback that has just begun may still be a few instructions from anything it counts. So the
// target counts the callbacks in progress, a close waits for that count itself, and a target
// is not freed when its port closes: it is retired, and freed only after many later closes.
// A target whose port would not close is never freed.
#pragma once

#include <atomic>

#include "midi/midi_receiver.h"
#include "platform/platform.h"

namespace midi {

struct CallbackTarget {
    // One callback in progress, from its first statement to its last.
    class InProgress {
    public:
        explicit InProgress(CallbackTarget& entered);
        ~InProgress();
        InProgress(const InProgress&) = delete;
        InProgress& operator=(const InProgress&) = delete;

    private:
        CallbackTarget& target;
    };

    // Null when the event cannot be created.
    static CallbackTarget* Create();
    // The port closed: the target goes, but only after many later retirements.
    static void Retire(CallbackTarget* target);
    // The port would not close: the target stays for the life of the process.
    static void LeaveToPlatform(CallbackTarget* target);

    // Returns once no callback is in progress.
    void WaitForCallbacks();

    HANDLE signalEvent = nullptr; // wakes the device's worker, and a close that waits
    std::atomic<CMIDIReceiver*> receiver{nullptr}; // input: where messages go
    std::atomic<int> state{0};                     // input: the device's state
    std::atomic<int> callbacksInProgress{0};
    std::atomic<bool> closeWaiting{false};
};

// Memory the platform may still read or write (a buffer it never finished, say): kept
// reachable for the life of the process and never freed.
void KeepForPlatform(const void* memory);

} // namespace midi
