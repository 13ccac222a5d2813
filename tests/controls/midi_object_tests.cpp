// Control objects: matching by status, note or controller and channel, the pitch-bend bit
// layout both ways, relative encoder steps, and sends skipped when unchanged.
#include <gtest/gtest.h>

#include <vector>

#include "bound_output.h"
#include "controls/midi_object.h"

namespace {

TEST(MidiNoteTest, MatchesItsNoteOnChannelOneOnly) {
    MidiNote note(95);
    const uint8_t press[] = {0x90, 95, 127};
    const uint8_t otherNote[] = {0x90, 94, 127};
    const uint8_t noteOff[] = {0x80, 95, 0};
    const uint8_t otherChannel[] = {0x91, 95, 127};
    EXPECT_FALSE(note.Match(otherNote, 3));
    EXPECT_FALSE(note.Match(noteOff, 3));
    EXPECT_FALSE(note.Match(otherChannel, 3));
    EXPECT_FALSE(note.Match(press, 2));
    EXPECT_FALSE(note.Match(nullptr, 3));
    EXPECT_EQ(note.value, 0);
    EXPECT_TRUE(note.Match(press, 3));
    EXPECT_EQ(note.value, 127);
}

TEST(MidiCCTest, MatchesItsControllerAndDecodesRelativeSteps) {
    MidiCC encoder(17);
    const uint8_t otherController[] = {0xB0, 16, 1};
    EXPECT_FALSE(encoder.Match(otherController, 3));
    const struct {
        uint8_t value;
        int delta;
    } steps[] = {{0, 0}, {1, 1}, {64, 64}, {65, -1}, {100, -36}, {127, -63}};
    for (const auto& step : steps) {
        const uint8_t turn[] = {0xB0, 17, step.value};
        ASSERT_TRUE(encoder.Match(turn, 3));
        EXPECT_EQ(encoder.Delta(), step.delta) << int{step.value};
    }
}

TEST(MidiPitchBendTest, DecodesTenBitsFromTheTopOfTheDataBytes) {
    MidiPitchBend fader(0);
    const uint8_t top[] = {0xE0, 0x7F, 0x7F};
    ASSERT_TRUE(fader.Match(top, 3));
    EXPECT_EQ(fader.value, 1023);
    EXPECT_EQ(fader.msb, 127);
    const uint8_t lowBitsIgnored[] = {0xE0, 0x0F, 0x01};
    ASSERT_TRUE(fader.Match(lowBitsIgnored, 3));
    EXPECT_EQ(fader.value, 8);
    const uint8_t tooShort[] = {0xE0, 0x7F};
    EXPECT_FALSE(fader.Match(tooShort, 2));
}

TEST(MidiPitchBendTest, ChannelIsPartOfTheStatus) {
    MidiPitchBend strip(9);
    MidiPitchBend fader(0);
    const uint8_t onChannelTen[] = {0xE9, 0, 64};
    const uint8_t onChannelOne[] = {0xE0, 0, 64};
    EXPECT_EQ(strip.status, 0xE9);
    EXPECT_TRUE(strip.Match(onChannelTen, 3));
    EXPECT_FALSE(strip.Match(onChannelOne, 3));
    EXPECT_FALSE(fader.Match(onChannelTen, 3));
}

TEST(ControlSendTest, PitchBendEncodesTheInverseOfItsMatch) {
    BoundOutput output;
    MidiPitchBend fader(0);
    for (int16_t position : {int16_t{1023}, int16_t{0}, int16_t{8}, int16_t{769}}) {
        fader.value = position;
        fader.Send(false);
    }
    VirtualSurface::WaitIdle();
    EXPECT_EQ(output.Sent(),
              (std::vector<DWORD>{ShortWord(0xE0, 0x70, 0x7F), ShortWord(0xE0, 0x00, 0x00),
                                  ShortWord(0xE0, 0x00, 0x01), ShortWord(0xE0, 0x10, 0x60)}));
}

TEST(ControlSendTest, UnchangedValuesAreSentOnlyWhenForced) {
    BoundOutput output;
    MidiNote led(8);
    led.outValue = 127;
    led.Send(false);
    led.Send(false);
    led.Send(true);
    MidiPitchBend fader(0);
    fader.value = 500;
    fader.MarkSent();
    fader.Send(false);
    fader.Send(true);
    VirtualSurface::WaitIdle();
    EXPECT_EQ(output.Sent(),
              (std::vector<DWORD>{NoteOn(8, 127), NoteOn(8, 127), ShortWord(0xE0, 0x40, 0x3E)}));
}

} // namespace
