// The 64-bit plug-in on the real Windows API (under wine64): loaded by path, identity record,
// a controller opened without a surface, its refresh timer through a real message loop.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "loaded_module.h"
#include "support/recording_host.h"

namespace {

TEST(WindowsHostTest, ExportsTheFiveEntryPoints) {
    LoadedModule plugin;
    ASSERT_NE(plugin.module, nullptr) << "LoadLibraryA failed: " << GetLastError();
    EXPECT_TRUE(plugin.Complete());
}

TEST(WindowsHostTest, FillsTheIdentityRecord) {
    LoadedModule plugin;
    ASSERT_TRUE(plugin.Complete());
    std::array<unsigned char, 40> record;
    record.fill(0xAA);
    EXPECT_EQ(plugin.Query(record.data()), 1);
    uint32_t id = 0, version = 0, tracks = 0;
    std::memcpy(&id, record.data(), 4);
    std::memcpy(&version, record.data() + 4, 4);
    std::memcpy(&tracks, record.data() + 32, 4);
    EXPECT_EQ(id, 0x6B766E65u);
    EXPECT_EQ(version, 0x200u);
    EXPECT_EQ(tracks, 200u);
    EXPECT_EQ(std::memcmp(record.data() + 12, "Korvane", 8), 0);
    EXPECT_EQ(record[8], 0xAA);
    EXPECT_EQ(record[20], 0xAA);
}

TEST(WindowsHostTest, RefreshTimerRunsThroughTheMessageLoopUntilClose) {
    LoadedModule plugin;
    ASSERT_TRUE(plugin.Complete());
    RecordingHost host;
    HostCallbackTable table = host.Table();
    ASSERT_EQ(plugin.Open(&table), 1);
    // 120 ms timer: about five periods in 650 ms, allowing for a loaded machine.
    const int ticks = PumpMessagesFor(650);
    EXPECT_GE(ticks, 3);
    EXPECT_LE(ticks, 6);
    plugin.Update(19, 3, 0, 0);
    plugin.Close();
    EXPECT_EQ(PumpMessagesFor(300), 0);
}

TEST(WindowsHostTest, CallsWithoutAControllerAreHarmless) {
    LoadedModule plugin;
    ASSERT_TRUE(plugin.Complete());
    plugin.Update(17, 1, 1, 0);
    plugin.Close();
    plugin.Configure(nullptr, nullptr, 0, nullptr);
}

} // namespace
