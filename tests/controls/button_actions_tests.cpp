// Every button through the controller's input, with and without Shift, and the Shift latch.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "controls/button_bank.h"
#include "controls/encoder_mode_selector.h"
#include "controls/led.h"
#include "controls/midi_map.h"
#include "host/host_api.h"
#include "support/case_name.h"
#include "support/controller_fixture.h"
#include "support/part_context.h"
#include "support/recording_host.h"
#include "support/surface_messages.h"

namespace {

class ButtonActionsTest : public ControllerFixture {
protected:
    // Whether Shift is latched, as F1 tells: latched, it sends Shift-F1's command.
    bool ShiftLatched() {
        host.ClearCalls();
        Click(Note::F1);
        const std::vector<HostCall> commands = HostCommands();
        host.ClearCalls();
        return !commands.empty() && commands.front().id == CommandIndex("Insert: Audio Track");
    }
    // The encoder mode as the display shows it once refreshed: 0 (track mode), 4 (EQ) or 5
    // (EQ bands).
    int ShownMode() {
        SlowRefresh();
        const std::string line1 = surface->LastLine(SysEx::kLine1Position);
        if (line1.rfind("EQBnd", 0) == 0)
            return kEqBandMode;
        if (line1.rfind("Freq", 0) == 0)
            return kEqMode;
        return kTrackMode;
    }
    // The fader-function button's latch, as its LED shows it once refreshed.
    bool FaderFunctionLit() {
        SlowRefresh();
        return surface->LastNoteValue(Note::FaderFunction) == kLedLit;
    }
};

struct PlainCase {
    const char* name;
    uint8_t note;
    std::vector<HostCall> onPress;
    std::vector<HostCall> onRelease;
};

class PlainButtonTest : public ControllerFixture,
                        public ::testing::WithParamInterface<PlainCase> {};

TEST_P(PlainButtonTest, PressAndReleaseCallTheHost) {
    Press(GetParam().note);
    EXPECT_EQ(HostSets(), GetParam().onPress);
    host.ClearCalls();
    Release(GetParam().note);
    EXPECT_EQ(HostSets(), GetParam().onRelease);
}

INSTANTIATE_TEST_SUITE_P(
    Transport, PlainButtonTest,
    ::testing::Values(
        PlainCase{"rewind",
                  Note::Rewind,
                  {SetCall(HostParam::Rewind, 1)},
                  {SetCall(HostParam::Rewind, 0)}},
        PlainCase{"forward",
                  Note::FastForward,
                  {SetCall(HostParam::FastForward, 1)},
                  {SetCall(HostParam::FastForward, 0)}},
        PlainCase{"stop", Note::Stop, {SetCall(HostParam::Stop, 1)}, {}},
        PlainCase{"play", Note::Play, {SetCall(HostParam::Play, 1)}, {}},
        PlainCase{"record", Note::Record, {SetCall(HostParam::Record, 1)}, {}},
        PlainCase{"trackLeft", Note::TrackLeft, {SetCall(HostParam::CurrentTrack, 0, 0)}, {}},
        PlainCase{"trackRight", Note::TrackRight, {SetCall(HostParam::CurrentTrack, 0, 1)}, {}},
        PlainCase{"trackState16", Note::TrackState16, {SetCall(HostParam::TrackState16, 1, 0)}, {}},
        PlainCase{"solo", Note::Solo, {SetCall(HostParam::Solo, 1, 0)}, {}},
        PlainCase{
            "trackState20", Note::TrackState20, {SetCall(HostParam::TrackState20, 1, 0)}, {}}),
    CaseName());

struct CommandCase {
    const char* name;
    uint8_t note;
    bool shifted;
    const char* command;
};

class CommandButtonTest : public ControllerFixture,
                          public ::testing::WithParamInterface<CommandCase> {};

TEST_P(CommandButtonTest, SendsTheAssignedCommandDownAndUp) {
    if (GetParam().shifted)
        Click(Note::Shift);
    Press(GetParam().note);
    Release(GetParam().note);
    const int32_t command = CommandIndex(GetParam().command);
    ASSERT_NE(command, -1);
    EXPECT_EQ(HostCommands(), (std::vector<HostCall>{CommandCall(command, kCommandKeyDown),
                                                     CommandCall(command, kCommandKeyUp)}));
    EXPECT_TRUE(HostSets().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Assigned, CommandButtonTest,
    ::testing::Values(CommandCase{"F1", Note::F1, false, "Mixer panel toggle"},
                      CommandCase{"F2", Note::F2, false, "Multitrack / Edit View toggle"},
                      CommandCase{"F3", Note::F3, false, "Save / Save Session"},
                      CommandCase{"F4", Note::F4, false, "Undo (1)"},
                      CommandCase{"ShiftF1", Note::F1, true, "Insert: Audio Track"},
                      CommandCase{"ShiftF2", Note::F2, true, "Insert: MIDI Track"},
                      CommandCase{"ShiftF3", Note::F3, true, "Save All"},
                      CommandCase{"ShiftF4", Note::F4, true, "Redo"},
                      CommandCase{"ShiftTrackLeft", Note::TrackLeft, true,
                                  "Selection Anchor Left when playing"},
                      CommandCase{"ShiftTrackRight", Note::TrackRight, true,
                                  "Selection Anchor Right when playing"},
                      CommandCase{"ShiftRewind", Note::Rewind, true, "Move Cursor to Beginning"},
                      CommandCase{"ShiftForward", Note::FastForward, true, "Move Cursor to End"},
                      CommandCase{"ShiftPlay", Note::Play, true, "Metronome On/Off toggle"},
                      CommandCase{"ShiftRecord", Note::Record, true, "Monitor Record Level toggle"},
                      CommandCase{"Footswitch", Note::Footswitch, false, "Record/Stop toggle"},
                      CommandCase{"ShiftFootswitch", Note::Footswitch, true, "Record/Stop toggle"},
                      CommandCase{"ShiftPlayMode", Note::PlayMode, true, "Clips: Punch In"}),
    CaseName());

TEST_F(ButtonActionsTest, ShiftPressedAndReleasedAloneLatchesAndUnlatchesWithItsLedBlinking) {
    Click(Note::Shift);
    EXPECT_TRUE(ShiftLatched());
    ClearRecords();
    for (int period = 0; period < 4; ++period)
        SlowRefresh();
    const std::vector<DWORD> sent = SentShort();
    EXPECT_NE(std::find(sent.begin(), sent.end(), NoteOn(Note::Shift, kLedDark)), sent.end());
    EXPECT_NE(std::find(sent.begin(), sent.end(), NoteOn(Note::Shift, kLedLit)), sent.end());
    Click(Note::Shift);
    EXPECT_FALSE(ShiftLatched());
}

TEST_F(ButtonActionsTest, ShiftHeldOverAnotherKeyActsAsAModifier) {
    Press(Note::Shift);
    Click(Note::F2);
    Release(Note::Shift);
    const int32_t shiftF2 = CommandIndex("Insert: MIDI Track");
    EXPECT_EQ(HostCommands(), (std::vector<HostCall>{CommandCall(shiftF2, kCommandKeyDown),
                                                     CommandCall(shiftF2, kCommandKeyUp)}));
    EXPECT_FALSE(ShiftLatched());
}

TEST_F(ButtonActionsTest, ShiftLatchedThenHeldOverAKeyUnlatchesFirst) {
    Click(Note::Shift); // latched
    Press(Note::Shift); // unlatched by this press
    Click(Note::F2);
    Release(Note::Shift);
    const int32_t f2 = CommandIndex("Multitrack / Edit View toggle");
    EXPECT_EQ(HostCommands(), (std::vector<HostCall>{CommandCall(f2, kCommandKeyDown),
                                                     CommandCall(f2, kCommandKeyUp)}));
    EXPECT_FALSE(ShiftLatched());
}

TEST_F(ButtonActionsTest, StopIgnoresShift) {
    Click(Note::Shift);
    Click(Note::Stop);
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(HostParam::Stop, 1)});
}

TEST_F(ButtonActionsTest, PlayModeSelectsTheAlternativePlayAndLightsAtOnce) {
    Click(Note::PlayMode);
    // Lit at once, and the forced update that follows resends it lit.
    EXPECT_EQ(SentShort(), (std::vector<DWORD>{NoteOn(Note::PlayMode, kLedLit),
                                               NoteOn(Note::PlayMode, kLedLit)}));
    Click(Note::Play);
    Click(Note::PlayMode);
    Click(Note::Play);
    EXPECT_EQ(HostSets(), (std::vector<HostCall>{SetCall(HostParam::PlayAlternative, 1),
                                                 SetCall(HostParam::Play, 1)}));
}

TEST_F(ButtonActionsTest, ShiftedTrackStateButtonsActOnEveryTrack) {
    host.SetInt(HostParam::TrackState16, 5, 1);
    host.SetInt(HostParam::TrackState16, 9, 1);
    host.SetInt(HostParam::Solo, 3, 1);
    host.SetInt(HostParam::Solo, 7, 1);
    Click(Note::Shift);
    Click(Note::TrackState16);
    Click(Note::Solo);
    EXPECT_EQ(HostSets(), (std::vector<HostCall>{SetCall(HostParam::TrackState16, 1, 5),
                                                 SetCall(HostParam::TrackState16, 1, 9),
                                                 SetCall(HostParam::Solo, 1, 7)}));
}

TEST_F(ButtonActionsTest, TrackStateButtonsActOnTheCurrentTrack) {
    UpdateController(HostParam::CurrentTrack, 12, 0, 0);
    host.ClearCalls();
    Click(Note::TrackState20);
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(HostParam::TrackState20, 1, 12)});
}

TEST_F(ButtonActionsTest, TheSecondEqModeButtonCyclesTheEqModes) {
    for (int expected : {kEqMode, kEqBandMode, kEqMode}) {
        Click(Note::Mode2);
        EXPECT_EQ(ShownMode(), expected);
    }
    Click(Note::Mode0);
    EXPECT_EQ(ShownMode(), kTrackMode);
}

TEST_F(ButtonActionsTest, OtherModeButtonsSelectNothing) {
    Click(Note::Mode2);
    for (uint8_t note : {Note::Mode1, Note::Mode3, Note::Mode4})
        Click(note);
    EXPECT_EQ(ShownMode(), kEqMode);
    EXPECT_TRUE(HostSets().empty());
}

TEST_F(ButtonActionsTest, FaderFunctionTogglesOnReleaseUnlessAnEncoderWasTouched) {
    Click(Note::FaderFunction);
    EXPECT_TRUE(FaderFunctionLit());
    Press(Note::FaderFunction);
    Press(Note::Encoder1Touch); // touched while the button is held
    Release(Note::Encoder1Touch);
    Release(Note::FaderFunction);
    EXPECT_TRUE(FaderFunctionLit());
    Click(Note::FaderFunction);
    EXPECT_FALSE(FaderFunctionLit());
}

TEST_F(ButtonActionsTest, ShiftFaderFunctionJumpsToTheLastNamedTrackAndBack) {
    host.SetName(11, "Keys");
    UpdateController(HostParam::CurrentTrack, 4, 0, 0);
    Click(Note::Shift);
    host.ClearCalls();
    Click(Note::FaderFunction);
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(HostParam::CurrentTrack, 0, 11)});
    EXPECT_FALSE(FaderFunctionLit()); // left as it was
    UpdateController(HostParam::CurrentTrack, 11, 0, 0);
    host.ClearCalls();
    Click(Note::FaderFunction);
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(HostParam::CurrentTrack, 0, 4)});
}

TEST_F(ButtonActionsTest, AMissingPunchInCommandSendsNothing) {
    CloseController();
    HostCallbackTable table = host.Table();
    table.CommandCount = CommandIndex(ButtonBank::kPunchInCommandName); // the list ends before it
    ASSERT_EQ(OpenController(&table), 1);
    host.ClearCalls();
    Click(Note::Shift);
    Click(Note::PlayMode);
    EXPECT_TRUE(HostCommands().empty());
}

// The count of messages behind the Shift latch stops at its largest value instead of
// overflowing.
TEST(ButtonBankTest, TheMessageCountStopsAtItsLargestValue) {
    PartContext context;
    ButtonBank bank(context);
    constexpr int32_t kMost = std::numeric_limits<int32_t>::max();
    bank.messageCount = kMost - 1;
    bank.CountMessage();
    bank.CountMessage();
    EXPECT_EQ(bank.messageCount, kMost);
}

} // namespace
