#include "support/controller_fixture.h"

#include <algorithm>
#include <iterator>

#include "display/text_display.h"
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
    shownBeforeClear = Picture();
    surface->ClearReceived();
    host.ClearCalls();
    debug.Clear();
}

void ControllerFixture::ExpectSurfaceInStep(int32_t currentTrack) {
    const SurfacePicture before = Picture();
    UpdateController(HostParam::CurrentTrack, currentTrack + 1, 0, 0);
    UpdateController(HostParam::CurrentTrack, currentTrack, 0, 0);
    const SurfacePicture after = Picture();
    EXPECT_EQ(after.leds, before.leds);
    EXPECT_EQ(after.fader, before.fader);
    EXPECT_EQ(after.line1, before.line1);
    EXPECT_EQ(after.line2, before.line2);
}

ControllerFixture::SurfacePicture ControllerFixture::Picture() const {
    VirtualSurface::WaitIdle();
    SurfacePicture picture = shownBeforeClear;
    for (const SurfaceMessage& message : surface->Received()) {
        if (message.isLong) {
            const std::vector<uint8_t>& bytes = message.bytes;
            if (bytes.size() == kDisplayLineBytes)
                (bytes[kDisplayPositionAt] == SysEx::kLine1Position ? picture.line1
                                                                    : picture.line2) =
                    std::string(bytes.begin() + kDisplayTextAt, bytes.end() - 1);
            continue;
        }
        const uint8_t status = message.word & 0xFF;
        const uint8_t data1 = (message.word >> 8) & 0xFF;
        const uint8_t data2 = (message.word >> 16) & 0xFF;
        if (status == (Status::PitchBend | Channel::Fader))
            picture.fader = (data1 >> 4) | (data2 << 3);
        for (size_t led = 0; led < std::size(kLedNotes); ++led)
            if (status == Status::NoteOn && data1 == kLedNotes[led])
                picture.leds[led] = data2;
    }
    return picture;
}
