#include "midi/midi_out_device.h"

#include <cstring>
#include <new>

#include "midi/midi_msg.h"

namespace midi {

namespace {

// How long ClosePort waits for the platform to finish the buffers it holds. Far longer than
// any display traffic takes at MIDI speed; only a stuck port reaches it, and only then is the
// port reset (which also sends the surface a note-off for every note and channel).
constexpr DWORD kCloseWaitMs = 2000;
constexpr DWORD kCloseWaitStepMs = 10;

void ReportCloseFailure(const char* what) {
    char line[1025];
    wsprintfA(line, "Korvane: closing a MIDI output port: %.900s\n", what);
    OutputDebugStringA(line);
}

} // namespace

OutBufferRecord* OutBufferRecord::Create(HMIDIOUT port, const BYTE* bytes, DWORD byteCount) {
    auto* record = new (std::nothrow) OutBufferRecord();
    if (record == nullptr)
        return nullptr;
    BYTE* storage = record->inlineBytes;
    if (byteCount > kInlineBytes) {
        record->heapBytes = new (std::nothrow) BYTE[byteCount];
        if (record->heapBytes == nullptr) {
            delete record;
            return nullptr;
        }
        storage = record->heapBytes;
    }
    std::memcpy(storage, bytes, byteCount);
    record->port = port;
    record->header.lpData = reinterpret_cast<LPSTR>(storage);
    record->header.dwBufferLength = byteCount;
    record->header.dwFlags = 0;
    return record;
}

void OutBufferRecord::Release(OutBufferRecord* record) {
    midiOutUnprepareHeader(record->port, &record->header, sizeof record->header);
    delete[] record->heapBytes;
    delete record;
}

CMIDIOutDevice::CMIDIOutDevice()
    : portHandle(nullptr), signalEvent(nullptr), workerThread(nullptr), state(Closed),
      acceptedCount(0), completedCount(0) {
    signalEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (signalEvent == nullptr)
        throw CMIDIOutEventFailure();
}

CMIDIOutDevice::~CMIDIOutDevice() {
    ClosePort();
    // No send may ever reach a destroyed device: the next controller binds its own.
    CMIDIOutDevice* self = this;
    theOutputDevice.compare_exchange_strong(self, nullptr);
    CloseHandle(signalEvent);
}

void CMIDIOutDevice::OpenPort(UINT deviceIndex) {
    ClosePort();
    const MMRESULT result =
        midiOutOpen(&portHandle, deviceIndex, reinterpret_cast<DWORD_PTR>(&OutputCallback),
                    reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION);
    if (result != MMSYSERR_NOERROR)
        throw CMIDIOutException(result);
    acceptedCount.store(0);
    completedCount.store(0);
    state.store(Open);
    workerThread = CreateThread(nullptr, 0, &OutputWorker, this, 0, nullptr);
    if (workerThread == nullptr) {
        state.store(Closed);
        midiOutClose(portHandle);
        throw CMIDIOutThreadFailure();
    }
}

void CMIDIOutDevice::ClosePort() {
    if (state.load() != Open)
        return;
    StopWorker();
    // The platform may still hold buffers it has not reported done; they are released only
    // once it has, or after a reset when it never does.
    if (!WaitForCompletions(kCloseWaitMs)) {
        ReportCloseFailure("buffers still pending, resetting the port");
        midiOutReset(portHandle);
        WaitForCompletions(kCloseWaitMs);
    }
    pendingQueue.ReleaseAll();
    midiOutClose(portHandle);
}

void CMIDIOutDevice::StopWorker() {
    state.store(Closed);
    SetEvent(signalEvent);
    WaitForSingleObject(workerThread, INFINITE);
    CloseHandle(workerThread);
    workerThread = nullptr;
}

bool CMIDIOutDevice::WaitForCompletions(DWORD milliseconds) {
    // The callback signals the event on every completion, so each wait ends early when one
    // comes; the steps bound the wait in real time whatever the clock does.
    for (DWORD waited = 0; completedCount.load() != acceptedCount.load();
         waited += kCloseWaitStepMs) {
        if (waited >= milliseconds)
            return false;
        WaitForSingleObject(signalEvent, kCloseWaitStepMs);
    }
    return true;
}

void CMIDIOutDevice::SendShort(DWORD word) {
    if (state.load() != Open)
        return;
    const MMRESULT result = midiOutShortMsg(portHandle, word);
    if (result != MMSYSERR_NOERROR)
        throw CMIDIOutException(result);
}

void CMIDIOutDevice::SendLong(const BYTE* bytes, DWORD byteCount) {
    if (state.load() != Open || bytes == nullptr || byteCount == 0)
        return;
    OutBufferRecord* record = OutBufferRecord::Create(portHandle, bytes, byteCount);
    if (record == nullptr)
        throw CMIDIOutMemFailure();
    MMRESULT result = midiOutPrepareHeader(portHandle, &record->header, sizeof record->header);
    if (result != MMSYSERR_NOERROR) {
        delete[] record->heapBytes;
        delete record;
        throw CMIDIOutException(result);
    }
    try {
        pendingQueue.Reserve();
    } catch (const std::bad_alloc&) {
        OutBufferRecord::Release(record);
        throw CMIDIOutMemFailure();
    }
    acceptedCount.fetch_add(1);
    result = midiOutLongMsg(portHandle, &record->header, sizeof record->header);
    if (result != MMSYSERR_NOERROR) {
        acceptedCount.fetch_sub(1);
        pendingQueue.CancelReservation();
        OutBufferRecord::Release(record);
        throw CMIDIOutException(result);
    }
    pendingQueue.Append(record);
    // The platform may have reported the buffer done before it was queued; the worker then
    // releases it now rather than at the next completion.
    SetEvent(signalEvent);
}

void CMIDIOutDevice::QueryCaps(UINT deviceIndex, MIDIOUTCAPSA& caps) {
    const MMRESULT result = midiOutGetDevCapsA(deviceIndex, &caps, sizeof caps);
    if (result != MMSYSERR_NOERROR)
        throw CMIDIOutException(result);
}

void CALLBACK CMIDIOutDevice::OutputCallback(HMIDIOUT, UINT message, DWORD_PTR instance, DWORD_PTR,
                                             DWORD_PTR) {
    // Runs on the platform's thread, where only a few system calls are allowed: it counts
    // the completion and wakes the worker, nothing else.
    if (message != MOM_DONE)
        return;
    auto* device = reinterpret_cast<CMIDIOutDevice*>(instance);
    device->completedCount.fetch_add(1);
    SetEvent(device->signalEvent);
}

// Releases one record per completion, oldest first (the platform finishes buffers in the
// order it accepted them). Several completions may arrive for one wake-up; a completion whose
// record is not queued yet is caught up with when the sender queues it.
DWORD WINAPI CMIDIOutDevice::OutputWorker(LPVOID parameter) {
    auto* device = static_cast<CMIDIOutDevice*>(parameter);
    uint32_t released = 0;
    while (device->state.load() == Open) {
        WaitForSingleObject(device->signalEvent, INFINITE);
        if (device->state.load() != Open)
            break;
        while (released != device->completedCount.load() && device->pendingQueue.ReleaseFront())
            ++released;
    }
    return 0;
}

} // namespace midi
