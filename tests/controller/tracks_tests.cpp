// Track stepping, the return-to-track jump and the track-mode test, as the user reaches them.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "controls/midi_map.h"
#include "support/controller_fixture.h"
#include "support/surface_messages.h"

namespace {

class TracksTest : public ControllerFixture {
protected:
    // Shift latched, the fader-function button pressed: the return-to-track gesture.
    void ReturnToTrack() {
        Click(Note::Shift);
        Click(Note::FaderFunction);
        Click(Note::Shift);
    }
    void TurnTrackEncoder(uint8_t value) {
        Press(Note::Encoder1Touch);
        Turn(ControlNumber::Encoder1Turn, value);
        Release(Note::Encoder1Touch);
    }
    bool SelectedATrack() const {
        const std::vector<HostCall> sets = HostSets();
        return std::any_of(sets.begin(), sets.end(),
                           [](const HostCall& call) { return call.id == HostParam::CurrentTrack; });
    }
};

TEST_F(TracksTest, ReturnToTrackAlternatesBetweenTheLastNamedTrackAndTheOneBefore) {
    host.SetName(11, "Keys");
    host.SetName(2, "Bass");
    UpdateController(HostParam::CurrentTrack, 4, 0, 0);
    host.ClearCalls();
    ReturnToTrack();
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(HostParam::CurrentTrack, 0, 11)});
    UpdateController(HostParam::CurrentTrack, 11, 0, 0);
    host.ClearCalls();
    ReturnToTrack();
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(HostParam::CurrentTrack, 0, 4)});
}

// Without a named track the last named one is -1; once there, the way back is the track before.
TEST_F(TracksTest, ReturnToTrackWithoutNamesAsksForTrackMinusOne) {
    UpdateController(HostParam::CurrentTrack, 6, 0, 0);
    host.ClearCalls();
    ReturnToTrack();
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(HostParam::CurrentTrack, 0, -1)});
    UpdateController(HostParam::CurrentTrack, -1, 0, 0);
    host.ClearCalls();
    ReturnToTrack();
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(HostParam::CurrentTrack, 0, 6)});
}

// The track encoder selects the neighbour, one track per message however far it turned.
TEST_F(TracksTest, TheTrackEncoderSelectsTheNeighbour) {
    UpdateController(HostParam::CurrentTrack, 7, 0, 0);
    host.ClearCalls();
    TurnTrackEncoder(0);
    EXPECT_TRUE(HostSets().empty());
    TurnTrackEncoder(kTurnBack + 2); // three back
    TurnTrackEncoder(2);
    EXPECT_EQ(HostSets(), (std::vector<HostCall>{SetCall(HostParam::CurrentTrack, 0, 6),
                                                 SetCall(HostParam::CurrentTrack, 0, 8)}));
}

// Encoder 1 steps tracks in track mode and, in the EQ modes, while Shift is latched.
TEST_F(TracksTest, TrackModeIsModeZeroOrShiftLatched) {
    const struct {
        int eqClicks; // 0: track mode, 1: EQ mode, 2: EQ band mode
        bool shift;
        bool stepsTracks;
    } cases[] = {{0, false, true}, {0, true, true},   {1, false, false},
                 {1, true, true},  {2, false, false}, {2, true, true}};
    for (const auto& c : cases) {
        Click(Note::Mode0);
        for (int click = 0; click < c.eqClicks; ++click)
            Click(Note::Mode2);
        if (c.shift)
            Click(Note::Shift);
        host.ClearCalls();
        TurnTrackEncoder(kTurnForward);
        EXPECT_EQ(SelectedATrack(), c.stepsTracks) << c.eqClicks << " " << c.shift;
        if (c.shift)
            Click(Note::Shift);
    }
}

} // namespace
