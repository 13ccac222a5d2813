// One session with the plug-in as the Host has it: libkorvane.so loaded by path and reached
// only through its five exports, a scripted Host behind the callback table, and the surface
// on the virtual MIDI bus. The plug-in and this program share the platform stand-in, so both
// see the same bus, clock, registry and message queue.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "controls/midi_map.h"
#include "host/host_interface.h"
#include "platform/standin/far_side.h"
#include "plugin_module.h"
#include "support/recording_host.h"
#include "support/stored_settings.h"
#include "support/virtual_surface.h"

namespace {

using Message = std::vector<uint8_t>;

Message Line1(const std::string& text) {
    return DisplayLineMessage(SysEx::kLine1Position, text);
}
Message Line2(const std::string& text) {
    return DisplayLineMessage(SysEx::kLine2Position, text);
}

// Messages as readable text for the comparisons: printable bytes as they are, the others in
// hex ("<F0><00><01>@ <00><10>Trk05 Mark  R20 <F7>").
std::vector<std::string> Rendered(const std::vector<Message>& messages) {
    std::vector<std::string> texts;
    for (const Message& message : messages) {
        std::string text;
        for (const uint8_t byte : message) {
            if (byte >= 0x20 && byte < 0x7F) {
                text += static_cast<char>(byte);
            } else {
                char hex[5];
                std::snprintf(hex, sizeof hex, "<%02X>", byte);
                text += hex;
            }
        }
        texts.push_back(text);
    }
    return texts;
}

constexpr DWORD kStartTime = 5000000;
const Message kInitMessage = InitMessage();
constexpr int32_t kFirstTrack = 3;  // shown as track 4
constexpr int32_t kSecondTrack = 4; // shown as track 5
constexpr int kGreetingHoldRefreshes = 40;
constexpr int kTrackPageRefreshes = 8;
// The motor leaves the fader alone for this long after a release.
constexpr DWORD kMotorHoldMs = 800;

// The Host's commands: the default of Shift-F2 and the command the user assigned instead.
const std::vector<std::string> kHostCommands = {"Mixer panel toggle", "Insert: MIDI Track",
                                                "Edit: Copy", "Zoom In Horizontally"};
constexpr int32_t kAssignedShiftF2 = 2; // "Edit: Copy"

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        StandinBusReset();
        StandinRegistryUseMemory();
        StandinRegistryClear();
        StandinUseTestClock(kStartTime);
        PumpMessages();
        for (const std::string& name : kHostCommands)
            host.AddCommand(name);
        ASSERT_TRUE(StoreSetting("Shift F2", kHostCommands[kAssignedShiftF2]));
        host.SetName(kFirstTrack, "Bass");
        host.SetInt(HostParam::Pan, kFirstTrack, -37);
        host.SetDouble(HostParam::Level, kFirstTrack, -6.0);
        host.SetName(kSecondTrack, "Lead Vocals");
        host.SetInt(HostParam::Pan, kSecondTrack, 20);
        host.SetDouble(HostParam::Level, kSecondTrack, 3.0);
        surface = std::make_unique<VirtualSurface>();
        plugin = sim::PluginModule::Load(KORVANE_LIBRARY_PATH, loadError);
    }
    void TearDown() override {
        if (plugin != nullptr)
            plugin->close(); // nothing happens when the session closed already
        plugin.reset();
        surface.reset();
        const StandinBusCounters counters = BusCounters();
        EXPECT_EQ(counters.misuse, 0u) << "the MIDI API was misused";
        EXPECT_EQ(counters.openInputs + counters.openOutputs, 0u) << "ports left open";
        StandinUseRealClock();
    }

    static void PumpMessages() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
    // Lets time pass as the Host's message loop does: the refresh timer runs on this thread.
    void Advance(DWORD milliseconds) {
        StandinAdvanceClock(milliseconds);
        PumpMessages();
        VirtualSurface::WaitIdle();
    }
    void Ticks(int count) {
        for (int tick = 0; tick < count; ++tick)
            Advance(kRefreshPeriodMs);
    }
    // Three timer periods: one slow refresh.
    void SlowRefreshes(int count) { Ticks(3 * count); }

    void Clear() {
        VirtualSurface::WaitIdle();
        surface->ClearReceived();
        host.ClearCalls();
    }
    std::vector<std::string> SentLong() const { return Rendered(surface->LongMessages()); }
    std::vector<DWORD> SentShort() const { return surface->ShortMessages(); }

    void Bend(int position) { surface->Send(FaderWord(position)); }

    RecordingHost host;
    std::unique_ptr<VirtualSurface> surface;
    std::unique_ptr<sim::PluginModule> plugin;
    std::string loadError;
};

TEST_F(SessionTest, OpenGreetStepMoveFollowCommandClose) {
    ASSERT_NE(plugin, nullptr) << loadError;

    // The Host asks who the plug-in is.
    ControllerInfo info = {};
    ASSERT_EQ(plugin->query(&info), 1);
    EXPECT_EQ(info.id, kControllerId);
    EXPECT_STREQ(info.name, "Korvane");

    // Open: the surface is told it has a controller, and nothing else goes out yet.
    HostCallbackTable table = host.Table();
    ASSERT_EQ(plugin->open(&table), 1);
    VirtualSurface::WaitIdle();
    EXPECT_EQ(SentLong(), Rendered({kInitMessage}));

    // The Host reports its current track; the display's first flush is the greeting.
    Clear();
    plugin->update(HostParam::CurrentTrack, kFirstTrack, 0, 0);
    EXPECT_EQ(SentLong(), Rendered({Line1("   Welcome to   "), Line2("   Korvane      ")}));
    // A new track moves the motor to its -6 dB at once.
    const std::vector<DWORD> atTrack = SentShort();
    EXPECT_NE(std::find(atTrack.begin(), atTrack.end(), FaderWord(657)), atTrack.end());

    // The greeting stays for 40 refreshes; the next one shows the track's page.
    Clear();
    SlowRefreshes(kGreetingHoldRefreshes);
    EXPECT_TRUE(SentLong().empty());
    SlowRefreshes(1);
    EXPECT_EQ(SentLong(), Rendered({Line1("Bass        Pan "), Line2("Trk04 Mark  L37 ")}));

    // A track step: the plug-in asks for the next track, the Host answers with the new
    // current track, and the display shows the track's page in full.
    Clear();
    surface->Press(Note::TrackRight);
    surface->Release(Note::TrackRight);
    EXPECT_EQ(host.CallsOf(HostCall::Set),
              std::vector<HostCall>{SetCall(HostParam::CurrentTrack, 0, kSecondTrack)});
    plugin->update(HostParam::CurrentTrack, kSecondTrack, 0, 0);
    EXPECT_EQ(SentLong(), Rendered({Line1("Lead Vocals     "), Line2("Track 5         ")}));
    // The page holds for 8 refreshes, then gives way to the idle page of the new track.
    Clear();
    SlowRefreshes(kTrackPageRefreshes - 1);
    EXPECT_TRUE(SentLong().empty());
    SlowRefreshes(1);
    EXPECT_EQ(SentLong(), Rendered({Line1("LeadVocals  Pan "), Line2("Trk05 Mark  R20 ")}));

    // A fader move: touched, moved to 0 dB, the Host told and the position echoed; the
    // display shows the level page while the finger rests on the fader.
    Clear();
    surface->Press(Note::FaderTouch);
    Bend(769);
    EXPECT_EQ(host.CallsOf(HostCall::Set),
              std::vector<HostCall>{SetCall(HostParam::Level, 0, kSecondTrack)});
    EXPECT_EQ(SentShort(), std::vector<DWORD>{FaderWord(769)});
    host.SetDouble(HostParam::Level, kSecondTrack, 0.0);
    SlowRefreshes(1);
    const std::string levelBar = std::string(6, '\x1F') + std::string(4, '-');
    EXPECT_EQ(SentLong(), Rendered({Line1("Level" + levelBar + " "), Line2("            0   ")}));
    surface->Release(Note::FaderTouch);

    // The Host changes the level itself: nothing moves at once; once the fader's release is
    // long enough ago, the next refresh drives the motor to the new level.
    Ticks(kMotorHoldMs / kRefreshPeriodMs + 1);
    Clear();
    host.SetDouble(HostParam::Level, kSecondTrack, -12.0);
    plugin->update(HostParam::Level, kSecondTrack, 0, 0);
    VirtualSurface::WaitIdle();
    EXPECT_TRUE(SentShort().empty());
    SlowRefreshes(1);
    EXPECT_EQ(SentShort(), std::vector<DWORD>{FaderWord(556)});

    // Shift held with F2: the command the user assigned to Shift-F2 goes down and up.
    Clear();
    surface->Press(Note::Shift);
    surface->Press(Note::F2);
    surface->Release(Note::F2);
    surface->Release(Note::Shift);
    EXPECT_EQ(host.CallsOf(HostCall::Command),
              (std::vector<HostCall>{CommandCall(kAssignedShiftF2, kCommandKeyDown),
                                     CommandCall(kAssignedShiftF2, kCommandKeyUp)}));

    // Close: the display is blanked and every LED is switched off, then the surface hears
    // nothing more, whatever the timer or the Host do.
    Clear();
    plugin->close();
    VirtualSurface::WaitIdle();
    const std::vector<SurfaceMessage> atClose = surface->Received();
    ASSERT_EQ(atClose.size(), 2u + 19u);
    EXPECT_EQ(atClose[0].bytes, Line1(std::string(16, ' ')));
    EXPECT_EQ(atClose[1].bytes, Line2(std::string(16, ' ')));
    for (size_t led = 2; led < atClose.size(); ++led) {
        EXPECT_FALSE(atClose[led].isLong);
        EXPECT_EQ(atClose[led].word & 0xFF00FFu, NoteOn(0, kReleasedVelocity))
            << "every LED goes dark";
    }
    Clear();
    SlowRefreshes(2);
    plugin->update(HostParam::Record, 1, 0, 0);
    surface->Press(Note::Play);
    EXPECT_TRUE(surface->Received().empty());
    EXPECT_TRUE(host.Calls().empty());
}

} // namespace
