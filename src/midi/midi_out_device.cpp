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
    record->header.dwUser = reinterpret_cast<DWORD_PTR>(record);
    return record;
}

void OutBufferRecord::Release(OutBufferRecord* record) {
    midiOutUnprepareHeader(record->port, &record->header, sizeof record->header);
    Free(record);
}

void OutBufferRecord::Free(OutBufferRecord* record) {
    delete[] record->heapBytes;
    delete record;
}

CallbackTarget* CMIDIOutDevice::NewCallbackTarget() {
    CallbackTarget* created = CallbackTarget::Create();
    if (created == nullptr)
        throw CMIDIOutEventFailure();
    return created;
}

CMIDIOutDevice::CMIDIOutDevice()
    : portHandle(nullptr), target(NewCallbackTarget()), workerThread(nullptr), state(Closed) {}

CMIDIOutDevice::~CMIDIOutDevice() {
    ClosePort();
    // No send may ever reach a destroyed device: the next controller binds its own.
    CMIDIOutDevice* self = this;
    theOutputDevice.compare_exchange_strong(self, nullptr);
    if (target != nullptr)
        CallbackTarget::Retire(target);
}

void CMIDIOutDevice::OpenPort(UINT deviceIndex) {
    ClosePort();
    deviceGone.store(false);
    if (target == nullptr)
        target = NewCallbackTarget(); // the last one was left to a port that would not close
    const MMRESULT result =
        midiOutOpen(&portHandle, deviceIndex, reinterpret_cast<DWORD_PTR>(&OutputCallback),
                    reinterpret_cast<DWORD_PTR>(target), CALLBACK_FUNCTION);
    if (result != MMSYSERR_NOERROR)
        throw CMIDIOutException(result);
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
    // once it has. A port that never finishes is reset as a last resort.
    if (!WaitUntilAllDone(kCloseWaitMs)) {
        ReportCloseFailure("buffers still pending, resetting the port");
        if (midiOutReset(portHandle) == MMSYSERR_NOERROR)
            WaitUntilAllDone(kCloseWaitMs);
    }
    pendingQueue.ReleaseDone();
    if (pendingQueue.Size() != 0) {
        LeaveToPlatform("the port never finished some buffers; they are left to it");
        return;
    }
    const MMRESULT result = midiOutClose(portHandle);
    if (result != MMSYSERR_NOERROR) {
        LeaveToPlatform(CMIDIOutException(result).what());
        return;
    }
    target->WaitForCallbacks();
}

void CMIDIOutDevice::LeaveToPlatform(const char* why) {
    ReportCloseFailure(why);
    pendingQueue.Abandon([](OutBufferRecord* record) { KeepForPlatform(record); });
    CallbackTarget::LeaveToPlatform(target);
    target = nullptr;
}

void CMIDIOutDevice::StopWorker() {
    state.store(Closed);
    SetEvent(target->signalEvent);
    WaitForSingleObject(workerThread, INFINITE);
    CloseHandle(workerThread);
    workerThread = nullptr;
}

bool CMIDIOutDevice::WaitUntilAllDone(DWORD milliseconds) {
    // The callback signals the event on every completion, so each wait ends early when one
    // comes; the steps bound the wait in real time whatever the clock does.
    for (DWORD waited = 0; !pendingQueue.AllDone(); waited += kCloseWaitStepMs) {
        if (waited >= milliseconds)
            return false;
        WaitForSingleObject(target->signalEvent, kCloseWaitStepMs);
    }
    return true;
}

void CMIDIOutDevice::SendShort(DWORD word) {
    if (state.load() != Open)
        return;
    const MMRESULT result = midiOutShortMsg(portHandle, word);
    if (result != MMSYSERR_NOERROR)
        Refuse(result);
}

void CMIDIOutDevice::Refuse(MMRESULT result) {
    const CMIDIOutException refusal(result);
    if (refusal.DeviceGone())
        deviceGone.store(true);
    throw refusal;
}

void CMIDIOutDevice::SendLong(const BYTE* bytes, DWORD byteCount) {
    if (state.load() != Open || bytes == nullptr || byteCount == 0)
        return;
    OutBufferRecord* record = OutBufferRecord::Create(portHandle, bytes, byteCount);
    if (record == nullptr)
        throw CMIDIOutMemFailure();
    MMRESULT result = midiOutPrepareHeader(portHandle, &record->header, sizeof record->header);
    if (result != MMSYSERR_NOERROR) {
        OutBufferRecord::Free(record);
        Refuse(result);
    }
    try {
        pendingQueue.Reserve();
    } catch (const std::bad_alloc&) {
        OutBufferRecord::Release(record);
        throw CMIDIOutMemFailure();
    }
    // Another thread's send may be accepted between this one's acceptance and its queueing;
    // the lock keeps the queue in the platform's order, which is the order buffers finish in.
    SectionGuard guard(sendLock);
    result = midiOutLongMsg(portHandle, &record->header, sizeof record->header);
    if (result != MMSYSERR_NOERROR) {
        pendingQueue.CancelReservation();
        OutBufferRecord::Release(record);
        Refuse(result);
    }
    pendingQueue.Append(record);
    // The platform may have reported the buffer done before it was queued, when the worker
    // found nothing to release: it is released here (this is never a MIDI callback, where a
    // header may not be unprepared) rather than at the next completion.
    pendingQueue.ReleaseDone();
}

void CMIDIOutDevice::QueryCaps(UINT deviceIndex, MIDIOUTCAPSA& caps) {
    const MMRESULT result = midiOutGetDevCapsA(deviceIndex, &caps, sizeof caps);
    if (result != MMSYSERR_NOERROR)
        throw CMIDIOutException(result);
}

void CALLBACK CMIDIOutDevice::OutputCallback(HMIDIOUT, UINT message, DWORD_PTR instance,
                                             DWORD_PTR param1, DWORD_PTR) {
    // Runs on the platform's thread, where only a few system calls are allowed: it marks the
    // buffer done and wakes the worker, nothing else.
    auto* target = reinterpret_cast<CallbackTarget*>(instance);
    const CallbackTarget::InProgress inProgress(*target);
    if (message != MOM_DONE)
        return;
    const auto* header = reinterpret_cast<const MIDIHDR*>(param1);
    if (header != nullptr && header->dwUser != 0)
        reinterpret_cast<OutBufferRecord*>(header->dwUser)->done.store(true);
    SetEvent(target->signalEvent);
}

// Releases the records the platform has reported done, oldest first, and never one it still
// holds: they finish in the order they were accepted, which is the queue's order.
DWORD WINAPI CMIDIOutDevice::OutputWorker(LPVOID parameter) {
    auto* device = static_cast<CMIDIOutDevice*>(parameter);
    while (device->state.load() == Open) {
        WaitForSingleObject(device->target->signalEvent, INFINITE);
        if (device->state.load() != Open)
            break;
        device->pendingQueue.ReleaseDone();
    }
    return 0;
}

} // namespace midi
