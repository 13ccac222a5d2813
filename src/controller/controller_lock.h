// The controller's one recursive lock, and the rule by which the threads take it.
//
// Three kinds of thread enter the controller: the platform's MIDI thread with surface input,
// the Host's thread (or threads) with notifications and the refresh timer, and the Host's
// thread again to open and close it. The lock serialises them, so that no member is ever read
// half-written. Surface input takes it and holds it while its gesture calls the Host; that is
// where a Host can hang: a Host may hold its own lock while it notifies the plug-in and take
// that lock inside the calls the plug-in makes, or run a call from another thread on its own
// thread only while that thread pumps its messages. A Host thread that then waited for the
// controller's lock would wait for the MIDI thread, which waits for the Host thread.
//
// So the Host's threads never wait for this lock while the MIDI thread may hold it:
// - a notification only tries it; when surface input holds it, the notification is queued
//   (PendingUpdates) and handled, in order, by the next Host-thread entry that gets the lock,
//   before anything that comes after it;
// - a timer tick only tries it; a tick that finds it taken is skipped (the next one follows
//   within 120 ms and catches up);
// - the open takes it before input can start, and the close only after it has shut the input
//   gate and seen the last gesture leave (InputGate), so neither can meet the MIDI thread here.
// The MIDI thread takes it without condition: the Host's threads never hold it while they wait
// for anything the MIDI thread holds (they hold it while they call the Host, which the MIDI
// thread at that moment is not inside, as it is waiting here).
#pragma once

#include "common/critical_section.h"

using ControllerLock = CriticalSection;
using LockGuard = SectionGuard;
using TryLockGuard = TrySectionGuard;
