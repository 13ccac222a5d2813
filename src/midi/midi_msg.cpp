#include "midi/midi_msg.h"

#include <cstring>

#include "midi/midi_out_device.h"

namespace midi {

std::atomic<CMIDIOutDevice*> theOutputDevice{nullptr};

void CShortMsg::Send() {
    if (CMIDIOutDevice* device = theOutputDevice.load())
        device->SendShort(word);
}

CLongMsg::CLongMsg(const BYTE* bytes, int32_t byteCount) : buffer(nullptr), length(0) {
    Assign(bytes, byteCount);
}

CLongMsg::~CLongMsg() {
    delete[] buffer;
}

void CLongMsg::Assign(const BYTE* bytes, int32_t byteCount) {
    delete[] buffer;
    buffer = nullptr;
    length = 0;
    // No source means nothing to copy: the message is empty rather than uninitialised.
    const size_t size = bytes != nullptr && byteCount > 0 ? static_cast<size_t>(byteCount) : 0;
    buffer = new BYTE[size > 0 ? size : 1];
    length = static_cast<int32_t>(size);
    std::memcpy(buffer, bytes != nullptr ? bytes : buffer, size);
}

void CLongMsg::Send() {
    if (CMIDIOutDevice* device = theOutputDevice.load())
        device->SendLong(buffer, ByteCount());
}

} // namespace midi
