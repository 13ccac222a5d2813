// One MIDI input port of the platform. Incoming messages reach the receiver on the
// platform's callback thread; a worker thread of the device's own runs while it listens and
// releases the system-exclusive buffers the platform hands back.
#pragma once

#include "midi/buffer_queue.h"
#include "midi/callback_target.h"
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
    static void CALLBACK InputCallback(HMIDIIN port, UINT message, DWORD_PTR instance,
                                       DWORD_PTR param1, DWORD_PTR param2);
    static void Deliver(CallbackTarget& target, UINT message, DWORD_PTR param1, DWORD_PTR param2);
    static DWORD WINAPI InputWorker(LPVOID device);
    void EndWorker();

    HMIDIIN portHandle;
    CallbackTarget* target; // holds the receiver and the state, which the callback reads
    HANDLE workerThread;
    InBufferQueue bufferQueue;
};

} // namespace midi
