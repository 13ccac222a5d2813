#include "guarded_bytes.h"

#include <cstring>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {
size_t PageSize() {
    SYSTEM_INFO system = {};
    GetSystemInfo(&system);
    return system.dwPageSize;
}
} // namespace

GuardedBytes::GuardedBytes(size_t size, uint8_t fill) : region(nullptr), start(nullptr), length(0) {
    const size_t page = PageSize();
    if (size > page)
        return;
    region = VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (region == nullptr)
        return;
    auto* base = static_cast<uint8_t*>(region);
    DWORD previous = 0;
    if (!VirtualProtect(base + page, page, PAGE_NOACCESS, &previous))
        return;
    start = base + page - size;
    length = size;
    std::memset(start, fill, size);
}

GuardedBytes::~GuardedBytes() {
    if (region != nullptr)
        VirtualFree(region, 0, MEM_RELEASE);
}

std::vector<uint8_t> GuardedBytes::Bytes() const {
    return std::vector<uint8_t>(start, start + length);
}
