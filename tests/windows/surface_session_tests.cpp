// Sessions with the surface on the real Windows API (under 32-bit Wine or wine64): the plug-in
// loaded by path, the virtual surface on the replacement winmm.dll, the refresh timer through this
// thread's message loop, the settings in the real registry and the debugger output captured.
// Everything runs on real time, so the waits are bounded by what the module promises (a slow
// refresh within a little over 300 ms) with room for a loaded machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "controls/midi_map.h"
#include "host_session.h"
#include "loaded_module.h"
#include "support/case_name.h"
#include "support/debug_capture.h"
#include "support/recording_host.h"
#include "support/virtual_surface.h"
#include "support/watchdog.h"

namespace {

const std::vector<uint8_t> kInitMessage = InitMessage();
constexpr int32_t kTrackNotification = HostParam::CurrentTrack;
// A wait for something that follows within a slow refresh or two; only a fault takes longer.
constexpr DWORD kRefreshWaitMs = 3000;
// Shorter than two timer periods: no slow refresh can run in it.
constexpr DWORD kNoRefreshMs = 200;
// The motor fader keeps still for this long after the fader is released.
constexpr DWORD kReleaseHoldMs = 800;

std::vector<uint8_t> Line1(const std::string& text) {
    return DisplayLineMessage(SysEx::kLine1Position, text);
}
std::vector<uint8_t> Line2(const std::string& text) {
    return DisplayLineMessage(SysEx::kLine2Position, text);
}

// Positions of the level law: -6 dB and -12 dB.
constexpr int kMinus6Db = 657;
constexpr int kMinus12Db = 556;

template <typename T>
bool Contains(const std::vector<T>& items, const T& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

class SurfaceSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(plugin.Complete()) << "Korvane.cv2 did not load: " << GetLastError();
        StandinBusReset();
        ClearStoredSettings();
        OfferHostCommands(host);
        surface = std::make_unique<VirtualSurface>();
    }

    void TearDown() override {
        plugin.Close();
        surface.reset();
        EXPECT_NE(StandinBusWaitIdle(kRefreshWaitMs), 0);
        char misuse[256];
        StandinBusLastMisuse(misuse, sizeof misuse);
        EXPECT_EQ(BusCounters().misuse, 0u) << "the MIDI API was misused: " << misuse;
        EXPECT_EQ(BusCounters().openInputs + BusCounters().openOutputs, 0u) << "ports left open";
        ClearStoredSettings();
    }

    void Open() {
        HostCallbackTable table = host.Table();
        ASSERT_EQ(plugin.Open(&table), 1);
    }

    // Opens and waits until the greeting is on the display, then forgets what was recorded.
    void OpenAndGreet() {
        Open();
        ASSERT_TRUE(PumpUntilLongMessages(3));
        Forget();
    }

    bool PumpUntilLongMessages(size_t count) {
        return PumpMessagesUntil([&] { return surface->LongMessages().size() >= count; },
                                 kRefreshWaitMs);
    }
    bool PumpUntilSent(DWORD word) {
        return PumpMessagesUntil([&] { return Contains(surface->ShortMessages(), word); },
                                 kRefreshWaitMs);
    }

    void Forget() {
        VirtualSurface::WaitIdle();
        surface->ClearReceived();
        host.ClearCalls();
        debug.Clear();
    }

    LoadedModule plugin;
    RecordingHost host;
    DebugCapture debug;
    std::unique_ptr<VirtualSurface> surface;
};

TEST_F(SurfaceSessionTest, OpeningInitialisesTheSurfaceAndTheFirstSlowRefreshGreetsIt) {
    Open();
    PumpMessagesFor(kNoRefreshMs);
    EXPECT_EQ(surface->LongMessages(), std::vector<std::vector<uint8_t>>{kInitMessage});
    ASSERT_TRUE(PumpUntilLongMessages(3));
    EXPECT_EQ(surface->LongMessages(),
              (std::vector<std::vector<uint8_t>>{kInitMessage, Line1("   Welcome to"),
                                                 Line2("   Korvane")}));
    EXPECT_EQ(debug.Text(), "");
}

TEST_F(SurfaceSessionTest, TheRefreshTimerRunsThroughTheHostsMessageLoop) {
    OpenAndGreet();
    host.SetDouble(HostParam::Level, 0, -6.0);
    // 120 ms timer: about five periods in 650 ms, allowing for a loaded machine.
    const int ticks = PumpMessagesFor(650);
    EXPECT_GE(ticks, 3);
    EXPECT_LE(ticks, 6);
    EXPECT_TRUE(Contains(surface->ShortMessages(), FaderWord(kMinus6Db)));
}

TEST_F(SurfaceSessionTest, ATrackStepSelectsTheNextTrackAndTheMotorFollowsItsLevel) {
    OpenAndGreet();
    host.SetDouble(HostParam::Level, 1, -12.0);
    surface->Press(Note::TrackRight);
    surface->Release(Note::TrackRight);
    EXPECT_EQ(host.CallsOf(HostCall::Set),
              std::vector<HostCall>{SetCall(HostParam::CurrentTrack, 0, 1)});
    plugin.Update(kTrackNotification, 1, 0, 0);
    EXPECT_TRUE(PumpUntilSent(FaderWord(kMinus12Db)));
}

TEST_F(SurfaceSessionTest, ATouchedFaderMoveSetsTheLevelAndIsEchoed) {
    OpenAndGreet();
    surface->Press(Note::FaderTouch);
    surface->Send(FaderWord(kMinus6Db));
    surface->Release(Note::FaderTouch);
    EXPECT_EQ(host.CallsOf(HostCall::Set),
              std::vector<HostCall>{SetCall(HostParam::Level, -600, 0)});
    EXPECT_EQ(surface->ShortMessages(), std::vector<DWORD>{FaderWord(kMinus6Db)});
    // A move of the untouched fader is ignored.
    Forget();
    surface->Send(FaderWord(kMinus12Db));
    EXPECT_TRUE(host.CallsOf(HostCall::Set).empty());
    EXPECT_TRUE(surface->ShortMessages().empty());
}

TEST_F(SurfaceSessionTest, AHostLevelChangeMovesTheMotorButNotUnderTheUsersFinger) {
    OpenAndGreet();
    host.SetDouble(HostParam::Level, 0, -6.0);
    plugin.Update(HostParam::Level, 0, 0, 0);
    EXPECT_TRUE(surface->ShortMessages().empty()); // the level waits for the slow refresh
    ASSERT_TRUE(PumpUntilSent(FaderWord(kMinus6Db)));

    surface->Press(Note::FaderTouch);
    host.SetDouble(HostParam::Level, 0, -12.0);
    plugin.Update(HostParam::Level, 0, 0, 0);
    PumpMessagesFor(2 * kNoRefreshMs + 300);
    EXPECT_FALSE(Contains(surface->ShortMessages(), FaderWord(kMinus12Db)));
    surface->Release(Note::FaderTouch);
    const DWORD released = GetTickCount();
    // After the release the Host's level is only recorded until the hold is over, and then
    // not sent either: the motor moves again on the next change.
    PumpMessagesFor(kReleaseHoldMs + 400);
    EXPECT_FALSE(Contains(surface->ShortMessages(), FaderWord(kMinus12Db)));
    host.SetDouble(HostParam::Level, 0, -6.0);
    ASSERT_TRUE(PumpUntilSent(FaderWord(kMinus6Db)));
    EXPECT_GE(GetTickCount() - released, kReleaseHoldMs);
}

TEST_F(SurfaceSessionTest, ShiftF2SendsTheCommandStoredInTheRegistry) {
    ASSERT_TRUE(StoreSetting("Shift F2", "Save All"));
    OpenAndGreet();
    surface->Press(Note::Shift);
    surface->Press(Note::F2);
    surface->Release(Note::F2);
    surface->Release(Note::Shift);
    surface->Press(Note::F2);
    surface->Release(Note::F2);
    const int32_t shiftF2 = CommandIndex("Save All");
    const int32_t f2 = CommandIndex("Multitrack / Edit View toggle");
    EXPECT_EQ(host.CallsOf(HostCall::Command),
              (std::vector<HostCall>{
                  CommandCall(shiftF2, kCommandKeyDown), CommandCall(shiftF2, kCommandKeyUp),
                  CommandCall(f2, kCommandKeyDown), CommandCall(f2, kCommandKeyUp)}));
}

TEST_F(SurfaceSessionTest, ClosingBlanksTheDisplayDarkensTheLedsAndStopsTheTimer) {
    OpenAndGreet();
    plugin.Update(HostParam::Record, 1, 0, 0);
    plugin.Close();
    VirtualSurface::WaitIdle();
    const auto lines = surface->LongMessages();
    EXPECT_EQ(lines, (std::vector<std::vector<uint8_t>>{Line1(""), Line2("")}));
    EXPECT_TRUE(Contains(surface->ShortMessages(), NoteOn(Note::Record, kReleasedVelocity)));
    EXPECT_EQ(BusCounters().openInputs + BusCounters().openOutputs, 0u);
    EXPECT_EQ(PumpMessagesFor(2 * kNoRefreshMs + 100), 0);
}

TEST_F(SurfaceSessionTest, InputWhileTheTimerRunsAndTheHostNotifiesIsAllHandled) {
    OpenAndGreet();
    surface->Press(Note::FaderTouch);
    constexpr int kMoves = 200;
    for (int move = 0; move < kMoves; ++move)
        surface->Inject(FaderWord(move * 5));
    for (int notification = 0; notification < 20; ++notification) {
        plugin.Update(kTrackNotification, notification % 3, 0, 0);
        PumpMessagesFor(20);
    }
    VirtualSurface::WaitIdle();
    surface->Release(Note::FaderTouch);
    EXPECT_EQ(BusCounters().dropped, 0u);
    EXPECT_EQ(host.CallsOf(HostCall::Set).size(), static_cast<size_t>(kMoves));
}

// Hosts as real ones behave, on the real API: one that holds its own lock while it notifies,
// one that runs other threads' calls on its own thread only while it pumps. Stop and F1 are
// clicked in a flood of input while this thread notifies and pumps; nothing hangs (a watchdog
// ends the program), every press reaches the Host once, and the Host's last word is shown.
class HostKindSessionTest : public SurfaceSessionTest,
                            public testing::WithParamInterface<NamedHostKind> {};

TEST_P(HostKindSessionTest, AFloodOfPressesWhileTheHostNotifiesNeitherHangsNorLosesOne) {
    constexpr int kPresses = 150;
    const int32_t notified[] = {HostParam::Record, HostParam::Solo, HostParam::CurrentTrack,
                                HostParam::Level, HostParam::Name};
    Watchdog watchdog("the flood against the Host's thread", std::chrono::seconds(90));
    host.BecomeKind(GetParam().kind);
    OpenAndGreet();
    std::atomic<bool> fed{false};
    const uint8_t clicked[] = {Note::Stop, Note::F1, Note::FaderTouch};
    std::thread feeder([&] {
        for (int press = 0; press < kPresses; ++press) {
            for (uint8_t note : clicked) {
                surface->Inject(NoteOn(note, kPressedVelocity));
                if (note == Note::FaderTouch)
                    surface->Inject(FaderWord(press * 5));
                surface->Inject(NoteOn(note, kReleasedVelocity));
            }
        }
        fed = true;
    });
    for (int round = 0; !fed.load() || StandinBusWaitIdle(0) == 0; ++round) {
        host.RunNotifying([&] {
            for (int32_t code : notified)
                plugin.Update(code, round % 3, round % 2, 0);
        });
        PumpMessagesFor(2);
    }
    feeder.join();

    const std::vector<HostCall> sets = host.CallsOf(HostCall::Set);
    EXPECT_EQ(std::count(sets.begin(), sets.end(), SetCall(HostParam::Stop, 1)), kPresses);
    const std::vector<HostCall> commands = host.CallsOf(HostCall::Command);
    const HostCall f1Down = CommandCall(CommandIndex("Mixer panel toggle"), kCommandKeyDown);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), f1Down), kPresses);
    host.RunNotifying([&] {
        plugin.Update(HostParam::CurrentTrack, 2, 0, 0);
        plugin.Update(HostParam::Record, 1, 0, 0);
        plugin.Update(HostParam::TrackState16, 2, 1, 0);
    });
    EXPECT_TRUE(PumpMessagesUntil(
        [&] {
            return surface->LastNoteValue(Note::Record) == kPressedVelocity &&
                   surface->LastNoteValue(Note::TrackState16) == kPressedVelocity;
        },
        kRefreshWaitMs));
}

INSTANTIATE_TEST_SUITE_P(Hosts, HostKindSessionTest, testing::ValuesIn(kRealHostKinds), CaseName());

class MissingSurfaceTest : public SurfaceSessionTest {
protected:
    void SetUp() override {
        SurfaceSessionTest::SetUp();
        surface->Unplug();
    }
};

TEST_F(MissingSurfaceTest, WithoutItsPortsTheControllerSaysSoAndStaysInert) {
    Open();
    EXPECT_EQ(debug.Text(), "Couldn't find Osterlink Midi port\n");
    plugin.Update(HostParam::Record, 1, 0, 0);
    EXPECT_GE(PumpMessagesFor(400), 1);
    EXPECT_EQ(BusCounters().openInputs + BusCounters().openOutputs, 0u);
    EXPECT_EQ(BusCounters().shortSent + BusCounters().longSent, 0u);
}

struct AttachFailure {
    const char* name;
    MMRESULT result;
    const char* diagnostic;
};

class AttachFailureTest : public SurfaceSessionTest,
                          public ::testing::WithParamInterface<AttachFailure> {};

// The diagnostic is formatted by the platform's wsprintfA from the platform's error text, or
// from the result code when the platform has no text for it (a driver's own code).
TEST_P(AttachFailureTest, AnInputThatCannotBeOpenedIsReportedAndTheOutputStillWorks) {
    StandinBusFailNext(STANDIN_BUS_OPEN_INPUT, GetParam().result);
    Open();
    EXPECT_EQ(debug.Text(), GetParam().diagnostic);
    EXPECT_TRUE(PumpUntilLongMessages(3));
    EXPECT_EQ(surface->LongMessages().front(), kInitMessage);
    EXPECT_EQ(BusCounters().openInputs, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Results, AttachFailureTest,
    ::testing::Values(AttachFailure{"InUse", MMSYSERR_ALLOCATED,
                                    "Error attaching to Osterlink Midi port The specified device "
                                    "is already in use. Wait until it is free, and then try "
                                    "again.\n"},
                      AttachFailure{"DriversOwnCode", 1234,
                                    "Error attaching to Osterlink Midi port Unknown MIDI input "
                                    "error 1234\n"}),
    CaseName());

// ---- The surface coming and going, on real time --------------------------------------------

// The controller looks for an absent surface, and checks an attached one's ports, every 2 s.
constexpr DWORD kLookWaitMs = 2000 + kRefreshWaitMs;
constexpr char kGone[] = "Korvane: the surface is gone; its ports are closed\n";
constexpr char kAttached[] = "Korvane: attached to the surface: ";

bool StopReachesTheHost(RecordingHost& host, VirtualSurface& surface) {
    host.ClearCalls();
    surface.Press(Note::Stop);
    surface.Release(Note::Stop);
    return host.CallsOf(HostCall::Set) == std::vector<HostCall>{SetCall(HostParam::Stop, 1)};
}

TEST_F(MissingSurfaceTest, ASurfacePluggedInAfterTheOpenIsAttachedAtTheNextLook) {
    Open();
    surface->Plug();
    ASSERT_TRUE(PumpMessagesUntil([&] { return !surface->LongMessages().empty(); }, kLookWaitMs));
    EXPECT_EQ(surface->LongMessages().front(), kInitMessage);
    EXPECT_NE(debug.Text().find(kAttached), std::string::npos);
    EXPECT_TRUE(StopReachesTheHost(host, *surface));
}

TEST_F(SurfaceSessionTest, AnUnpluggedSurfaceIsLetGoAndAttachedAgainWhenItComesBack) {
    OpenAndGreet();
    surface->Unplug();
    ASSERT_TRUE(PumpMessagesUntil([&] { return debug.Text().find(kGone) != std::string::npos; },
                                  kLookWaitMs));
    EXPECT_EQ(BusCounters().openInputs + BusCounters().openOutputs, 0u);
    surface->Plug();
    ASSERT_TRUE(PumpMessagesUntil([&] { return !surface->LongMessages().empty(); }, kLookWaitMs));
    EXPECT_EQ(surface->LongMessages().front(), kInitMessage);
    EXPECT_TRUE(StopReachesTheHost(host, *surface));
}

} // namespace
