// A record the plug-in reads or writes, placed so that it ends where an inaccessible page
// begins: an access past its end ends the test program with an access violation instead of
// passing unnoticed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class GuardedBytes {
public:
    // `size` bytes, each set to `fill`; data() is null when the pages cannot be had.
    GuardedBytes(size_t size, uint8_t fill);
    ~GuardedBytes();
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    uint8_t* data() const { return start; }
    size_t size() const { return length; }
    std::vector<uint8_t> Bytes() const;

private:
    void* region;
    uint8_t* start;
    size_t length;
};
