// The fuzzer's bytes, read from the front one field at a time. Past the end every read gives
// zeros, so that any input, however short, is a complete session.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class FuzzInput {
public:
    FuzzInput(const uint8_t* bytes, size_t size) : data(bytes), remaining(size) {}

    bool Empty() const { return remaining == 0; }

    uint8_t Byte() {
        uint8_t value = 0;
        Take(&value, 1);
        return value;
    }

    uint16_t Word16() {
        uint8_t bytes[2] = {};
        Take(bytes, sizeof bytes);
        return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
    }

    uint32_t Word32() {
        uint8_t bytes[4] = {};
        Take(bytes, sizeof bytes);
        return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
               static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    }

    // Copies up to `count` bytes into `into` and zero-fills the rest; returns the bytes copied.
    size_t Take(void* into, size_t count) {
        const size_t copied = count < remaining ? count : remaining;
        std::memcpy(into, data, copied);
        std::memset(static_cast<uint8_t*>(into) + copied, 0, count - copied);
        data += copied;
        remaining -= copied;
        return copied;
    }

    template <typename T, size_t N>
    T Pick(const T (&choices)[N]) {
        return choices[Byte() % N];
    }

private:
    const uint8_t* data;
    size_t remaining;
};
