// Every form of the global operator new and delete, replaced for the whole benchmark process
// (the module, the platform stand-in and the benchmark library alike): each allocation is
// counted, then served by malloc.
#include "allocation_counter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

// What malloc's memory is aligned for.
constexpr std::size_t kMallocAlignment = alignof(std::max_align_t);

thread_local uint64_t threadCount = 0;
std::atomic<uint64_t> processCount{0};

void* Allocate(std::size_t size, std::size_t alignment) {
    ++threadCount;
    processCount.fetch_add(1, std::memory_order_relaxed);
    if (size == 0)
        size = 1;
    if (alignment <= kMallocAlignment)
        return std::malloc(size);
    // aligned_alloc wants a size that is a multiple of the alignment.
    return std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
}

void* AllocateOrThrow(std::size_t size, std::size_t alignment) {
    if (void* memory = Allocate(size, alignment))
        return memory;
    throw std::bad_alloc();
}

} // namespace

uint64_t ThreadAllocations() {
    return threadCount;
}

uint64_t ProcessAllocations() {
    return processCount.load(std::memory_order_relaxed);
}

void* operator new(std::size_t size) {
    return AllocateOrThrow(size, kMallocAlignment);
}
void* operator new[](std::size_t size) {
    return AllocateOrThrow(size, kMallocAlignment);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size, kMallocAlignment);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size, kMallocAlignment);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return Allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return Allocate(size, static_cast<std::size_t>(alignment));
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
