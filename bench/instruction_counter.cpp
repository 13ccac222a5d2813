#include "instruction_counter.h"

#include <linux/perf_event.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr int kOverheadSamples = 64;

int OpenInstructionCounter() {
    perf_event_attr attributes;
    std::memset(&attributes, 0, sizeof attributes);
    attributes.type = PERF_TYPE_HARDWARE;
    attributes.size = sizeof attributes;
    attributes.config = PERF_COUNT_HW_INSTRUCTIONS;
    attributes.exclude_kernel = 1;
    attributes.exclude_hv = 1;
    // This thread, on whichever processor it runs.
    return static_cast<int>(syscall(SYS_perf_event_open, &attributes, 0, -1, -1, 0));
}

} // namespace

InstructionCounter::InstructionCounter() : descriptor(OpenInstructionCounter()), overhead(0) {
    if (!Available())
        return;
    uint64_t least = std::numeric_limits<uint64_t>::max();
    for (int sample = 0; sample < kOverheadSamples; ++sample) {
        const uint64_t before = Read();
        least = std::min(least, Read() - before);
    }
    overhead = least;
}

InstructionCounter::~InstructionCounter() {
    if (Available())
        close(descriptor);
}

uint64_t InstructionCounter::Read() const {
    uint64_t count = 0;
    if (Available() && read(descriptor, &count, sizeof count) != static_cast<ssize_t>(sizeof count))
        return 0;
    return count;
}
