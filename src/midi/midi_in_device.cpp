#include "midi/midi_in_device.h"

#include <exception>
#include <new>

namespace midi {

namespace {

void ReportCloseFailure(const char* what) {
    char line[1025];
    wsprintfA(line, "Korvane: closing a MIDI input port: %.900s\n", what);
    OutputDebugStringA(line);
}

} // namespace

void InBufferRecord::Release(InBufferRecord* record) {
    midiInUnprepareHeader(record->port, &record->header, sizeof record->header);
    delete record;
}

CMIDIInDevice::CMIDIInDevice()
    : portHandle(nullptr), target(CallbackTarget::Create()), workerThread(nullptr) {
    if (target == nullptr)
        throw CMIDIInEventFailure();
}

CMIDIInDevice::~CMIDIInDevice() {
    // Nothing reaches the receiver from now on, whatever the platform still calls.
    target->receiver.store(nullptr);
    // A destructor that raised would end the Host's process. A port that will not close is
    // left to the platform, its callback reaching a target without a receiver.
    try {
        ClosePort();
    } catch (const std::exception& error) {
        ReportCloseFailure(error.what());
        CallbackTarget::LeaveToPlatform(target);
        return;
    }
    CallbackTarget::Retire(target);
}

void CMIDIInDevice::OpenPort(UINT deviceIndex) {
    ClosePort();
    const MMRESULT result =
        midiInOpen(&portHandle, deviceIndex, reinterpret_cast<DWORD_PTR>(&InputCallback),
                   reinterpret_cast<DWORD_PTR>(target), CALLBACK_FUNCTION);
    if (result != MMSYSERR_NOERROR)
        throw CMIDIInException(result);
    target->state.store(Open);
}

void CMIDIInDevice::ClosePort() {
    if (target->state.load() == Listening)
        StopListening();
    if (target->state.load() != Open)
        return;
    const MMRESULT result = midiInClose(portHandle);
    if (result != MMSYSERR_NOERROR)
        throw CMIDIInException(result);
    target->WaitForCallbacks();
    target->state.store(Closed);
}

void CMIDIInDevice::StartListening() {
    if (target->state.load() != Open)
        return;
    target->state.store(Listening); // before the worker starts, so that its loop runs
    workerThread = CreateThread(nullptr, 0, &InputWorker, this, 0, nullptr);
    if (workerThread == nullptr) {
        target->state.store(Open);
        throw CMIDIInThreadFailure();
    }
    const MMRESULT result = midiInStart(portHandle);
    if (result != MMSYSERR_NOERROR) {
        target->state.store(Open);
        EndWorker();
        throw CMIDIInException(result);
    }
}

void CMIDIInDevice::StopListening() {
    if (target->state.load() != Listening)
        return;
    target->state.store(Open); // before the signal, so that the woken worker sees it
    EndWorker();
    midiInReset(portHandle);
    target->WaitForCallbacks();
    bufferQueue.ReleaseAll();
}

void CMIDIInDevice::EndWorker() {
    SetEvent(target->signalEvent);
    WaitForSingleObject(workerThread, INFINITE);
    CloseHandle(workerThread);
    workerThread = nullptr;
}

CMIDIReceiver* CMIDIInDevice::AttachReceiver(CMIDIReceiver* newReceiver) {
    return target->receiver.exchange(newReceiver);
}

void CMIDIInDevice::QueryCaps(UINT deviceIndex, MIDIINCAPSA& caps) {
    const MMRESULT result = midiInGetDevCapsA(deviceIndex, &caps, sizeof caps);
    if (result != MMSYSERR_NOERROR)
        throw CMIDIInException(result);
}

void CALLBACK CMIDIInDevice::InputCallback(HMIDIIN, UINT message, DWORD_PTR instance,
                                           DWORD_PTR param1, DWORD_PTR param2) {
    auto* target = reinterpret_cast<CallbackTarget*>(instance);
    const CallbackTarget::InProgress inProgress(*target);
    Deliver(*target, message, param1, param2);
}

void CMIDIInDevice::Deliver(CallbackTarget& target, UINT message, DWORD_PTR param1,
                            DWORD_PTR param2) {
    CMIDIReceiver* receiver = target.receiver.load();
    if (receiver == nullptr)
        return;
    const auto timeStamp = static_cast<DWORD>(param2);
    const auto* header = reinterpret_cast<const MIDIHDR*>(param1);
    switch (message) {
    case MIM_DATA:
        receiver->OnShortMsg(static_cast<DWORD>(param1), timeStamp);
        break;
    case MIM_ERROR:
        receiver->OnShortMsgError(static_cast<DWORD>(param1), timeStamp);
        break;
    case MIM_LONGDATA:
    case MIM_LONGERROR:
        if (target.state.load() != Listening || header == nullptr)
            break;
        if (message == MIM_LONGDATA)
            receiver->OnLongMsg(reinterpret_cast<const BYTE*>(header->lpData),
                                header->dwBytesRecorded, timeStamp);
        else
            receiver->OnLongMsgError(reinterpret_cast<const BYTE*>(header->lpData),
                                     header->dwBytesRecorded, timeStamp);
        SetEvent(target.signalEvent); // the worker releases one record
        break;
    default:
        break; // port opened, port closed
    }
}

DWORD WINAPI CMIDIInDevice::InputWorker(LPVOID parameter) {
    auto* device = static_cast<CMIDIInDevice*>(parameter);
    while (device->target->state.load() == Listening) {
        WaitForSingleObject(device->target->signalEvent, INFINITE);
        if (device->target->state.load() != Listening)
            break;
        device->bufferQueue.ReleaseFront();
    }
    return 0;
}

} // namespace midi
