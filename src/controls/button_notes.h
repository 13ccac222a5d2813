// The note numbers of the surface's buttons and LEDs (note-on, channel 1).
#pragma once

#include <cstdint>

namespace Note {
enum : uint8_t {
    Shift = 70,
    Mode0 = 42,
    Mode1 = 41,
    Mode2 = 44,
    Mode3 = 43,
    Mode4 = 74,
    TrackState16 = 16,
    Solo = 8,
    TrackState20 = 0,
    Footswitch = 103,
    Rewind = 91,
    FastForward = 92,
    Stop = 93,
    Play = 94,
    Record = 95,
    F1 = 54,
    F2 = 55,
    F3 = 56,
    F4 = 57,
    TrackLeft = 87,
    TrackRight = 88,
    PlayMode = 86,
    FaderFunction = 50,
    AnySolo = 115,
};
}
