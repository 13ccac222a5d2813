// The five exports, the identity record and the refresh timer, through the stand-in.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <stdexcept>

#include "common/firewall.h"
#include "host/host_interface.h"
#include "platform/standin/far_side.h"
#include "support/debug_capture.h"
#include "support/recording_host.h"

namespace {

// Pumps this thread's queue and counts the refresh timer's WM_TIMER messages.
int PumpTimerMessages() {
    int ticks = 0;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_TIMER)
            ++ticks;
        DispatchMessageA(&message);
    }
    return ticks;
}

TEST(QueryControllerTest, WritesOnlyTheListedBytes) {
    std::array<unsigned char, 48> record;
    record.fill(0xAA);
    EXPECT_EQ(QueryController(record.data()), 1);

    const unsigned char id[] = {0x65, 0x6E, 0x76, 0x6B}; // 0x6B766E65, least significant first
    const unsigned char version[] = {0x00, 0x02, 0x00, 0x00};
    const unsigned char tracks[] = {200, 0, 0, 0};
    EXPECT_EQ(std::memcmp(record.data(), id, 4), 0);
    EXPECT_EQ(std::memcmp(record.data() + 4, version, 4), 0);
    EXPECT_EQ(std::memcmp(record.data() + 12, "Korvane", 8), 0);
    EXPECT_EQ(std::memcmp(record.data() + 32, tracks, 4), 0);
    for (size_t untouched : {8u, 9u, 10u, 11u, 20u, 25u, 31u, 36u, 47u})
        EXPECT_EQ(record[untouched], 0xAA) << "byte " << untouched;
}

TEST(QueryControllerTest, NullRecordIsRefused) {
    EXPECT_EQ(QueryController(nullptr), 0);
}

class ControllerLifecycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        StandinUseTestClock(1000);
        PumpTimerMessages();
    }
    void TearDown() override {
        CloseController();
        StandinUseRealClock();
    }
    RecordingHost host;
};

TEST_F(ControllerLifecycleTest, UpdateAndCloseWithoutAControllerDoNothing) {
    UpdateController(HostParam::Solo, 1, 1, 0);
    CloseController();
    EXPECT_EQ(theController, nullptr);
    EXPECT_TRUE(host.Calls().empty());
}

TEST_F(ControllerLifecycleTest, OpenWithoutATableFails) {
    EXPECT_EQ(OpenController(nullptr), 0);
    EXPECT_EQ(theController, nullptr);
}

TEST_F(ControllerLifecycleTest, OpenStartsTheRefreshTimerAndCloseStopsIt) {
    HostCallbackTable table = host.Table();
    ASSERT_EQ(OpenController(&table), 1);
    EXPECT_NE(theController, nullptr);

    EXPECT_EQ(PumpTimerMessages(), 0);
    StandinAdvanceClock(kRefreshPeriodMs);
    EXPECT_EQ(PumpTimerMessages(), 1);
    StandinAdvanceClock(kRefreshPeriodMs - 1);
    EXPECT_EQ(PumpTimerMessages(), 0);
    StandinAdvanceClock(1);
    EXPECT_EQ(PumpTimerMessages(), 1);

    CloseController();
    EXPECT_EQ(theController, nullptr);
    StandinAdvanceClock(10 * kRefreshPeriodMs);
    EXPECT_EQ(PumpTimerMessages(), 0);
}

TEST_F(ControllerLifecycleTest, SecondOpenReplacesTheFirstController) {
    DebugCapture debug;
    HostCallbackTable table = host.Table();
    ASSERT_EQ(OpenController(&table), 1);
    ASSERT_EQ(OpenController(&table), 1);
    EXPECT_NE(debug.Text().find("OpenController while a controller is open"), std::string::npos);
    StandinAdvanceClock(kRefreshPeriodMs);
    EXPECT_EQ(PumpTimerMessages(), 1); // one timer, not two
}

TEST(BoundaryTest, ReportsWhatWasRaisedAndCarriesOn) {
    DebugCapture debug;
    EXPECT_FALSE(RunGuarded("a test", [] { throw std::runtime_error("boom"); }));
    EXPECT_FALSE(RunGuarded("a test", [] { throw 42; }));
    EXPECT_TRUE(RunGuarded("a test", [] {}));
    ASSERT_EQ(debug.Writes().size(), 2u);
    EXPECT_EQ(debug.Writes()[0], "Korvane: a test failed: boom\n");
    EXPECT_EQ(debug.Writes()[1],
              "Korvane: a test failed: an exception that is not a std::exception\n");
}

TEST(BoundaryTest, AVeryLongTextStillEndsTheLine) {
    DebugCapture debug;
    const std::string huge(5000, 'x');
    RunGuarded("a test", [&huge] { throw std::runtime_error(huge); });
    ASSERT_EQ(debug.Writes().size(), 1u);
    EXPECT_LE(debug.Writes()[0].size(), 1023u);
    EXPECT_EQ(debug.Writes()[0].back(), '\n');
}

} // namespace
