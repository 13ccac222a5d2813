// The Host the benchmarks run against, one per process: a behaviour of the fake Host that
// answers every read from fixed per-track tables and counts every call, and nothing else, so
// that a measurement is the module's own cost. It never allocates and never blocks.
#pragma once

#include <cstdint>

#include "host/host_api.h"

namespace bench_host {

struct CallCounts {
    uint64_t reads;    // GetParameter
    uint64_t sets;     // SetParameter
    uint64_t commands; // SendCommand
};

// The callback table to open the controller with; its command list holds the names the
// module looks up when it opens.
HostCallbackTable Table();
// Every track back to level 0 dB, centred pan, no states, no EQ, named "Track <n>".
void Reset();

void SetLevel(int32_t track, double levelDb);
void SetPan(int32_t track, int32_t pan);
void SetName(int32_t track, const char* name);
void SetSolo(int32_t track, bool soloed);

CallCounts Counts();
// While on, each SetParameter notes the steady-clock time (which costs the Host a clock read,
// so it is off unless a benchmark times the path to the Host); LastSetNanos is the latest, in
// nanoseconds.
void StampSets(bool on);
int64_t LastSetNanos();

} // namespace bench_host
