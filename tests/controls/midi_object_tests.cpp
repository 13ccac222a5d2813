// Control objects: matching by status, note or controller and channel, the pitch-bend bit
// layout both ways, relative encoder steps, and sends skipped when unchanged.
#include <gtest/gtest.h>

#include <vector>

#include "bound_output.h"
#include "controls/led.h"
#include "controls/midi_map.h"
#include "controls/midi_object.h"
#include "support/surface_messages.h"

namespace {

// Statuses that no control of the surface uses: a note-off, and a note-on on channel 2.
constexpr uint8_t kNoteOffStatus = 0x80;
constexpr uint8_t kNoteOnChannel2 = Status::NoteOn | 1;
constexpr uint8_t kFaderBend = Status::PitchBend | Channel::Fader;
constexpr uint8_t kStripBend = Status::PitchBend | Channel::Strip;

TEST(MidiNoteTest, MatchesItsNoteOnChannelOneOnly) {
    MidiNote note(Note::Record);
    const uint8_t press[] = {Status::NoteOn, Note::Record, kPressedVelocity};
    const uint8_t otherNote[] = {Status::NoteOn, Note::Play, kPressedVelocity};
    const uint8_t noteOff[] = {kNoteOffStatus, Note::Record, kReleasedVelocity};
    const uint8_t otherChannel[] = {kNoteOnChannel2, Note::Record, kPressedVelocity};
    EXPECT_FALSE(note.Match(otherNote, 3));
    EXPECT_FALSE(note.Match(noteOff, 3));
    EXPECT_FALSE(note.Match(otherChannel, 3));
    EXPECT_FALSE(note.Match(press, 2));
    EXPECT_FALSE(note.Match(nullptr, 3));
    EXPECT_EQ(note.value, 0);
    EXPECT_TRUE(note.Match(press, 3));
    EXPECT_EQ(note.value, kPressedVelocity);
}

TEST(MidiCCTest, MatchesItsControllerAndDecodesRelativeSteps) {
    MidiCC encoder(ControlNumber::Encoder2Turn);
    const uint8_t otherController[] = {Status::ControlChange, ControlNumber::Encoder1Turn,
                                       kTurnForward};
    EXPECT_FALSE(encoder.Match(otherController, 3));
    const struct {
        uint8_t value;
        int delta;
    } steps[] = {{0, 0}, {1, 1}, {64, 64}, {65, -1}, {100, -36}, {127, -63}};
    for (const auto& step : steps) {
        const uint8_t turn[] = {Status::ControlChange, ControlNumber::Encoder2Turn, step.value};
        ASSERT_TRUE(encoder.Match(turn, 3));
        EXPECT_EQ(encoder.Delta(), step.delta) << int{step.value};
    }
}

TEST(MidiPitchBendTest, DecodesTenBitsFromTheTopOfTheDataBytes) {
    MidiPitchBend fader(Channel::Fader);
    const uint8_t top[] = {kFaderBend, 0x7F, 0x7F};
    ASSERT_TRUE(fader.Match(top, 3));
    EXPECT_EQ(fader.value, 1023);
    EXPECT_EQ(fader.msb, 127);
    const uint8_t lowBitsIgnored[] = {kFaderBend, 0x0F, 0x01};
    ASSERT_TRUE(fader.Match(lowBitsIgnored, 3));
    EXPECT_EQ(fader.value, 8);
    const uint8_t tooShort[] = {kFaderBend, 0x7F};
    EXPECT_FALSE(fader.Match(tooShort, 2));
}

TEST(MidiPitchBendTest, ChannelIsPartOfTheStatus) {
    MidiPitchBend strip(Channel::Strip);
    MidiPitchBend fader(Channel::Fader);
    const uint8_t onStripChannel[] = {kStripBend, 0, 64};
    const uint8_t onFaderChannel[] = {kFaderBend, 0, 64};
    EXPECT_EQ(strip.status, kStripBend);
    EXPECT_TRUE(strip.Match(onStripChannel, 3));
    EXPECT_FALSE(strip.Match(onFaderChannel, 3));
    EXPECT_FALSE(fader.Match(onStripChannel, 3));
}

TEST(ControlSendTest, PitchBendEncodesTheInverseOfItsMatch) {
    BoundOutput output;
    MidiPitchBend fader(Channel::Fader);
    for (int16_t position : {int16_t{1023}, int16_t{0}, int16_t{8}, int16_t{769}}) {
        fader.value = position;
        fader.Send(false);
    }
    VirtualSurface::WaitIdle();
    EXPECT_EQ(
        output.Sent(),
        (std::vector<DWORD>{ShortWord(kFaderBend, 0x70, 0x7F), ShortWord(kFaderBend, 0x00, 0x00),
                            ShortWord(kFaderBend, 0x00, 0x01), ShortWord(kFaderBend, 0x10, 0x60)}));
}

TEST(ControlSendTest, UnchangedValuesAreSentOnlyWhenForced) {
    BoundOutput output;
    MidiNote led(Note::Solo);
    led.outValue = kLedLit;
    led.Send(false);
    led.Send(false);
    led.Send(true);
    MidiPitchBend fader(Channel::Fader);
    fader.value = 500;
    fader.MarkSent();
    fader.Send(false);
    fader.Send(true);
    VirtualSurface::WaitIdle();
    EXPECT_EQ(output.Sent(), (std::vector<DWORD>{NoteOn(Note::Solo, kLedLit),
                                                 NoteOn(Note::Solo, kLedLit), FaderWord(500)}));
}

} // namespace
