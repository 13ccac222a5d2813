// One MIDI output port of the platform. Short messages go straight to the platform; a
// system-exclusive message goes out through a buffer that stays pending until the platform
// reports it done, when the device's worker thread releases it.
#pragma once

#include <atomic>
#include <cstdint>

#include "midi/buffer_queue.h"
#include "midi/midi_exceptions.h"
#include "platform/platform.h"

namespace midi {

// One long message handed to the platform. It owns a copy of the bytes, which the platform
// reads until it reports the buffer done; messages up to kInlineBytes need no extra memory.
struct OutBufferRecord {
    static constexpr DWORD kInlineBytes = 32;

    static OutBufferRecord* Create(HMIDIOUT port, const BYTE* bytes, DWORD byteCount);
    // Unprepares the header (result ignored) and frees the record.
    static void Release(OutBufferRecord* record);

    HMIDIOUT port;
    MIDIHDR header;
    BYTE* heapBytes;
    BYTE inlineBytes[kInlineBytes];
};

using OutBufferQueue = BufferQueue<OutBufferRecord>;

class CMIDIOutDevice {
public:
    enum State { Closed = 0, Open = 1 };

    CMIDIOutDevice();
    ~CMIDIOutDevice();
    CMIDIOutDevice(const CMIDIOutDevice&) = delete;
    CMIDIOutDevice& operator=(const CMIDIOutDevice&) = delete;

    void OpenPort(UINT deviceIndex);
    void ClosePort();
    void SendShort(DWORD word);
    void SendLong(const BYTE* bytes, DWORD byteCount);
    bool IsPortOpen() const { return state.load() == Open; }
    // Long messages handed to the platform and not yet released.
    size_t PendingCount() { return pendingQueue.Size(); }

    static void QueryCaps(UINT deviceIndex, MIDIOUTCAPSA& caps);

private:
    static void CALLBACK OutputCallback(HMIDIOUT port, UINT message, DWORD_PTR instance,
                                        DWORD_PTR param1, DWORD_PTR param2);
    static DWORD WINAPI OutputWorker(LPVOID device);
    void StopWorker();
    bool WaitForCompletions(DWORD milliseconds);

    HMIDIOUT portHandle;
    HANDLE signalEvent;
    HANDLE workerThread;
    OutBufferQueue pendingQueue;
    std::atomic<int> state;
    // Long messages the platform accepted and those it reported done: at close the device
    // waits until they agree before it releases any record.
    std::atomic<uint32_t> acceptedCount;
    std::atomic<uint32_t> completedCount;
};

} // namespace midi
