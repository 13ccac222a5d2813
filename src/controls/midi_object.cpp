#include "controls/midi_object.h"

#include "controls/midi_map.h"
#include "controls/refused_feedback.h"
#include "midi/midi_msg.h"

namespace {
constexpr uint32_t kShortMessageLength = 3;

bool IsShortMessage(const uint8_t* bytes, uint32_t length) {
    return bytes != nullptr && length >= kShortMessageLength;
}
} // namespace

bool MidiObject::Match(const uint8_t* bytes, uint32_t length) {
    return bytes != nullptr && length >= 1 && bytes[0] == status;
}

MidiNote::MidiNote(uint8_t noteNumber)
    : MidiObject(Status::NoteOn), outValue(0), sentValue(0), note(noteNumber) {}

void MidiNote::MarkSent() {
    sentValue = outValue;
}

bool MidiNote::Match(const uint8_t* bytes, uint32_t length) {
    if (!IsShortMessage(bytes, length) || !MidiObject::Match(bytes, length) || bytes[1] != note)
        return false;
    value = static_cast<int8_t>(bytes[2]);
    return true;
}

void MidiNote::Send(bool force) {
    if (outValue != sentValue || force) {
        midi::CShortMsg message(status, 0, note, outValue);
        // A refused send is not taken as shown: the next update sends again.
        if (!RefusedFeedback::Send(message))
            return;
    }
    MarkSent();
}

void MidiTwoWay::MarkSent() {
    sentValue = value;
}

MidiCC::MidiCC(uint8_t controllerNumber)
    : MidiTwoWay(Status::ControlChange), controller(controllerNumber) {}

bool MidiCC::Match(const uint8_t* bytes, uint32_t length) {
    if (!IsShortMessage(bytes, length) || !MidiObject::Match(bytes, length) ||
        bytes[1] != controller)
        return false;
    value = static_cast<int8_t>(bytes[2]);
    return true;
}

int MidiCC::Delta() const {
    return value >= 65 ? 64 - value : value;
}

MidiPitchBend::MidiPitchBend(uint8_t channel)
    : MidiTwoWay(static_cast<uint8_t>(Status::PitchBend | (channel & 0x0F))), msb(0) {}

bool MidiPitchBend::Match(const uint8_t* bytes, uint32_t length) {
    if (!IsShortMessage(bytes, length) || !MidiObject::Match(bytes, length))
        return false;
    value = static_cast<int16_t>((bytes[2] << 3) | (bytes[1] >> 4));
    msb = bytes[2];
    return true;
}

void MidiPitchBend::Send(bool force) {
    if (value == sentValue && !force)
        return;
    midi::CShortMsg message(status, 0, static_cast<unsigned>((value & 7) << 4),
                            static_cast<unsigned>((value >> 3) & 0x7F));
    if (RefusedFeedback::Send(message))
        MarkSent();
}
