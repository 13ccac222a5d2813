// One MIDI input port of the platform. Incoming messages reach the receiver on the
// platform's callback thread; a worker thread of the device's own runs while it listens and
// releases the system-exclusive buffers the platform hands back.
#pragma once

#include <atomic>

#include "midi/buffer_queue.h"
#include "midi/midi_exceptions.h"
#include "midi/midi_receiver.h"
#include "platform/platform.h"

namespace midi {

// One system-exclusive input buffer handed to the platform.
struct InBufferRecord {
    // Unprepares the header (result ignored) and frees the record.
    static void Release(InBufferRecord* record);

    HMIDIIN port;
    MIDIHDR header;
};

using InBufferQueue = BufferQueue<InBufferRecord>;

class CMIDIInDevice {
public:
    enum State { Closed = 0, Open = 1, Listening = 2 };

    CMIDIInDevice();
    ~CMIDIInDevice();
    CMIDIInDevice(const CMIDIInDevice&) = delete;
    CMIDIInDevice& operator=(const CMIDIInDevice&) = delete;

    void OpenPort(UINT deviceIndex);
    // Stops listening and closes the port; once it returns, no callback is in progress and
    // none will come.
    void ClosePort();
    void StartListening();
    // Once it returns no callback is in progress, and input has stopped.
    void StopListening();
    // Replaces the receiver and returns the previous one; never deletes a receiver.
    CMIDIReceiver* AttachReceiver(CMIDIReceiver* newReceiver);
    bool IsPortOpen() const { return target->state.load() != Closed; }
    bool IsListening() const { return target->state.load() == Listening; }

    static void QueryCaps(UINT deviceIndex, MIDIINCAPSA& caps);

private:
    // Everything the platform's callback reaches. A port that cannot be closed may keep
    // calling, so it then outlives the device: it is left to the platform with no receiver.
    struct CallbackTarget {
        std::atomic<CMIDIReceiver*> receiver{nullptr};
        std::atomic<int> state{Closed};
        HANDLE signalEvent = nullptr;            // wakes the worker, and a close that waits
        std::atomic<int> callbacksInProgress{0}; // counted by the callback itself
        std::atomic<bool> closeWaiting{false};   // a close waits for the count to reach 0
    };

    static void CALLBACK InputCallback(HMIDIIN port, UINT message, DWORD_PTR instance,
                                       DWORD_PTR param1, DWORD_PTR param2);
    static void Deliver(CallbackTarget& target, UINT message, DWORD_PTR param1, DWORD_PTR param2);
    static DWORD WINAPI InputWorker(LPVOID device);
    void EndWorker();
    // The platform may be running a callback that began before input stopped; it is waited
    // for here rather than trusted to the platform's close.
    void WaitForCallbacks();

    HMIDIIN portHandle;
    CallbackTarget* target;
    HANDLE workerThread;
    InBufferQueue bufferQueue;
};

} // namespace midi
