// Thread stress, meant for the thread-sanitizer build: a flood of surface input on the bus
// thread while the Host's thread pumps the timer, sends every notification code and opens
// the settings dialog; and open/close cycles with input arriving during the close. Every wait
// is bounded (a watchdog ends a deadlocked run), the bus must report no misuse and every
// display message must be exactly 24 bytes. The figures are printed at the end.
//
// KORVANE_STRESS_MESSAGES and KORVANE_STRESS_CYCLES scale the run (defaults below).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <thread>
#include <vector>

#include "controls/key_assignments.h"
#include "controls/midi_map.h"
#include "host/host_interface.h"
#include "platform/standin/dialog_user.h"
#include "platform/standin/far_side.h"
#include "platform/standin/midi_bus.h"
#include "support/controller_fixture.h"
#include "support/surface_messages.h"
#include "support/watchdog.h"

namespace {

constexpr long kDefaultMessages = 300000;
constexpr long kDefaultCycles = 100;
constexpr DWORD kIdleWaitMs = 60000;
const size_t kInitMessageBytes = InitMessage().size();
// How far the feeder may run ahead of the bus, so that input keeps arriving during the whole
// run instead of queueing up at its start.
constexpr DWORD kMaxQueued = 2000;
constexpr int32_t kLastNotificationCode = HostParam::Name;

long Scale(const char* variable, long fallback) {
    const char* text = std::getenv(variable);
    const long value = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
    return value > 0 ? value : fallback;
}

// Everything the surface sends: every button, the encoders' touches, pushes and turns, the
// fader, the touch strip, and some messages no control claims.
DWORD SurfaceWord(long i) {
    static const uint8_t kNotes[] = {Note::Shift,
                                     Note::Mode0,
                                     Note::Mode1,
                                     Note::Mode2,
                                     Note::Mode3,
                                     Note::Mode4,
                                     Note::Solo,
                                     Note::Play,
                                     Note::Record,
                                     Note::Stop,
                                     Note::F1,
                                     Note::F4,
                                     Note::Rewind,
                                     Note::TrackLeft,
                                     Note::TrackRight,
                                     Note::PlayMode,
                                     Note::FaderFunction,
                                     Note::TrackState16,
                                     Note::TrackState20,
                                     Note::Footswitch,
                                     Note::FaderTouch,
                                     Note::Encoder1Touch,
                                     Note::Encoder2Touch,
                                     Note::Encoder3Touch,
                                     Note::Encoder1Press,
                                     Note::Encoder2Press,
                                     Note::Encoder3Press,
                                     Note::StripTouch,
                                     Note::StripSecondTouch};
    // Every status of a channel message, 0x80 to 0xEF: mapped, on other channels, or of
    // kinds the surface never sends.
    constexpr uint8_t kFirstChannelStatus = 0x80;
    constexpr unsigned long kChannelStatusCount = 0x70;
    const auto pick = static_cast<unsigned long>(i);
    const bool on = (pick / 7) % 2 == 0;
    const auto seven = static_cast<uint8_t>(pick % 128);
    switch (pick % 6) {
    case 0:
    case 1:
        return NoteOn(kNotes[pick % sizeof kNotes], on ? kPressedVelocity : kReleasedVelocity);
    case 2:
        return ControlChange(EncoderTurnNumber(static_cast<int>(pick % kEncoderCount)),
                             on ? kTurnForward : kTurnBack);
    case 3:
        return FaderWord(seven << 3 | static_cast<int>(pick % 8));
    case 4:
        return PitchBend(Channel::Strip, seven << 3);
    default:
        return ShortWord(static_cast<uint8_t>(kFirstChannelStatus | pick % kChannelStatusCount),
                         seven, seven);
    }
}

// Checks every message the module sends; runs on whichever thread sends.
struct OutputCheck {
    std::atomic<unsigned long> shortMessages{0};
    std::atomic<unsigned long> displayMessages{0};
    std::atomic<unsigned long> malformed{0};

    static void Sink(int, DWORD, const BYTE* bytes, DWORD length, void* context) {
        auto* self = static_cast<OutputCheck*>(context);
        if (bytes == nullptr)
            ++self->shortMessages;
        else if (length == kDisplayLineBytes)
            ++self->displayMessages;
        else if (length != kInitMessageBytes)
            ++self->malformed;
    }
};

// Picks a command for the first keys and presses OK.
void ChooseAndConfirm(HWND dialog, void* context) {
    const auto round = static_cast<int>(reinterpret_cast<intptr_t>(context));
    StandinDialogSelect(dialog, KeyId::F1, round % 5);
    StandinDialogSelect(dialog, KeyId::Footswitch, round % 7);
    StandinDialogPress(dialog, IDOK);
}

class StressTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        host.RecordReads(false);
        StandinBusSetOutputSink(&OutputCheck::Sink, &output);
    }
    void TearDown() override {
        ControllerFixture::TearDown();
        StandinSetDialogUser(nullptr, nullptr);
        EXPECT_EQ(output.malformed.load(), 0u) << "display messages that are not 24 bytes";
    }

    // Queues `count` messages (or until told to stop) from a thread of its own, never more
    // than kMaxQueued ahead of the bus.
    std::thread Feeder(long count) {
        return std::thread([this, count] {
            for (long i = 0; i < count && !stopFeeding.load(); ++i) {
                while (Queued() > kMaxQueued)
                    std::this_thread::yield();
                surface->Inject(SurfaceWord(i));
                ++injected;
            }
        });
    }
    DWORD Queued() const {
        const StandinBusCounters counters = BusCounters();
        return static_cast<DWORD>(injected.load() - counters.delivered - counters.dropped);
    }

    // One round of the Host's thread: a timer period, every notification code, and every
    // so often the settings dialog.
    void HostRound(long round) {
        // The clock moves without waiting for the bus, which the feeder never lets go idle.
        StandinAdvanceClock(kRefreshPeriodMs);
        PumpMessages();
        for (int32_t code = 0; code <= kLastNotificationCode; ++code)
            UpdateController(code, static_cast<int32_t>(round % 3), static_cast<int32_t>(round % 2),
                             0);
        if (round % 25 == 0) {
            StandinSetDialogUser(&ChooseAndConfirm, reinterpret_cast<void*>(round));
            ConfigureController(nullptr, nullptr, host.CommandCount(), &RecordingHost::EnumCommand);
        }
        host.ClearCalls();
    }

    OutputCheck output;
    std::atomic<unsigned long> injected{0};
    std::atomic<bool> stopFeeding{false};
};

TEST_F(StressTest, FloodOfSurfaceInputWhileTheHostThreadWorks) {
    const long messages = Scale("KORVANE_STRESS_MESSAGES", kDefaultMessages);
    Watchdog watchdog("the input flood");
    const auto started = std::chrono::steady_clock::now();
    std::thread feeder = Feeder(messages);
    long rounds = 0;
    while (injected.load() < static_cast<unsigned long>(messages))
        HostRound(rounds++);
    feeder.join();
    ASSERT_EQ(StandinBusWaitIdle(kIdleWaitMs), 1) << "the bus did not drain";
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const StandinBusCounters counters = BusCounters();
    EXPECT_EQ(counters.delivered + counters.dropped, static_cast<DWORD>(messages));
    EXPECT_EQ(counters.misuse, 0u);
    EXPECT_GT(output.displayMessages.load(), 0u); // the length check saw the display at work
    std::printf("stress flood: %ld messages injected, %lu delivered, %lu Host rounds, "
                "%lu LED/fader messages, %lu display messages, %lu malformed, misuse %lu, "
                "%.1f s\n",
                messages, static_cast<unsigned long>(counters.delivered),
                static_cast<unsigned long>(rounds), output.shortMessages.load(),
                output.displayMessages.load(), output.malformed.load(),
                static_cast<unsigned long>(counters.misuse), seconds);
}

TEST_F(StressTest, OpenAndCloseCyclesWithInputArrivingDuringTheClose) {
    const long cycles = Scale("KORVANE_STRESS_CYCLES", kDefaultCycles);
    // Each open controller handles this much input before it closes with more on the way.
    constexpr DWORD kDeliveredPerCycle = 100;
    Watchdog watchdog("the open/close cycles");
    const auto started = std::chrono::steady_clock::now();
    std::thread feeder = Feeder(std::numeric_limits<long>::max());
    long completed = 0;
    for (; completed < cycles; ++completed) {
        const DWORD deliveredBefore = BusCounters().delivered;
        while (BusCounters().delivered - deliveredBefore < kDeliveredPerCycle)
            std::this_thread::yield();
        CloseController(); // the feeder keeps the input coming during the close
        ASSERT_EQ(theController, nullptr);
        HostCallbackTable table = host.Table();
        ASSERT_EQ(OpenController(&table), 1);
        HostRound(completed);
    }
    stopFeeding = true;
    feeder.join();
    ASSERT_EQ(StandinBusWaitIdle(kIdleWaitMs), 1) << "the bus did not drain";
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const StandinBusCounters counters = BusCounters();
    EXPECT_EQ(counters.misuse, 0u);
    EXPECT_EQ(counters.openInputs, 1u);
    EXPECT_EQ(counters.openOutputs, 1u);
    std::printf("stress cycles: %ld open/close cycles, %lu messages injected, %lu delivered, "
                "%lu dropped by a stopped port, %lu display messages, misuse %lu, %.1f s\n",
                completed, injected.load(), static_cast<unsigned long>(counters.delivered),
                static_cast<unsigned long>(counters.dropped), output.displayMessages.load(),
                static_cast<unsigned long>(counters.misuse), seconds);
}

} // namespace
