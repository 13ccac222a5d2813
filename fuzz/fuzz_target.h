// The entry point that libFuzzer, and the corpus replay of the builds without it, call once
// per input.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
