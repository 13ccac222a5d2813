// The interface through which the input device hands every incoming message to its receiver,
// on the platform's MIDI callback thread. Receivers must not raise.
#pragma once

#include "platform/platform.h"

namespace midi {

class CMIDIReceiver {
public:
    virtual ~CMIDIReceiver() = default;
    // A system-exclusive input buffer has been filled.
    virtual void OnLongMsg(const BYTE* bytes, DWORD byteCount, DWORD timeStamp) = 0;
    // A short message has arrived: status in bits 0-7, data1 in 8-15, data2 in 16-23.
    virtual void OnShortMsg(DWORD word, DWORD timeStamp) = 0;
    virtual void OnLongMsgError(const BYTE* bytes, DWORD byteCount, DWORD timeStamp) = 0;
    virtual void OnShortMsgError(DWORD word, DWORD timeStamp) = 0;
};

} // namespace midi
