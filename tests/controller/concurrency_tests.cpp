// Surface input on the bus thread while the Host's thread runs the timer, sends notifications
// and closes: every entry is serialised by the controller's lock (run under ThreadSanitizer).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "controls/midi_map.h"
#include "host/host_api.h"
#include "host/host_interface.h"
#include "platform/standin/far_side.h"
#include "support/controller_fixture.h"
#include "support/surface_messages.h"

namespace {

using ConcurrencyTest = ControllerFixture;

// A mix of everything the surface sends: buttons, encoder touches and turns, fader, strip.
DWORD SurfaceMessage(int i) {
    // A turn of 63 steps back, the longest one message carries.
    constexpr uint8_t kLongestTurnBack = 127;
    const uint8_t velocity = (i / 8) % 2 ? kPressedVelocity : kReleasedVelocity;
    switch (i % 8) {
    case 0:
        return NoteOn(Note::Play, velocity);
    case 1:
        return NoteOn(Note::Encoder1Touch, velocity);
    case 2:
        return ControlChange(ControlNumber::Encoder1Turn, i % 2 ? kTurnForward : kLongestTurnBack);
    case 3:
        return NoteOn(Note::FaderTouch, velocity);
    case 4: // the fader and the strip move through the positions 8 apart
        return FaderWord((i * 8 + 1) % kPositionCount);
    case 5:
        return NoteOn(Note::StripTouch, velocity);
    case 6:
        return PitchBend(Channel::Strip, i * 8 % kPositionCount);
    default:
        return NoteOn(Note::Shift, velocity);
    }
}

TEST_F(ConcurrencyTest, InputDuringTicksNotificationsAndClose) {
    constexpr int kMessages = 20000;
    for (int i = 0; i < kMessages; ++i) {
        surface->Inject(SurfaceMessage(i));
        if (i % 50 == 0) {
            StandinAdvanceClock(kRefreshPeriodMs); // without waiting for the bus
            PumpMessages();
            UpdateController(HostParam::CurrentTrack, i % 7, 0, 0);
            UpdateController(HostParam::Solo, i % 7, i % 2, 0);
            UpdateController(HostParam::Pan, i % 7, 0, 0);
        }
    }
    // Close while the bus is still delivering.
    for (int i = 0; i < 2000; ++i)
        surface->Inject(SurfaceMessage(i));
    CloseController();
    EXPECT_EQ(theController, nullptr);
    VirtualSurface::WaitIdle();
}

TEST_F(ConcurrencyTest, RepeatedOpenAndCloseWithInputArriving) {
    for (int cycle = 0; cycle < 20; ++cycle) {
        for (int i = 0; i < 200; ++i)
            surface->Inject(SurfaceMessage(i));
        CloseController();
        HostCallbackTable table = host.Table();
        ASSERT_EQ(OpenController(&table), 1);
    }
}

} // namespace
