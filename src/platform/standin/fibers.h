// Threads as fibers of one thread, for deterministic single-threaded runs: the thread that
// turns it on runs the routines that CreateThread starts there itself, each until it waits for
// something that is not signalled, and lets them run whenever it waits. Not part of the
// stand-in's API (the far side turns it on through StandinRunThreadsHere).
#pragma once

#include <functional>

#include "internal.h"

namespace standin {

// True when waits on the calling thread (or one of its fibers) are cooperative.
bool Cooperative();
// Starts `routine` as a fiber of the cooperative thread, with `id` as its thread id; it first
// runs at that thread's next wait. False when the fiber cannot be made.
bool StartFiber(DWORD id, std::function<void()> routine);
// A wait on an object by the cooperative thread or one of its fibers. A fiber waits until the
// object is signalled while the others run; the thread runs its fibers, and a wait that none
// of them can end returns WAIT_TIMEOUT at once (or ends the process when it has no time-out:
// nothing could ever end it).
DWORD CooperativeWait(KernelObject& object, DWORD milliseconds);
// Runs every fiber that can go on, until none can.
void RunFibers();

} // namespace standin
