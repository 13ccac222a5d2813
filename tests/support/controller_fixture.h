// A controller opened through OpenController on the virtual bus, with a recording Host, the
// test clock, an in-memory registry and the surface's ports: the common ground of the tests
// that drive the module from the surface and from the Host.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "controls/midi_map.h"
#include "host/host_interface.h"
#include "support/debug_capture.h"
#include "support/host_commands.h"
#include "support/recording_host.h"
#include "support/virtual_surface.h"

// Every note with an LED, in the order the close darkens them.
inline constexpr uint8_t kLedNotes[] = {
    Note::Shift,   Note::Mode0,        Note::Mode1,      Note::Mode2,       Note::Mode3,
    Note::Mode4,   Note::Record,       Note::F1,         Note::F2,          Note::F3,
    Note::F4,      Note::TrackLeft,    Note::TrackRight, Note::PlayMode,    Note::FaderFunction,
    Note::AnySolo, Note::TrackState16, Note::Solo,       Note::TrackState20};

class ControllerFixture : public ::testing::Test {
public:
    // The test clock's start; far from a wrap unless a test moves it there.
    static constexpr DWORD kStartTime = 1000000;

    void SetUp() override;
    void TearDown() override;

    // Opens the controller (SetUp does unless openOnSetUp is false) and pumps it past the
    // greeting hold, so that a test starts from a steady surface with nothing recorded.
    void Open();

    // Surface gestures, each delivered before it returns.
    void Press(uint8_t note) { surface->Press(note); }
    void Release(uint8_t note) { surface->Release(note); }
    void Click(uint8_t note) {
        Press(note);
        Release(note);
    }
    void Turn(uint8_t controller, uint8_t value) {
        surface->Send(ControlChange(controller, value));
    }
    void Bend(uint8_t channel, int position) { surface->Send(PitchBend(channel, position)); }

    // Moves the test clock and lets the refresh timer run as the Host's message loop would.
    void Advance(DWORD milliseconds);
    // n periods of the refresh timer, each with its tick.
    void Ticks(int count);
    // Enough ticks for a slow refresh to run (the next one more than 300 ms after the last).
    void SlowRefresh() { Ticks(3); }
    static int PumpMessages();

    // What the module sent to the surface and to the Host since the last Clear.
    std::vector<DWORD> SentShort() const { return surface->ShortMessages(); }
    std::vector<std::vector<uint8_t>> SentLong() const { return surface->LongMessages(); }
    std::vector<HostCall> HostSets() const { return host.CallsOf(HostCall::Set); }
    std::vector<HostCall> HostCommands() const { return host.CallsOf(HostCall::Command); }
    void ClearRecords();
    // The surface shows what the controller means it to show: resending every LED and the
    // fader and composing the display again (the Host steps the current track away and back)
    // changes nothing on it. `currentTrack` is the track the Host last reported.
    void ExpectSurfaceInStep(int32_t currentTrack);

    // What the surface shows: each LED's last value (-1 before any), the fader's last position
    // (-1 before any) and both display lines.
    struct SurfacePicture {
        std::vector<int> leds = std::vector<int>(std::size(kLedNotes), -1);
        int fader = -1;
        std::string line1;
        std::string line2;
    };
    SurfacePicture Picture() const;

    bool openOnSetUp = true;
    RecordingHost host;
    std::unique_ptr<VirtualSurface> surface;
    DebugCapture debug;

private:
    // What the surface showed when its records were last cleared.
    SurfacePicture shownBeforeClear;
};
