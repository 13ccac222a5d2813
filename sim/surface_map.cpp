#include "surface_map.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace sim {

namespace {

const std::vector<Control> kControls = {
    {"shift", "Shift", Note::Shift, ControlKind::Button, true},
    {"mode1", "Trk", Note::Mode0, ControlKind::Button, true},
    {"mode2", "M2", Note::Mode1, ControlKind::Button, true},
    {"mode3", "EQ", Note::Mode2, ControlKind::Button, true},
    {"mode4", "M4", Note::Mode3, ControlKind::Button, true},
    {"mode5", "M5", Note::Mode4, ControlKind::Button, true},
    {"state16", "S16", Note::TrackState16, ControlKind::Button, true},
    {"solo", "Solo", Note::Solo, ControlKind::Button, true},
    {"state20", "S20", Note::TrackState20, ControlKind::Button, true},
    {"anysolo", "AnySolo", Note::AnySolo, ControlKind::Led, true},
    {"f1", "F1", Note::F1, ControlKind::Button, true},
    {"f2", "F2", Note::F2, ControlKind::Button, true},
    {"f3", "F3", Note::F3, ControlKind::Button, true},
    {"f4", "F4", Note::F4, ControlKind::Button, true},
    {"trk<", "Trk<", Note::TrackLeft, ControlKind::Button, true},
    {"trk>", "Trk>", Note::TrackRight, ControlKind::Button, true},
    {"rewind", "Rew", Note::Rewind, ControlKind::Button, false},
    {"ffwd", "FFwd", Note::FastForward, ControlKind::Button, false},
    {"stop", "Stop", Note::Stop, ControlKind::Button, false},
    {"play", "Play", Note::Play, ControlKind::Button, false},
    {"record", "Rec", Note::Record, ControlKind::Button, true},
    {"playmode", "PlayMode", Note::PlayMode, ControlKind::Button, true},
    {"faderfn", "FaderFn", Note::FaderFunction, ControlKind::Button, true},
    {"footswitch", "Foot", Note::Footswitch, ControlKind::Button, false},
    {"push1", "Push1", Note::Encoder1Press, ControlKind::Button, false},
    {"push2", "Push2", Note::Encoder2Press, ControlKind::Button, false},
    {"push3", "Push3", Note::Encoder3Press, ControlKind::Button, false},
    {"fader", "Fader", Note::FaderTouch, ControlKind::Sensor, false},
    {"enc1", "Enc1", Note::Encoder1Touch, ControlKind::Sensor, false},
    {"enc2", "Enc2", Note::Encoder2Touch, ControlKind::Sensor, false},
    {"enc3", "Enc3", Note::Encoder3Touch, ControlKind::Sensor, false},
    {"strip", "Strip", Note::StripTouch, ControlKind::Sensor, false},
    {"strip2", "Strip2", Note::StripSecondTouch, ControlKind::Sensor, false},
};

const std::vector<std::vector<const char*>> kButtonRows = {
    {"shift", "mode1", "mode2", "mode3", "mode4", "mode5"},
    {"state16", "solo", "state20", "anysolo"},
    {"f1", "f2", "f3", "f4", "trk<", "trk>"},
    {"rewind", "ffwd", "stop", "play", "record"},
    {"playmode", "faderfn", "footswitch"},
};

struct Glyph {
    uint8_t code;
    const char* unicode;
    char ascii;
};

// Bar cells: full, partial cells of a bar growing right (1 to 4 fifths), of a bar growing left,
// and the two halves of the pan bar's centre mark.
const Glyph kGlyphs[] = {
    {0x1F, "\u2588", '#'}, // █
    {4, "\u258E", '.'},    // ▎
    {5, "\u258D", ':'},    // ▍
    {6, "\u258B", '+'},    // ▋
    {7, "\u258A", '='},    // ▊
    {3, "\u2591", '.'},    // ░
    {2, "\u2592", ':'},    // ▒
    {1, "\u2593", '+'},    // ▓
    {8, "\u2590", '='},    // ▐
    {0x7E, "\u2595", '['}, // ▕
    {0x7F, "\u258F", ']'}, // ▏
};

constexpr char kUnknownUnicode[] = "\u00B7"; // ·
constexpr char kUnknownAscii = '?';

bool SameName(const char* a, const std::string& b) {
    if (std::strlen(a) != b.size())
        return false;
    for (size_t i = 0; i < b.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool IsPlainText(uint8_t byte) {
    return byte >= 0x20 && byte < 0x7E;
}

std::string DescribeNote(bool fromSurface, uint8_t note, uint8_t value) {
    const Control* control = ControlForNote(note);
    const std::string name = control != nullptr ? control->label : "note " + std::to_string(note);
    if (!fromSurface)
        return "LED " + name +
               (value == kPressedVelocity    ? " on"
                : value == kReleasedVelocity ? " off"
                                             : " " + std::to_string(value));
    if (control != nullptr && control->kind == ControlKind::Sensor)
        return name + (value == kPressedVelocity ? " touched" : " released");
    return name + (value == kPressedVelocity ? " pressed" : " released");
}

// The encoder (0 to 2) that turns on control number `number`; -1 for none.
int EncoderOfTurn(uint8_t number) {
    for (int encoder = 0; encoder < kEncoderCount; ++encoder)
        if (EncoderTurnNumber(encoder) == number)
            return encoder;
    return -1;
}

std::string DescribeShort(bool fromSurface, const std::vector<uint8_t>& bytes) {
    const uint8_t status = bytes[0];
    const uint8_t data1 = bytes.size() > 1 ? bytes[1] : 0;
    const uint8_t data2 = bytes.size() > 2 ? bytes[2] : 0;
    if (status == Status::NoteOn)
        return DescribeNote(fromSurface, data1, data2);
    if (status == (Status::PitchBend | Channel::Fader))
        return (fromSurface ? "Fader moved to " : "Motor fader to ") +
               std::to_string(BendPosition(data1, data2));
    if (status == (Status::PitchBend | Channel::Strip))
        return "Strip at " + std::to_string(BendPosition(data1, data2)) + " (msb " +
               std::to_string(data2) + ")";
    const int encoder = EncoderOfTurn(data1);
    if (status == Status::ControlChange && encoder >= 0) {
        const int step = EncoderStep(data2);
        return "Enc" + std::to_string(encoder + 1) + " turned " + (step > 0 ? "+" : "") +
               std::to_string(step);
    }
    return "unknown message";
}

} // namespace

const std::vector<Control>& Controls() {
    return kControls;
}

const std::vector<std::vector<const char*>>& ButtonRows() {
    return kButtonRows;
}

const Control* FindControl(const std::string& name) {
    for (const Control& control : kControls)
        if (SameName(control.name, name))
            return &control;
    return nullptr;
}

const Control* ControlForNote(uint8_t note) {
    for (const Control& control : kControls)
        if (control.note == note)
            return &control;
    return nullptr;
}

int BendPosition(uint8_t data1, uint8_t data2) {
    return ((data2 & 0x7F) << 3) | ((data1 & 0x7F) >> 4);
}

void BendBytes(int position, uint8_t& data1, uint8_t& data2) {
    const int clamped = position < 0 ? 0 : position > kMaxPosition ? kMaxPosition : position;
    data1 = static_cast<uint8_t>((clamped & 7) << 4);
    data2 = static_cast<uint8_t>((clamped >> 3) & 0x7F);
}

uint8_t EncoderValue(int step) {
    if (step > 64)
        step = 64;
    if (step < -63)
        step = -63;
    return static_cast<uint8_t>(step >= 0 ? step : 64 - step);
}

int EncoderStep(uint8_t value) {
    return value >= 65 ? 64 - value : value;
}

std::string DrawDisplayByte(uint8_t byte, bool unicode) {
    for (const Glyph& glyph : kGlyphs)
        if (glyph.code == byte)
            return unicode ? std::string(glyph.unicode) : std::string(1, glyph.ascii);
    if (IsPlainText(byte))
        return std::string(1, static_cast<char>(byte));
    return unicode ? std::string(kUnknownUnicode) : std::string(1, kUnknownAscii);
}

std::string DrawDisplayLine(const std::string& line, bool unicode) {
    std::string drawn;
    for (char byte : line)
        drawn += DrawDisplayByte(static_cast<uint8_t>(byte), unicode);
    return drawn;
}

bool ParseDisplayText(const std::string& text, std::string& bytes, std::string& error) {
    bytes.clear();
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<uint8_t>(text[i]);
        if (byte == '\\' && i + 4 <= text.size() && text[i + 1] == 'x') {
            unsigned value = 0;
            if (std::sscanf(text.substr(i + 2, 2).c_str(), "%2x", &value) != 1) {
                error = "bad escape in \"" + text + "\"";
                return false;
            }
            bytes += static_cast<char>(value);
            i += 4;
            continue;
        }
        if (IsPlainText(byte)) {
            bytes += static_cast<char>(byte);
            ++i;
            continue;
        }
        bool found = false;
        for (const Glyph& glyph : kGlyphs) {
            const size_t length = std::strlen(glyph.unicode);
            if (text.compare(i, length, glyph.unicode) == 0) {
                bytes += static_cast<char>(glyph.code);
                i += length;
                found = true;
                break;
            }
        }
        if (!found) {
            error = "the display has no character for byte " + std::to_string(byte) + " of \"" +
                    text + "\" (write it as \\xNN)";
            return false;
        }
    }
    return true;
}

std::string HexBytes(const std::vector<uint8_t>& bytes, size_t limit) {
    std::string text;
    char hex[4];
    for (size_t i = 0; i < bytes.size() && i < limit; ++i) {
        std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += hex;
    }
    if (bytes.size() > limit)
        text += " ..";
    return text;
}

int DisplayLineOf(const std::vector<uint8_t>& bytes) {
    if (bytes.size() != kDisplayLineBytes ||
        !std::equal(std::begin(SysEx::kHeader), std::end(SysEx::kHeader), bytes.begin()) ||
        bytes[sizeof SysEx::kHeader] != SysEx::kDisplayText || bytes.back() != SysEx::kEnd)
        return -1;
    const uint8_t position = bytes[kDisplayPositionAt];
    return position == SysEx::kLine1Position ? 0 : position == SysEx::kLine2Position ? 1 : -1;
}

std::string DisplayTextOf(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin() + kDisplayTextAt,
                       bytes.begin() + kDisplayTextAt + kLineLength);
}

bool IsInitMessage(const std::vector<uint8_t>& bytes) {
    return bytes == InitMessage();
}

std::string DescribeMessage(bool fromSurface, const std::vector<uint8_t>& bytes) {
    if (bytes.empty())
        return "empty message";
    if (bytes[0] != SysEx::kStart)
        return DescribeShort(fromSurface, bytes);
    if (IsInitMessage(bytes))
        return "initialise surface";
    const int line = DisplayLineOf(bytes);
    if (line < 0)
        return "system exclusive, " + std::to_string(bytes.size()) + " bytes";
    return "display line " + std::to_string(line + 1) + " \"" +
           DrawDisplayLine(DisplayTextOf(bytes)) + "\"";
}

} // namespace sim
