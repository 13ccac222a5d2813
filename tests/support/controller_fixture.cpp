#include "support/controller_fixture.h"

#include "host/host_interface.h"
#include "platform/standin/far_side.h"

namespace {
// Flushes the display needs after its greeting before it shows the composed page.
constexpr int kGreetingFlushes = 42;
} // namespace

void ControllerFixture::SetUp() {
    StandinBusReset();
    StandinRegistryUseMemory();
    StandinRegistryClear();
    StandinUseTestClock(kStartTime);
    PumpMessages();
    OfferHostCommands(host);
    surface = std::make_unique<VirtualSurface>();
    if (openOnSetUp)
        Open();
}

void ControllerFixture::TearDown() {
    CloseController();
    surface.reset();
    StandinBusWaitIdle(10000);
    StandinBusCounters counters = {};
    StandinBusGetCounters(&counters);
    char misuse[256];
    StandinBusLastMisuse(misuse, sizeof misuse);
    EXPECT_EQ(counters.misuse, 0u) << "the MIDI API was misused: " << misuse;
    EXPECT_EQ(counters.openInputs + counters.openOutputs, 0u) << "ports left open";
    StandinUseRealClock();
}

void ControllerFixture::Open() {
    HostCallbackTable table = host.Table();
    ASSERT_EQ(OpenController(&table), 1);
    ASSERT_NE(theController, nullptr);
    for (int flush = 0; flush < kGreetingFlushes; ++flush)
        SlowRefresh();
    VirtualSurface::WaitIdle();
    ClearRecords();
}

void ControllerFixture::Advance(DWORD milliseconds) {
    StandinAdvanceClock(milliseconds);
    PumpMessages();
    VirtualSurface::WaitIdle();
}

void ControllerFixture::Ticks(int count) {
    for (int tick = 0; tick < count; ++tick)
        Advance(kRefreshPeriodMs);
}

int ControllerFixture::PumpMessages() {
    int dispatched = 0;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
        ++dispatched;
    }
    return dispatched;
}

void ControllerFixture::ClearRecords() {
    VirtualSurface::WaitIdle();
    surface->ClearReceived();
    host.ClearCalls();
    debug.Clear();
}

void ControllerFixture::ExpectSurfaceInStep() {
    ButtonBank& bank = Controller().buttons;
    std::vector<const MidiNote*> leds = {&bank.shift.midi,         &bank.trackState16.midi,
                                         &bank.solo.midi,          &bank.trackState20.midi,
                                         &bank.record.midi,        &bank.trackLeft.midi,
                                         &bank.trackRight.midi,    &bank.playMode.midi,
                                         &bank.faderFunction.midi, &bank.anySolo.midi};
    for (const StateButton& key : bank.functionKeys)
        leds.push_back(&key.midi);
    for (const StateButton& button : bank.encoderModes.modeButtons)
        leds.push_back(&button.midi);
    for (const MidiNote* led : leds)
        EXPECT_EQ(led->sentValue, led->outValue) << "LED " << int{led->note};
    EXPECT_EQ(Controller().pages.fader.sentValue, Controller().pages.fader.value);
    EXPECT_STREQ(Controller().display.sentLine1, Controller().display.line1);
    EXPECT_STREQ(Controller().display.sentLine2, Controller().display.line2);
}
