// Heap allocations counted by the benchmark binary's replacement of the global operator new:
// on the calling thread (what a measured call allocates itself) and in the whole process
// (what a path that crosses threads allocates).
#pragma once

#include <cstdint>

uint64_t ThreadAllocations();
uint64_t ProcessAllocations();
