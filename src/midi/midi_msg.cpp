#include "midi/midi_msg.h"

#include <cstring>

#include "midi/midi_out_device.h"

namespace midi {

std::atomic<CMIDIOutDevice*> theOutputDevice{nullptr};

void CShortMsg::Send() {
    if (CMIDIOutDevice* device = theOutputDevice.load())
        device->SendShort(word);
}

CLongMsg::CLongMsg(const BYTE* bytes, int32_t byteCount)
    : buffer(inlineBytes), length(0), inlineBytes() {
    Assign(bytes, byteCount);
}

CLongMsg::~CLongMsg() {
    if (buffer != inlineBytes)
        delete[] buffer;
}

void CLongMsg::Assign(const BYTE* bytes, int32_t byteCount) {
    // No source means nothing to copy: the message is empty rather than uninitialised.
    const size_t size = bytes != nullptr && byteCount > 0 ? static_cast<size_t>(byteCount) : 0;
    // The new storage is filled before the old one goes, as the bytes may lie in either.
    BYTE* storage = size > kInlineBytes ? new BYTE[size] : inlineBytes;
    if (size > 0)
        std::memmove(storage, bytes, size);
    if (buffer != inlineBytes)
        delete[] buffer;
    buffer = storage;
    length = static_cast<int32_t>(size);
}

void CLongMsg::Send() {
    if (CMIDIOutDevice* device = theOutputDevice.load())
        device->SendLong(buffer, ByteCount());
}

} // namespace midi
