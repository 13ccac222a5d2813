// One MIDI output port of the platform. Short messages go straight to the platform; a
// system-exclusive message goes out through a buffer that stays pending until the platform
// reports it done, when the device's worker thread releases it.
#pragma once

#include <atomic>
#include <cstddef>

#include "common/critical_section.h"
#include "midi/buffer_queue.h"
#include "midi/callback_target.h"
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
    // Frees a record whose header was never prepared.
    static void Free(OutBufferRecord* record);
    // The platform has reported the buffer done (set by the port's callback).
    static bool IsDone(const OutBufferRecord* record) { return record->done.load(); }

    HMIDIOUT port;
    MIDIHDR header; // dwUser names the record, for the callback
    std::atomic<bool> done;
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
    // May run on two threads at once: the queue keeps the records in the order in which the
    // platform accepted their buffers.
    void SendLong(const BYTE* bytes, DWORD byteCount);
    bool IsPortOpen() const { return state.load() == Open; }
    // A send since the port opened was refused because the port's device is gone.
    bool DeviceGone() const { return deviceGone.load(); }
    // Long messages handed to the platform and not yet released.
    size_t PendingCount() { return pendingQueue.Size(); }

    static void QueryCaps(UINT deviceIndex, MIDIOUTCAPSA& caps);

private:
    static CallbackTarget* NewCallbackTarget();
    static void CALLBACK OutputCallback(HMIDIOUT port, UINT message, DWORD_PTR instance,
                                        DWORD_PTR param1, DWORD_PTR param2);
    static DWORD WINAPI OutputWorker(LPVOID device);
    // Raises the refusal of a send, noting first whether it says the device is gone.
    [[noreturn]] void Refuse(MMRESULT result);
    void StopWorker();
    bool WaitUntilAllDone(DWORD milliseconds);
    // Leaves the open port, the buffers it still holds and the callback's target to the
    // platform, so that nothing it may still touch is freed.
    void LeaveToPlatform(const char* why);

    HMIDIOUT portHandle;
    CallbackTarget* target; // null once left to a port that would not close
    HANDLE workerThread;
    OutBufferQueue pendingQueue;
    // Held from the platform's acceptance of a buffer until its record is queued.
    CriticalSection sendLock;
    std::atomic<int> state;
    std::atomic<bool> deviceGone{false};
};

} // namespace midi
