// The Host's interface as the module sees it: the callback table it hands over, the functions
// in it, and the numbers that cross it (parameter and action identifiers, which are also the
// notification codes, command events, track numbers).
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {
typedef int32_t (*SetParameterFn)(int32_t id, int32_t value, int32_t track, int32_t reserved);
typedef int32_t (*GetParameterFn)(int32_t id, int32_t track, void* result, int32_t reserved);
typedef int32_t (*EnumCommandFn)(int32_t index, char* name, int32_t size, int32_t* unused,
                                 int32_t* valid);
typedef int32_t (*SendCommandFn)(int32_t command, int32_t event);
}

// Handed over by the Host in OpenController; the module keeps copies.
struct HostCallbackTable {
    SetParameterFn SetParameter;
    GetParameterFn GetParameter;
    EnumCommandFn EnumCommand;
    void* reserved; // the module never calls this entry
    SendCommandFn SendCommand;
    int32_t CommandCount;
};

#if defined(__i386__) || defined(_M_IX86)
static_assert(sizeof(HostCallbackTable) == 24, "the Host's table is six 32-bit entries");
static_assert(offsetof(HostCallbackTable, CommandCount) == 20, "CommandCount is entry 5");
#endif

// Parameter and action identifiers; the same numbers are the Host's notification codes.
namespace HostParam {
enum : int32_t {
    Rewind = 0,
    FastForward = 1,
    Stop = 2,
    Play = 3,
    PlayAlternative = 5,
    Record = 7,
    Marker = 9,
    MarkerNext = 10,
    MarkerPrevious = 11,
    Scroll = 12,
    TrackState16 = 16,
    Solo = 17,
    CurrentTrack = 19,
    TrackState20 = 20,
    Level = 21,
    Touch = 22,
    Pan = 23,
    EqGain = 24,      // + EqBand
    EqFrequency = 27, // + EqBand
    EqQ = 30,         // + EqBand
    Name = 46,
};
}

// The EQ bands, from the top: each EQ parameter is its kind's first id plus the band.
namespace EqBand {
enum : int32_t { High = 0, Mid = 1, Low = 2 };
}
constexpr int32_t kEqBandCount = 3;

// SendCommand's event argument.
constexpr int32_t kCommandKeyDown = 0x90;
constexpr int32_t kCommandKeyUp = 0x80;

// The number of tracks the module works with, and the Host's current track when it has none.
constexpr int32_t kTrackCount = 200;
constexpr int32_t kNoTrack = 9999;
// A command number that names no command: every operation on it does nothing.
constexpr int32_t kNoCommand = -1;
// The Host's track names fit this buffer with their terminator.
constexpr int32_t kHostNameSize = 100;
