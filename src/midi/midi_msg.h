// The messages the module sends: a short message is one 32-bit word, a long message an owned
// copy of a complete system-exclusive message. Each sends itself through theOutputDevice.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace midi {

class CMIDIOutDevice;

// The device every message is sent through; while none is bound, sends are dropped. The
// device clears the binding when it is destroyed.
extern std::atomic<CMIDIOutDevice*> theOutputDevice;

class CMIDIMsg {
public:
    virtual ~CMIDIMsg() = default;
    virtual void Send() = 0;
    virtual DWORD ByteCount() const = 0;
    virtual const BYTE* Bytes() const = 0;
};

class CShortMsg : public CMIDIMsg {
public:
    CShortMsg() : word(0) {}
    // Only the low 8 bits of each argument count; command and channel are OR-ed whole, so a
    // caller may pass the complete status byte as command and 0 as channel.
    CShortMsg(unsigned command, unsigned channel, unsigned data1, unsigned data2)
        : word(Pack(command, channel, data1, data2)) {}

    void Assign(unsigned command, unsigned channel, unsigned data1, unsigned data2) {
        word = Pack(command, channel, data1, data2);
    }

    static DWORD Pack(unsigned command, unsigned channel, unsigned data1, unsigned data2) {
        return static_cast<DWORD>((command & 0xFFu) | (channel & 0xFFu) | ((data1 & 0xFFu) << 8) |
                                  ((data2 & 0xFFu) << 16));
    }
    static void Unpack(DWORD word, BYTE& command, BYTE& channel, BYTE& data1, BYTE& data2) {
        command = static_cast<BYTE>(word & 0xF0u);
        channel = static_cast<BYTE>(word & 0x0Fu);
        data1 = static_cast<BYTE>((word >> 8) & 0xFFu);
        data2 = static_cast<BYTE>((word >> 16) & 0xFFu);
    }

    void Send() override;
    DWORD ByteCount() const override { return 3; }
    // The word's storage: status, data1 and data2 are its first three bytes on every build
    // the module runs on (all little-endian).
    const BYTE* Bytes() const override { return reinterpret_cast<const BYTE*>(&word); }
    DWORD Word() const { return word; }

private:
    DWORD word;
};

class CLongMsg : public CMIDIMsg {
public:
    // Messages up to this size (a display line, the initialisation message) are kept inside
    // the object, so that building one on the stack needs no heap memory.
    static constexpr size_t kInlineBytes = 32;

    CLongMsg(const BYTE* bytes, int32_t byteCount);
    ~CLongMsg() override;
    CLongMsg(const CLongMsg&) = delete;
    CLongMsg& operator=(const CLongMsg&) = delete;

    // Replaces the message with a copy of the bytes, which may be the message's own; raises
    // std::bad_alloc without memory and then leaves the message as it was.
    void Assign(const BYTE* bytes, int32_t byteCount);

    void Send() override;
    DWORD ByteCount() const override { return length > 0 ? static_cast<DWORD>(length) : 0; }
    const BYTE* Bytes() const override { return buffer; }

private:
    BYTE* buffer; // inlineBytes, or a heap copy of a longer message
    int32_t length;
    BYTE inlineBytes[kInlineBytes];
};

} // namespace midi
