// The surface's messages as words and bytes, spelled with the MIDI map: what the tests, the
// fuzzer and the benchmarks send as the surface, and what they expect the module to send it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "controls/midi_map.h"
#include "display/text_display.h"
#include "platform/platform.h"

// Velocities of a button or touch sensor, and of an LED lit or dark.
constexpr uint8_t kPressedVelocity = 127;
constexpr uint8_t kReleasedVelocity = 0;
// An encoder's relative turns of one step.
constexpr uint8_t kTurnForward = 1;
constexpr uint8_t kTurnBack = 65;
// The fader's and the strip's positions are 10 bits.
constexpr int kPositionCount = 1024;

// A short message as the platform's word: status in bits 0-7, then the two data bytes.
constexpr DWORD ShortWord(uint8_t status, uint8_t data1, uint8_t data2) {
    return static_cast<DWORD>(status | (data1 << 8) | (data2 << 16));
}
constexpr DWORD NoteOn(uint8_t note, uint8_t velocity) {
    return ShortWord(Status::NoteOn, note, velocity);
}
constexpr DWORD ControlChange(uint8_t number, uint8_t value) {
    return ShortWord(Status::ControlChange, number, value);
}
// A 10-bit position on the pitch bend of `channel`: the low three bits in the first data byte's
// high nibble, the high seven in the second.
constexpr DWORD PitchBend(uint8_t channel, int position) {
    return ShortWord(static_cast<uint8_t>(Status::PitchBend | channel),
                     static_cast<uint8_t>((position & 7) << 4),
                     static_cast<uint8_t>((position >> 3) & 0x7F));
}
constexpr DWORD FaderWord(int position) {
    return PitchBend(Channel::Fader, position);
}

// A display message: the header, its type, the line's first column, the line's characters and
// the end.
constexpr size_t kDisplayPositionAt = sizeof SysEx::kHeader + 1;
constexpr size_t kDisplayTextAt = kDisplayPositionAt + 1;
constexpr size_t kDisplayLineBytes = kDisplayTextAt + kDisplayColumns + 1;

// The display message that shows `text`, padded with blanks or cut to the line's length, at
// `position`: SysEx::kLine1Position or kLine2Position. (Built at its full size at once: growing
// it trips a false array-bounds warning of some compilers.)
inline std::vector<uint8_t> DisplayLineMessage(uint8_t position, const std::string& text) {
    std::vector<uint8_t> bytes(kDisplayLineBytes, ' ');
    std::copy(std::begin(SysEx::kHeader), std::end(SysEx::kHeader), bytes.begin());
    bytes[sizeof SysEx::kHeader] = SysEx::kDisplayText;
    bytes[kDisplayPositionAt] = position;
    const size_t length = std::min(text.size(), static_cast<size_t>(kDisplayColumns));
    std::copy_n(text.begin(), length, bytes.begin() + kDisplayTextAt);
    bytes.back() = SysEx::kEnd;
    return bytes;
}

// The message that tells the surface it has a controller: the header, its type, a 0, the end.
inline std::vector<uint8_t> InitMessage() {
    std::vector<uint8_t> bytes(sizeof SysEx::kHeader + 3);
    std::copy(std::begin(SysEx::kHeader), std::end(SysEx::kHeader), bytes.begin());
    bytes[sizeof SysEx::kHeader] = SysEx::kInitialise;
    bytes.back() = SysEx::kEnd;
    return bytes;
}
