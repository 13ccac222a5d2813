// The far side of the virtual MIDI bus: what a test or the simulator uses to play the MIDI
// devices around the module (plug a surface in, press its controls, see what the module sent,
// make the driver slow or failing).
//
// Directions are the module's: an input port is one the module opens with midiInOpen (the far
// side injects into it), an output port one it opens with midiOutOpen (the far side sees what
// arrives). Ports are numbered per direction in the order they were added, as the platform's
// device indices; removing a port renumbers the ones after it, as unplugging a device does.
//
// Threads: injected input reaches the module's callback on the bus's delivery thread, never
// on the caller's. Long output buffers complete on the bus's completion thread (MHDR_DONE set,
// then MOM_DONE), in the order they were sent. StandinBusDeliverOnCaller switches both to the
// caller's thread, for deterministic single-threaded runs.
//
// Inside a MIDI callback the module may call only midiOutShortMsg and midiOutLongMsg, as the
// platform allows; any other winmm call there counts as misuse.
#pragma once

#ifdef _WIN32
#include "platform/standin/winmm_dll.h"
#else
#include "platform/standin/windows_api.h"
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define STANDIN_BUS_INPUT 0
#define STANDIN_BUS_OUTPUT 1

// ---- Ports --------------------------------------------------------------------------------------

// Plugs in a port of the given direction; `name` (cut to 31 characters) is what its capability
// record reports. Returns the port's number for the calls below, which stays the same while the
// port exists; 0 when the direction is unknown or the name is null.
STANDIN_API int StandinBusAddPort(int direction, const char* name);
// Unplugs a port. Handles open on it stay valid: sends and starts then fail with
// MMSYSERR_NODRIVER, queued input is dropped, and closing succeeds.
STANDIN_API void StandinBusRemovePort(int port);
// Back to an empty bus for the next test: every port removed, handles a test left open closed
// once their callbacks have returned (with the close notice to their callbacks), and counters,
// failures, error texts, delay, hold and sink cleared.
STANDIN_API void StandinBusReset(void);

// ---- Input: the far side plays the surface ------------------------------------------------------

// Queues a short message word (status in bits 0-7, data1 in 8-15, data2 in 16-23) for the
// module's input port; the delivery thread hands it over as MIM_DATA, in injection order, only
// while the port is started. A message that finds the port stopped or closed is dropped and
// counted.
STANDIN_API void StandinBusInject(int port, DWORD word);
// While non-zero, injected input is delivered at once on the injecting thread (a message
// injected from inside a callback right after that callback returns), and long buffers complete
// on the sending thread as soon as they are sent and not held, without any delay. Off, the bus's
// own threads deliver and complete again.
STANDIN_API void StandinBusDeliverOnCaller(int on);
// Waits, at most `milliseconds` of real time, until every injected message has been delivered
// or dropped and every long buffer that is not held has completed, with no callback in
// progress. Returns 0 on time-out. (midiInClose and midiOutClose do not wait for a callback in
// progress, as the platform does not promise to.)
STANDIN_API int StandinBusWaitIdle(DWORD milliseconds);

// ---- Output: what the module sent ---------------------------------------------------------------

// Receives every message the module sends, on the sending thread and without the bus's lock
// held (a sink may inject input): a short message as its word (bytes null, length 0), a long
// one as its bytes at the moment midiOutLongMsg accepts them (word 0). Null removes the sink.
typedef void (*StandinBusOutputSink)(int port, DWORD word, const BYTE* bytes, DWORD length,
                                     void* context);
STANDIN_API void StandinBusSetOutputSink(StandinBusOutputSink sink, void* context);

// ---- Long-message completion --------------------------------------------------------------------

// How long a long buffer takes to be sent, in milliseconds of real time (0, the default: as
// soon as the completion thread gets to it).
STANDIN_API void StandinBusSetCompletionDelay(DWORD milliseconds);
// While non-zero, buffers that midiOutLongMsg accepts are held and complete only when released.
STANDIN_API void StandinBusHoldCompletions(int hold);
// Releases up to `count` of the oldest held buffers (every one when count is negative).
STANDIN_API void StandinBusReleaseCompletions(int count);

// ---- Failures -----------------------------------------------------------------------------------

// The operations whose next call can be made to fail.
typedef enum StandinBusOperation {
    STANDIN_BUS_CAPS_INPUT,     // midiInGetDevCapsA
    STANDIN_BUS_OPEN_INPUT,     // midiInOpen
    STANDIN_BUS_START_INPUT,    // midiInStart
    STANDIN_BUS_CLOSE_INPUT,    // midiInClose (the handle stays open)
    STANDIN_BUS_CAPS_OUTPUT,    // midiOutGetDevCapsA
    STANDIN_BUS_OPEN_OUTPUT,    // midiOutOpen
    STANDIN_BUS_SEND_SHORT,     // midiOutShortMsg
    STANDIN_BUS_PREPARE_OUTPUT, // midiOutPrepareHeader
    STANDIN_BUS_SEND_LONG,      // midiOutLongMsg
    STANDIN_BUS_RESET_OUTPUT,   // midiOutReset (the buffers the port holds stay held)
    STANDIN_BUS_CLOSE_OUTPUT,   // midiOutClose (the handle stays open)
    STANDIN_BUS_OPERATION_COUNT
} StandinBusOperation;

// The next call of `operation` does nothing and returns `result` (MMSYSERR_NOERROR cancels).
STANDIN_API void StandinBusFailNext(StandinBusOperation operation, MMRESULT result);
// Every call of `operation` from now on fails with `result`, until MMSYSERR_NOERROR cancels it
// (a port that keeps refusing: busy, or its device gone).
STANDIN_API void StandinBusFailAlways(StandinBusOperation operation, MMRESULT result);
// Gives the error-text functions a text for `result` (a driver's own code, say), or replaces
// the platform's; null goes back to the platform's text.
STANDIN_API void StandinBusSetErrorText(MMRESULT result, const char* text);

// ---- Counters -----------------------------------------------------------------------------------

typedef struct StandinBusCounters {
    DWORD delivered;       // MIM_DATA notifications handed to callbacks
    DWORD dropped;         // injected messages that were never delivered
    DWORD shortSent;       // words midiOutShortMsg accepted
    DWORD longSent;        // buffers midiOutLongMsg accepted
    DWORD longCompleted;   // buffers reported done (MOM_DONE)
    DWORD longPending;     // buffers accepted and not yet done
    DWORD outputResets;    // midiOutReset calls (each a note-off storm on the real platform)
    DWORD openInputs;      // input handles open now
    DWORD openOutputs;     // output handles open now
    DWORD preparedHeaders; // output headers prepared now
    // Calls that the real platform refuses or that break its rules: a handle used after close,
    // a buffer unprepared or a port closed while the platform holds it, a port opened, reset or
    // closed from inside a MIDI callback. A correct module causes none.
    DWORD misuse;
} StandinBusCounters;

STANDIN_API void StandinBusGetCounters(StandinBusCounters* counters);
// The description of the latest misuse, cut to `size` with its terminator.
STANDIN_API void StandinBusLastMisuse(char* text, DWORD size);

#ifdef __cplusplus
}
#endif
