#include "midi/midi_in_device.h"

#include <exception>

namespace midi {

void InBufferRecord::Release(InBufferRecord* record) {
    midiInUnprepareHeader(record->port, &record->header, sizeof record->header);
    delete record;
}

CMIDIInDevice::CMIDIInDevice()
    : portHandle(nullptr), signalEvent(nullptr), workerThread(nullptr), receiver(nullptr),
      state(Closed) {
    signalEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (signalEvent == nullptr)
        throw CMIDIInEventFailure();
}

CMIDIInDevice::~CMIDIInDevice() {
    // A destructor that raised would end the Host's process: a failure to close is reported
    // and the port left to the platform.
    try {
        ClosePort();
    } catch (const std::exception& error) {
        char line[1025];
        wsprintfA(line, "Korvane: closing a MIDI input port: %.900s\n", error.what());
        OutputDebugStringA(line);
    }
    CloseHandle(signalEvent);
}

void CMIDIInDevice::OpenPort(UINT deviceIndex) {
    ClosePort();
    const MMRESULT result =
        midiInOpen(&portHandle, deviceIndex, reinterpret_cast<DWORD_PTR>(&InputCallback),
                   reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION);
    if (result != MMSYSERR_NOERROR)
        throw CMIDIInException(result);
    state.store(Open);
}

void CMIDIInDevice::ClosePort() {
    if (state.load() == Listening)
        StopListening();
    if (state.load() != Open)
        return;
    const MMRESULT result = midiInClose(portHandle);
    if (result != MMSYSERR_NOERROR)
        throw CMIDIInException(result);
    state.store(Closed);
}

void CMIDIInDevice::StartListening() {
    if (state.load() != Open)
        return;
    state.store(Listening); // before the worker starts, so that its loop runs
    workerThread = CreateThread(nullptr, 0, &InputWorker, this, 0, nullptr);
    if (workerThread == nullptr) {
        state.store(Open);
        throw CMIDIInThreadFailure();
    }
    const MMRESULT result = midiInStart(portHandle);
    if (result != MMSYSERR_NOERROR) {
        state.store(Open);
        EndWorker();
        throw CMIDIInException(result);
    }
}

void CMIDIInDevice::StopListening() {
    if (state.load() != Listening)
        return;
    state.store(Open); // before the signal, so that the woken worker sees it
    EndWorker();
    midiInReset(portHandle);
    bufferQueue.ReleaseAll();
}

void CMIDIInDevice::EndWorker() {
    SetEvent(signalEvent);
    WaitForSingleObject(workerThread, INFINITE);
    CloseHandle(workerThread);
    workerThread = nullptr;
}

CMIDIReceiver* CMIDIInDevice::AttachReceiver(CMIDIReceiver* newReceiver) {
    return receiver.exchange(newReceiver);
}

void CMIDIInDevice::QueryCaps(UINT deviceIndex, MIDIINCAPSA& caps) {
    const MMRESULT result = midiInGetDevCapsA(deviceIndex, &caps, sizeof caps);
    if (result != MMSYSERR_NOERROR)
        throw CMIDIInException(result);
}

void CALLBACK CMIDIInDevice::InputCallback(HMIDIIN, UINT message, DWORD_PTR instance,
                                           DWORD_PTR param1, DWORD_PTR param2) {
    auto* device = reinterpret_cast<CMIDIInDevice*>(instance);
    CMIDIReceiver* target = device->receiver.load();
    if (target == nullptr)
        return;
    const auto timeStamp = static_cast<DWORD>(param2);
    const auto* header = reinterpret_cast<const MIDIHDR*>(param1);
    switch (message) {
    case MIM_DATA:
        target->OnShortMsg(static_cast<DWORD>(param1), timeStamp);
        break;
    case MIM_ERROR:
        target->OnShortMsgError(static_cast<DWORD>(param1), timeStamp);
        break;
    case MIM_LONGDATA:
    case MIM_LONGERROR:
        if (device->state.load() != Listening || header == nullptr)
            break;
        if (message == MIM_LONGDATA)
            target->OnLongMsg(reinterpret_cast<const BYTE*>(header->lpData),
                              header->dwBytesRecorded, timeStamp);
        else
            target->OnLongMsgError(reinterpret_cast<const BYTE*>(header->lpData),
                                   header->dwBytesRecorded, timeStamp);
        SetEvent(device->signalEvent); // the worker releases one record
        break;
    default:
        break; // port opened, port closed
    }
}

DWORD WINAPI CMIDIInDevice::InputWorker(LPVOID parameter) {
    auto* device = static_cast<CMIDIInDevice*>(parameter);
    while (device->state.load() == Listening) {
        WaitForSingleObject(device->signalEvent, INFINITE);
        if (device->state.load() != Listening)
            break;
        device->bufferQueue.ReleaseFront();
    }
    return 0;
}

} // namespace midi
