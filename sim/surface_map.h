// The Korvane's side of the MIDI protocol as the simulator sees it: every control with its name
// and its note from the MIDI map, the display's character set, and a readable description of
// each message.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "controls/midi_map.h"
#include "support/surface_messages.h"

namespace sim {

enum class ControlKind {
    Button, // a key; some carry an LED on the same note
    Led,    // an LED without a key
    Sensor, // a touch sensor
};

struct Control {
    const char* name;  // the name scripts and the monitor use
    const char* label; // what the panel shows
    uint8_t note;
    ControlKind kind;
    bool hasLed;
};

// Every control addressed by a note, in panel order.
const std::vector<Control>& Controls();
// The buttons and LEDs in rows, as the simulator's panel and the drawing of the surface show
// them (control names). The encoders' push switches belong to the encoders.
const std::vector<std::vector<const char*>>& ButtonRows();

// The control with this name (case-insensitive) or note; null when there is none.
const Control* FindControl(const std::string& name);
const Control* ControlForNote(uint8_t note);

// The fader's and the strip's highest position.
constexpr int kMaxPosition = kPositionCount - 1;

// The 10-bit position carried by a pitch bend, and the bytes that carry one.
int BendPosition(uint8_t data1, uint8_t data2);
void BendBytes(int position, uint8_t& data1, uint8_t& data2);
// An encoder's relative value for a signed step (1..64 forward, 65..127 back).
uint8_t EncoderValue(int step);
int EncoderStep(uint8_t value);

// The display: two lines of single-byte characters in the surface's own character set.
constexpr int kLineLength = kDisplayColumns;
constexpr int kLineCount = 2;
// How one display byte is drawn: bar glyph codes as block characters, printable ASCII as is,
// anything else as a middle dot. `unicode` false gives plain ASCII for terminals without it.
std::string DrawDisplayByte(uint8_t byte, bool unicode = true);
std::string DrawDisplayLine(const std::string& line, bool unicode = true);
// The display bytes a drawn text stands for: block characters back to their glyph codes,
// "\xNN" escapes as the byte. False (with `error` set) for a character the display cannot show.
bool ParseDisplayText(const std::string& text, std::string& bytes, std::string& error);

// One message as the monitor shows it: the bytes in hex and what they mean.
std::string DescribeMessage(bool fromSurface, const std::vector<uint8_t>& bytes);
std::string HexBytes(const std::vector<uint8_t>& bytes, size_t limit = 8);

// The display line a message writes (0 or 1), or -1 when it is no display message; its text.
int DisplayLineOf(const std::vector<uint8_t>& bytes);
std::string DisplayTextOf(const std::vector<uint8_t>& bytes);
bool IsInitMessage(const std::vector<uint8_t>& bytes);

} // namespace sim
