// Surface input on the bus thread while the Host's thread runs the timer, sends notifications
// and closes: every entry is serialised by the controller's lock (run under ThreadSanitizer).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "controls/midi_map.h"
#include "host/host_interface.h"
#include "platform/standin/far_side.h"
#include "support/controller_fixture.h"

namespace {

using ConcurrencyTest = ControllerFixture;

// A mix of everything the surface sends: buttons, encoder touches and turns, fader, strip.
DWORD SurfaceMessage(int i) {
    switch (i % 8) {
    case 0:
        return NoteOn(Note::Play, (i / 8) % 2 ? 127 : 0);
    case 1:
        return NoteOn(120, (i / 8) % 2 ? 127 : 0);
    case 2:
        return ShortWord(0xB0, 16, static_cast<uint8_t>(i % 2 ? 1 : 127));
    case 3:
        return NoteOn(104, (i / 8) % 2 ? 127 : 0);
    case 4:
        return ShortWord(0xE0, 0x10, static_cast<uint8_t>(i % 128));
    case 5:
        return NoteOn(116, (i / 8) % 2 ? 127 : 0);
    case 6:
        return ShortWord(0xE9, 0, static_cast<uint8_t>(i % 128));
    default:
        return NoteOn(Note::Shift, (i / 8) % 2 ? 127 : 0);
    }
}

TEST_F(ConcurrencyTest, InputDuringTicksNotificationsAndClose) {
    constexpr int kMessages = 20000;
    for (int i = 0; i < kMessages; ++i) {
        surface->Inject(SurfaceMessage(i));
        if (i % 50 == 0) {
            StandinAdvanceClock(kRefreshPeriodMs); // without waiting for the bus
            PumpMessages();
            UpdateController(19, i % 7, 0, 0);
            UpdateController(17, i % 7, i % 2, 0);
            UpdateController(23, i % 7, 0, 0);
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
