// Surface input: every short message is unpacked, counted and offered to the touch strip, the
// button bank and the fader-and-encoder pages, in that order.
#include "controller/korvane.h"

#include "common/firewall.h"
#include "midi/midi_msg.h"

void Korvane::OnShortMsg(DWORD word, DWORD) {
    const InputGate::Pass pass(inputGate);
    if (!pass)
        return; // the controller is closing
    RunGuarded("handling surface input", [this, word] {
        LockGuard guard(lock);
        DispatchShortMessage(word);
    });
}

void Korvane::DispatchShortMessage(DWORD word) {
    BYTE command = 0, channel = 0, data1 = 0, data2 = 0;
    midi::CShortMsg::Unpack(word, command, channel, data1, data2);
    const uint8_t bytes[] = {static_cast<uint8_t>(command | channel), data1, data2};
    const uint32_t length = sizeof bytes;

    buttons.CountMessage();

    if (touchStrip.Dispatch(bytes, length))
        return;
    if (buttons.Dispatch(bytes, length))
        return;
    pages.Dispatch(bytes, length);
}

void Korvane::OnLongMsg(const BYTE*, DWORD, DWORD) {}

void Korvane::OnLongMsgError(const BYTE*, DWORD, DWORD) {}

void Korvane::OnShortMsgError(DWORD, DWORD) {}
