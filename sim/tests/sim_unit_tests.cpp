// The simulator's parts on their own: the Host's answers through its callback table, the
// surface's encodings and display characters, and the words of the command language.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "commands.h"
#include "host_model.h"
#include "support/case_name.h"
#include "surface_map.h"

namespace sim {
namespace {

// ---- Surface encodings ----------------------------------------------------------------------

struct BendCase {
    const char* name;
    int position;
    uint8_t data1;
    uint8_t data2;
};

class BendEncoding : public ::testing::TestWithParam<BendCase> {};

TEST_P(BendEncoding, BytesAndPositionAreInverse) {
    const BendCase& c = GetParam();
    uint8_t data1 = 0, data2 = 0;
    BendBytes(c.position, data1, data2);
    EXPECT_EQ(data1, c.data1);
    EXPECT_EQ(data2, c.data2);
    EXPECT_EQ(BendPosition(data1, data2), c.position < 0      ? 0
                                          : c.position > 1023 ? 1023
                                                              : c.position);
}

INSTANTIATE_TEST_SUITE_P(Positions, BendEncoding,
                         ::testing::Values(BendCase{"bottom", 0, 0x00, 0x00},
                                           BendCase{"eight", 8, 0x00, 0x01},
                                           BendCase{"zero_dB", 769, 0x10, 0x60},
                                           BendCase{"top", 1023, 0x70, 0x7F},
                                           BendCase{"below_range", -5, 0x00, 0x00},
                                           BendCase{"above_range", 5000, 0x70, 0x7F}),
                         CaseName());

TEST(EncoderValues, StepsRoundTripAndClampToTheRelativeRange) {
    const std::vector<std::pair<int, uint8_t>> cases = {{1, 1}, {-1, 65},  {64, 64},   {-63, 127},
                                                        {0, 0}, {100, 64}, {-100, 127}};
    for (const auto& [step, value] : cases) {
        EXPECT_EQ(EncoderValue(step), value) << step;
        if (step >= -63 && step <= 64) {
            EXPECT_EQ(EncoderStep(value), step) << step;
        }
    }
}

TEST(DisplayText, EveryGlyphDrawsAndParsesBackToItsCode) {
    for (int code : {1, 2, 3, 4, 5, 6, 7, 8, 0x1F, 0x7E, 0x7F}) {
        const std::string byte(1, static_cast<char>(code));
        std::string parsed, error;
        ASSERT_TRUE(ParseDisplayText(DrawDisplayByte(static_cast<uint8_t>(code)), parsed, error))
            << code << ": " << error;
        EXPECT_EQ(parsed, byte) << code;
        EXPECT_EQ(DrawDisplayByte(static_cast<uint8_t>(code), false).size(), 1u) << code;
    }
}

TEST(DisplayText, PlainTextAndEscapesParseAsBytesOthersAreRefused) {
    std::string parsed, error;
    ASSERT_TRUE(ParseDisplayText("Level \\x80\\x1f-", parsed, error));
    EXPECT_EQ(parsed, std::string("Level \x80\x1f-"));
    EXPECT_FALSE(ParseDisplayText("Ch\xC5\x93ur", parsed, error));
    EXPECT_NE(error.find("\\xNN"), std::string::npos);
    // A byte no glyph stands for draws as a dot, never as raw bytes the terminal might act on.
    EXPECT_EQ(DrawDisplayByte(0x1B, false), "?");
    EXPECT_EQ(DrawDisplayByte('~'), "\u2595");
}

// The bytes of a short message as the monitor gets them.
std::vector<uint8_t> Bytes(DWORD word) {
    return {static_cast<uint8_t>(word & 0xFF), static_cast<uint8_t>((word >> 8) & 0xFF),
            static_cast<uint8_t>((word >> 16) & 0xFF)};
}

TEST(Messages, DisplayLinesAndTheInitialisationAreRecognised) {
    std::vector<uint8_t> line = DisplayLineMessage(SysEx::kLine2Position, "Trk01 Mark   0");
    EXPECT_EQ(DisplayLineOf(line), 1);
    EXPECT_EQ(DescribeMessage(false, line), "display line 2 \"Trk01 Mark   0  \"");
    line[kDisplayPositionAt] = 0x05; // no line starts there
    EXPECT_EQ(DisplayLineOf(line), -1);
    line.pop_back();
    EXPECT_EQ(DisplayLineOf(line), -1);
    EXPECT_TRUE(IsInitMessage(InitMessage()));
    EXPECT_EQ(DescribeMessage(true, Bytes(NoteOn(Note::Play, kPressedVelocity))), "Play pressed");
    EXPECT_EQ(DescribeMessage(false, Bytes(NoteOn(Note::Shift, kReleasedVelocity))),
              "LED Shift off");
    EXPECT_EQ(DescribeMessage(true, Bytes(ControlChange(EncoderTurnNumber(2), kTurnBack))),
              "Enc3 turned -1");
    EXPECT_EQ(DescribeMessage(true, Bytes(FaderWord(769))), "Fader moved to 769");
    EXPECT_EQ(DescribeMessage(true, Bytes(ControlChange(EncoderTurnNumber(kEncoderCount), 1))),
              "unknown message");
}

TEST(Controls, NamesAreFoundWithoutRegardToCase) {
    ASSERT_NE(FindControl("SHIFT"), nullptr);
    EXPECT_EQ(FindControl("Shift")->note, Note::Shift);
    EXPECT_EQ(ControlForNote(Note::StripSecondTouch)->kind, ControlKind::Sensor);
    EXPECT_EQ(FindControl("nothing"), nullptr);
}

// A note given to two controls would make one of them unreachable from the monitor and the
// LEDs; a name given twice, from the scripts.
TEST(Controls, EveryControlHasANoteAndANameOfItsOwn) {
    std::set<uint8_t> notes;
    std::set<std::string> names;
    for (const Control& control : Controls()) {
        EXPECT_TRUE(notes.insert(control.note).second) << control.name;
        EXPECT_TRUE(names.insert(control.name).second) << control.name;
        EXPECT_EQ(ControlForNote(control.note), &control) << control.name;
    }
}

// ---- Command words ---------------------------------------------------------------------------

TEST(SplitWords, QuotedTextIsOneWord) {
    std::vector<std::string> words;
    std::string error;
    ASSERT_TRUE(SplitWords("  expect line1 \"Say \\\"hi\\\"  \" x", words, error));
    EXPECT_EQ(words, (std::vector<std::string>{"expect", "line1", "Say \"hi\"  ", "x"}));
    ASSERT_TRUE(SplitWords("host name 3 \"\"", words, error));
    EXPECT_EQ(words.back(), "");
    EXPECT_FALSE(SplitWords("expect line1 \"open", words, error));
    EXPECT_FALSE(error.empty());
}

// ---- The Host through its callback table -----------------------------------------------------

class HostTable : public ::testing::Test {
protected:
    int32_t Set(int32_t id, int32_t value, int32_t track = 0) {
        return table.SetParameter(id, value, track, 0);
    }
    double GetDouble(int32_t id, int32_t track) {
        double value = -1.0;
        table.GetParameter(id, track, &value, 0);
        return value;
    }
    int32_t GetInt(int32_t id, int32_t track) {
        int32_t value = -1;
        table.GetParameter(id, track, &value, 0);
        return value;
    }

    HostModel host;
    HostCallbackTable table = host.Table();
};

TEST_F(HostTable, LevelTakesHundredthsFromTheLow16BitsAndNotifies) {
    Set(HostParam::Level, -1234, 2);
    EXPECT_DOUBLE_EQ(GetDouble(HostParam::Level, 2), -12.34);
    Set(HostParam::Level, 0x1FFFF, 2); // the high bits carry nothing: -1
    EXPECT_DOUBLE_EQ(GetDouble(HostParam::Level, 2), -0.01);
    const std::vector<Notification> told = host.TakeNotifications();
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[1].code, HostParam::Level);
    EXPECT_EQ(told[1].first, 2);
}

TEST_F(HostTable, PanIsRelativeClampedAndNotified) {
    Set(HostParam::Pan, -30, 1); // track 1 starts at L35
    EXPECT_EQ(GetInt(HostParam::Pan, 1), -65);
    Set(HostParam::Pan, -1000, 1);
    EXPECT_EQ(GetInt(HostParam::Pan, 1), -100);
    const std::vector<Notification> told = host.TakeNotifications();
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[1].code, HostParam::Pan);
    EXPECT_EQ(told[1].second, -100);
}

TEST_F(HostTable, StatesToggleOnlyWithValueOne) {
    Set(HostParam::Solo, 1, 4);
    EXPECT_EQ(GetInt(HostParam::Solo, 4), 1);
    Set(HostParam::Solo, 2, 4);
    EXPECT_EQ(GetInt(HostParam::Solo, 4), 1);
    Set(HostParam::Solo, 1, 4);
    EXPECT_EQ(GetInt(HostParam::Solo, 4), 0);
    EXPECT_EQ(host.TakeNotifications().size(), 2u);
    // A track the project does not have reads as off and changes nothing.
    Set(HostParam::Solo, 1, 150);
    EXPECT_EQ(GetInt(HostParam::Solo, 150), 0);
    EXPECT_TRUE(host.TakeNotifications().empty());
}

TEST_F(HostTable, TrackSelectionClampsAndTellsTheNewTracksStates) {
    Set(HostParam::CurrentTrack, 0, 200);
    EXPECT_EQ(host.Snap().currentTrack, 11);
    const std::vector<Notification> told = host.TakeNotifications();
    ASSERT_EQ(told.size(), 4u);
    EXPECT_EQ(told[0].code, HostParam::CurrentTrack);
    EXPECT_EQ(told[0].first, 11);
    EXPECT_EQ(told[3].code, HostParam::TrackState20);
    Set(HostParam::CurrentTrack, 0, 9998); // still the last track: nothing changed, nothing told
    EXPECT_TRUE(host.TakeNotifications().empty());
    Set(HostParam::CurrentTrack, 0, -1);
    EXPECT_EQ(host.Snap().currentTrack, 0);
}

TEST_F(HostTable, EqStepsFollowTheHostsStepSizes) {
    Set(HostParam::EqGain + 1, 3, 0);
    EXPECT_NEAR(GetDouble(HostParam::EqGain + 1, 0), 0.3, 1e-9);
    Set(HostParam::EqFrequency + 2, 100, 0); // one octave
    EXPECT_NEAR(GetDouble(HostParam::EqFrequency + 2, 0), 200.0, 1e-9);
    Set(HostParam::EqQ, -1000, 0);
    EXPECT_NEAR(GetDouble(HostParam::EqQ, 0), 0.1, 1e-9);
}

TEST_F(HostTable, NamesFitTheModulesBufferAndUnknownIdsLeaveTheResultAlone) {
    host.Rename(3, std::string(150, 'x'));
    char name[100];
    std::memset(name, '?', sizeof name);
    table.GetParameter(HostParam::Name, 3, name, 0);
    EXPECT_EQ(std::strlen(name), 99u);
    table.GetParameter(HostParam::Name, 120, name, 0);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(GetInt(40, 0), -1);
}

TEST_F(HostTable, EnumCommandMarksInvalidIndicesAndCutsToTheBuffer) {
    int32_t valid = -1, unused = 0;
    char name[8];
    table.EnumCommand(1, name, sizeof name, &unused, &valid);
    EXPECT_EQ(valid, 1);
    EXPECT_STREQ(name, "Mixer p");
    table.EnumCommand(9, name, sizeof name, &unused, &valid);
    EXPECT_EQ(valid, 0);
    table.EnumCommand(table.CommandCount, name, sizeof name, &unused, &valid);
    EXPECT_EQ(valid, 0);
    EXPECT_STREQ(name, "");
}

TEST_F(HostTable, CommandsActOnKeyDownOnly) {
    int32_t punch = -1;
    for (int32_t i = 0; i < table.CommandCount; ++i)
        if (host.CommandName(i) == "Clips: Punch In")
            punch = i;
    ASSERT_GE(punch, 0);
    table.SendCommand(punch, kCommandKeyDown);
    table.SendCommand(punch, kCommandKeyUp);
    EXPECT_TRUE(host.Snap().punchIn);
    size_t from = 0;
    EXPECT_EQ(host.EventsFrom(from).size(), 2u);
    table.SendCommand(9, kCommandKeyDown); // an invalid index does nothing
    table.SendCommand(-1, kCommandKeyDown);
    EXPECT_TRUE(host.Snap().punchIn);
}

} // namespace
} // namespace sim
