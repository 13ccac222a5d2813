// The plug-in on the real Windows API (under Wine): loaded by path, identity record, a
// controller opened without a surface, its refresh timer through a real message loop.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "guarded_bytes.h"
#include "loaded_module.h"
#include "support/recording_host.h"

namespace {

TEST(WindowsHostTest, ExportsTheFiveEntryPoints) {
    LoadedModule plugin;
    ASSERT_NE(plugin.module, nullptr) << "LoadLibraryA failed: " << GetLastError();
    EXPECT_TRUE(plugin.Complete());
}

// The record as QueryController must leave it in a buffer that held 0xAA everywhere: the fields
// at their documented offsets, little-endian, and every other byte (the field at 8, the name's
// bytes after its NUL) untouched. The record ends where an inaccessible page begins, so a write
// past its 36 bytes ends the program.
TEST(WindowsHostTest, FillsTheIdentityRecordByteForByte) {
    constexpr uint8_t kUntouched = 0xAA;
    const std::vector<uint8_t> expected = {
        0x65,       0x6E,       0x76,       0x6B,       // 0: id 'kvne'
        0x00,       0x02,       0x00,       0x00,       // 4: version 0x200
        kUntouched, kUntouched, kUntouched, kUntouched, // 8: never written
        'K',        'o',        'r',        'v',
        'a',        'n',        'e',        '\0',       // 12: the name and its NUL,
        kUntouched, kUntouched, kUntouched, kUntouched, //     then the rest of its 20 bytes
        kUntouched, kUntouched, kUntouched, kUntouched, //
        kUntouched, kUntouched, kUntouched, kUntouched, //
        0xC8,       0x00,       0x00,       0x00,       // 32: 200 tracks
    };
    LoadedModule plugin;
    ASSERT_TRUE(plugin.Complete());
    GuardedBytes record(expected.size(), kUntouched);
    ASSERT_NE(record.data(), nullptr);
    EXPECT_EQ(plugin.Query(record.data()), 1);
    EXPECT_EQ(record.Bytes(), expected);
    EXPECT_EQ(plugin.Query(nullptr), 0);
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
