// The far side of the stand-in: what a test or the simulator uses to play the machine around
// the module (its clock, its debugger, its registry file, the user in front of a dialog).
//
// The virtual MIDI bus has a far side of its own, in midi_bus.h, because it also exists as a
// replacement winmm.dll for the Windows tests.
#pragma once

#include "windows_api.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---- Clock ---------------------------------------------------------------------------------

// From now on GetTickCount returns a test clock that starts at `start` and moves only when a
// test moves it. Timers follow it: a thread pumping its messages sees WM_TIMER once the test
// clock has passed a timer's due time.
STANDIN_API void StandinUseTestClock(DWORD start);
// Moves the test clock forward by `milliseconds` (wrapping as the real tick count does) and
// wakes every thread waiting in GetMessageA.
STANDIN_API void StandinAdvanceClock(DWORD milliseconds);
// Goes back to the real millisecond clock.
STANDIN_API void StandinUseRealClock(void);

// ---- Threads ------------------------------------------------------------------------------

// While non-zero, the threads that CreateThread starts on the calling thread are fibers of it,
// for deterministic single-threaded runs: each runs until it waits for something that is not
// signalled, and they run whenever the calling thread waits. A wait that none of them can end
// returns WAIT_TIMEOUT at once (time passes at once), and one without a time-out ends the
// process (a deadlock). Under the thread sanitizer threads stay threads. Zero ends it; fibers
// still waiting then never run again.
STANDIN_API void StandinRunThreadsHere(int on);

// ---- Debugger output -----------------------------------------------------------------------

// Receives every OutputDebugStringA text, on the thread that wrote it. A sink of null ends the
// capture. Independently, the environment variable KORVANE_DEBUG_STDERR=1 copies every text to
// standard error.
typedef void (*StandinDebugSink)(const char* text, void* context);
STANDIN_API void StandinSetDebugSink(StandinDebugSink sink, void* context);

// ---- Registry ------------------------------------------------------------------------------

// The registry lives in a file: the path named by KORVANE_REGISTRY, or
// $XDG_CONFIG_HOME/korvane/registry (~/.config/korvane/registry without XDG_CONFIG_HOME).
// Every change rewrites the file atomically. These calls switch the store for tests.
STANDIN_API void StandinRegistryUseFile(const char* path);
STANDIN_API void StandinRegistryUseMemory(void);
// Forgets every key and value of the current store (and empties its file).
STANDIN_API void StandinRegistryClear(void);

#ifdef __cplusplus
}
#endif
