// The surface's MIDI map: every note, control-change number, channel and system-exclusive
// header it uses, named once. Buttons and touch sensors send note-on on channel 1, velocity
// 127 when pressed or touched and any other when released; an LED is lit by a note-on on its
// button's note. The encoders turn by relative control changes on channel 1; the motor fader
// and the touch strip travel as 10-bit positions on pitch bend.
#pragma once

#include <cstdint>

// Status bytes on channel 1.
namespace Status {
enum : uint8_t {
    NoteOn = 0x90,
    ControlChange = 0xB0,
    PitchBend = 0xE0,
};
}

// Note numbers.
namespace Note {
enum : uint8_t {
    // Buttons, with the LED of the same note where they have one.
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
    // An LED without a button.
    AnySolo = 115,
    // Touch sensors.
    FaderTouch = 104,
    StripTouch = 116,
    StripSecondTouch = 123,
    Encoder1Touch = 120,
    Encoder2Touch = 121,
    Encoder3Touch = 122,
    // The encoders' pushes.
    Encoder1Press = 32,
    Encoder2Press = 33,
    Encoder3Press = 34,
};
}

// Control-change numbers of the encoders' turns.
namespace ControlNumber {
enum : uint8_t {
    Encoder1Turn = 16,
    Encoder2Turn = 17,
    Encoder3Turn = 18,
};
}

// The three encoders by their index.
constexpr int kEncoder1 = 0;
constexpr int kEncoder2 = 1;
constexpr int kEncoder3 = 2;
constexpr int kEncoderCount = 3;
constexpr uint8_t EncoderTouchNote(int encoder) {
    return static_cast<uint8_t>(Note::Encoder1Touch + encoder);
}
constexpr uint8_t EncoderPressNote(int encoder) {
    return static_cast<uint8_t>(Note::Encoder1Press + encoder);
}
constexpr uint8_t EncoderTurnNumber(int encoder) {
    return static_cast<uint8_t>(ControlNumber::Encoder1Turn + encoder);
}

// Pitch-bend channels, counted from 0 (channel 1 is 0).
namespace Channel {
enum : uint8_t {
    Fader = 0,
    Strip = 9,
};
}

// System-exclusive messages to the surface: the maker's three-byte identifier and the
// surface's device byte follow the start, then the message type.
namespace SysEx {
constexpr uint8_t kStart = 0xF0;
constexpr uint8_t kEnd = 0xF7;
constexpr uint8_t kHeader[] = {kStart, 0x00, 0x01, 0x40, 0x20};
// Message types.
constexpr uint8_t kDisplayText = 0x00; // then the first column and the line's 16 characters
constexpr uint8_t kInitialise = 0x01;  // then one parameter byte, 0
// First columns of the display's lines.
constexpr uint8_t kLine1Position = 0x00;
constexpr uint8_t kLine2Position = 0x10;
} // namespace SysEx
