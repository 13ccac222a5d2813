// Closing the controller leaves the surface dark: both display lines blanked, then every LED
// switched off in the bank's order, and nothing sent after that.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/led.h"
#include "controls/midi_map.h"
#include "host/host_interface.h"
#include "midi/midi_exceptions.h"
#include "platform/standin/midi_bus.h"
#include "support/controller_fixture.h"
#include "support/surface_messages.h"

namespace {

using CloseTest = ControllerFixture;

std::vector<uint8_t> BlankLine(uint8_t position) {
    return DisplayLineMessage(position, std::string(16, ' '));
}

// Every note with an LED, in the order the bank darkens them.
const std::vector<uint8_t> kLedOrder = {
    Note::Shift,   Note::Mode0,        Note::Mode1,      Note::Mode2,       Note::Mode3,
    Note::Mode4,   Note::Record,       Note::F1,         Note::F2,          Note::F3,
    Note::F4,      Note::TrackLeft,    Note::TrackRight, Note::PlayMode,    Note::FaderFunction,
    Note::AnySolo, Note::TrackState16, Note::Solo,       Note::TrackState20};

TEST_F(CloseTest, BlanksBothLinesThenDarkensEveryLedInOrder) {
    // A lit LED and a page with text on both lines, so that nothing is off already.
    host.SetName(0, "Bass");
    UpdateController(HostParam::Record, 1, 0, 0);
    UpdateController(HostParam::Name, 0, 0, 0);
    ASSERT_FALSE(SentLong().empty());
    ClearRecords();

    CloseController();
    VirtualSurface::WaitIdle();
    const std::vector<SurfaceMessage> sent = surface->Received();
    ASSERT_EQ(sent.size(), 2 + kLedOrder.size());
    EXPECT_TRUE(sent[0].isLong);
    EXPECT_EQ(sent[0].bytes, BlankLine(SysEx::kLine1Position));
    EXPECT_TRUE(sent[1].isLong);
    EXPECT_EQ(sent[1].bytes, BlankLine(SysEx::kLine2Position));
    for (size_t led = 0; led < kLedOrder.size(); ++led) {
        const SurfaceMessage& message = sent[2 + led];
        EXPECT_FALSE(message.isLong) << "message " << 2 + led;
        EXPECT_EQ(message.word, NoteOn(kLedOrder[led], kLedDark)) << "LED " << led;
    }
}

// A display line that the port refuses at close is reported, and the LEDs still go dark.
TEST_F(CloseTest, ARefusedDisplayLineLeavesNoLedLit) {
    UpdateController(HostParam::Record, 1, 0, 0);
    ClearRecords();
    StandinBusFailNext(STANDIN_BUS_SEND_LONG, MMSYSERR_NOMEM);
    CloseController();
    VirtualSurface::WaitIdle();
    std::vector<DWORD> expected;
    for (uint8_t note : kLedOrder)
        expected.push_back(NoteOn(note, kLedDark));
    EXPECT_EQ(SentShort(), expected);
    EXPECT_NE(debug.Text().find("Korvane: closing the surface failed: "), std::string::npos);
}

// An LED that the port refuses at close is reported once, after the close, and every other LED
// still goes dark.
TEST_F(CloseTest, ARefusedLedLeavesTheOthersDarkened) {
    UpdateController(HostParam::Record, 1, 0, 0);
    ClearRecords();
    StandinBusFailNext(STANDIN_BUS_SEND_SHORT, MMSYSERR_NOMEM); // the first LED, Shift
    CloseController();
    VirtualSurface::WaitIdle();
    std::vector<DWORD> expected;
    for (size_t led = 1; led < kLedOrder.size(); ++led)
        expected.push_back(NoteOn(kLedOrder[led], kLedDark));
    EXPECT_EQ(SentShort(), expected);
    EXPECT_EQ(debug.Text(), std::string("Korvane: feedback to the surface failed: ") +
                                midi::CMIDIOutException(MMSYSERR_NOMEM).what() + "\n");
}

TEST_F(CloseTest, NothingFollowsTheClose) {
    CloseController();
    ClearRecords();
    Ticks(10);
    UpdateController(HostParam::Record, 1, 0, 0);
    Press(Note::Play);
    EXPECT_TRUE(surface->Received().empty());
    EXPECT_TRUE(host.Calls().empty());
}

} // namespace
