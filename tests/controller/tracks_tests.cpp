// Track stepping, the return-to-track jump and the track-mode test.
#include <gtest/gtest.h>

#include <vector>

#include "support/controller_fixture.h"

namespace {

using TracksTest = ControllerFixture;

TEST_F(TracksTest, ReturnToTrackAlternatesBetweenTheLastNamedTrackAndTheOneBefore) {
    host.SetName(11, "Keys");
    host.SetName(2, "Bass");
    UpdateController(19, 4, 0, 0);
    host.ClearCalls();
    Controller().ReturnToTrack();
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(19, 0, 11)});
    EXPECT_EQ(Controller().returnTrack, 4);
    UpdateController(19, 11, 0, 0);
    host.ClearCalls();
    Controller().ReturnToTrack();
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(19, 0, 4)});
}

TEST_F(TracksTest, ReturnToTrackWithoutNamesAsksForTrackMinusOne) {
    UpdateController(19, 6, 0, 0);
    host.ClearCalls();
    Controller().ReturnToTrack();
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(19, 0, -1)});
    EXPECT_EQ(Controller().returnTrack, 6);
}

TEST_F(TracksTest, AStepRequestsTheTrackPageAndSelectsTheNeighbour) {
    UpdateController(19, 7, 0, 0);
    host.ClearCalls();
    Controller().StepTrack(0);
    EXPECT_TRUE(HostSets().empty());
    EXPECT_TRUE(Controller().pages.trackInfo);
    EXPECT_EQ(Controller().trackInfoHold, 8);
    Controller().StepTrack(-3);
    Controller().StepTrack(2);
    EXPECT_EQ(HostSets(), (std::vector<HostCall>{SetCall(19, 0, 6), SetCall(19, 0, 8)}));
}

TEST_F(TracksTest, TrackModeIsModeZeroOrShiftLatched) {
    auto& buttons = Controller().buttons;
    const struct {
        int mode;
        bool shift;
        bool trackMode;
    } cases[] = {{0, false, true}, {0, true, true},   {4, false, false},
                 {4, true, true},  {5, false, false}, {5, true, true}};
    for (const auto& c : cases) {
        buttons.encoderModes.mode = c.mode;
        buttons.shift.state = c.shift;
        EXPECT_EQ(Controller().IsTrackMode(), c.trackMode) << c.mode << " " << c.shift;
    }
    buttons.encoderModes.mode = 0;
    buttons.shift.state = false;
}

} // namespace
