// Message words, long-message copies and sends with and without a bound device.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "midi/midi_msg.h"
#include "midi/midi_out_device.h"
#include "support/case_name.h"
#include "support/virtual_surface.h"

namespace {

struct PackCase {
    const char* name;
    unsigned command, channel, data1, data2;
    DWORD word;
};

class PackTest : public ::testing::TestWithParam<PackCase> {};

TEST_P(PackTest, PacksStatusAndDataBytesLeastSignificantFirst) {
    const PackCase& c = GetParam();
    EXPECT_EQ(midi::CShortMsg::Pack(c.command, c.channel, c.data1, c.data2), c.word);
    midi::CShortMsg message(c.command, c.channel, c.data1, c.data2);
    EXPECT_EQ(message.Word(), c.word);
    EXPECT_EQ(message.ByteCount(), 3u);
}

INSTANTIATE_TEST_SUITE_P(
    Words, PackTest,
    ::testing::Values(PackCase{"NoteOn", Status::NoteOn, 0, 0x3C, 0x7F, 0x007F3C90},
                      PackCase{"NoteOnChannel6", Status::NoteOn, 0x05, 0x3C, 0x7F, 0x007F3C95},
                      PackCase{"PitchBend", Status::PitchBend | 3u, 0, 0x10, 0x40, 0x004010E3},
                      // only the low byte of each argument counts
                      PackCase{"OnlyTheLowBytes", Status::NoteOn | 0x100u, 0, 0x13C, 0,
                               0x00003C90}),
    CaseName());

TEST(ShortMessageTest, UnpackSplitsCommandAndChannelAndIgnoresTheTopByte) {
    BYTE command = 0, channel = 0, data1 = 0, data2 = 0;
    midi::CShortMsg::Unpack(0xAB7F3C95, command, channel, data1, data2);
    EXPECT_EQ(command, Status::NoteOn);
    EXPECT_EQ(channel, 0x05);
    EXPECT_EQ(data1, 0x3C);
    EXPECT_EQ(data2, 0x7F);
}

TEST(ShortMessageTest, DefaultIsWordZeroAndAssignReplacesIt) {
    midi::CShortMsg message;
    EXPECT_EQ(message.Word(), 0u);
    message.Assign(Status::ControlChange, 0, ControlNumber::Encoder1Turn, kTurnBack);
    EXPECT_EQ(message.Word(), 0x004110B0u);
    EXPECT_EQ(std::memcmp(message.Bytes(), "\xB0\x10\x41", 3), 0);
}

TEST(LongMessageTest, KeepsItsOwnCopy) {
    std::vector<BYTE> source = InitMessage();
    const std::vector<BYTE> copied = source;
    midi::CLongMsg message(source.data(), static_cast<int32_t>(source.size()));
    source.assign(source.size(), 0x55);
    EXPECT_EQ(std::vector<BYTE>(message.Bytes(), message.Bytes() + message.ByteCount()), copied);
    EXPECT_NE(message.Bytes(), source.data());
}

TEST(LongMessageTest, EmptyAndMissingSourcesGiveEmptyMessages) {
    const BYTE bytes[] = {SysEx::kStart, SysEx::kEnd};
    midi::CLongMsg message(bytes, 2);
    message.Assign(bytes, 0);
    EXPECT_EQ(message.ByteCount(), 0u);
    message.Assign(nullptr, 5);
    EXPECT_EQ(message.ByteCount(), 0u);
    message.Assign(bytes, -3);
    EXPECT_EQ(message.ByteCount(), 0u);
}

TEST(SendTest, WithoutABoundDeviceNothingIsSentOrRaised) {
    StandinBusReset();
    VirtualSurface surface;
    ASSERT_EQ(midi::theOutputDevice.load(), nullptr);
    midi::CShortMsg(Status::NoteOn, 0, Note::Play, kPressedVelocity).Send();
    const BYTE bytes[] = {SysEx::kStart, SysEx::kEnd};
    midi::CLongMsg(bytes, 2).Send();
    EXPECT_TRUE(surface.Received().empty());
}

TEST(SendTest, BoundDeviceCarriesBothKindsAndTheBindingEndsWithTheDevice) {
    StandinBusReset();
    VirtualSurface surface;
    {
        midi::CMIDIOutDevice device;
        device.OpenPort(0);
        midi::theOutputDevice = &device;
        midi::CShortMsg(Status::NoteOn, 0, Note::Record, kPressedVelocity).Send();
        const BYTE bytes[] = {SysEx::kStart, 0x01, SysEx::kEnd};
        midi::CLongMsg(bytes, 3).Send();
        VirtualSurface::WaitIdle();
    }
    EXPECT_EQ(midi::theOutputDevice.load(), nullptr);
    const auto received = surface.Received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].word, NoteOn(Note::Record, kPressedVelocity));
    EXPECT_EQ(received[1].bytes, (std::vector<uint8_t>{SysEx::kStart, 0x01, SysEx::kEnd}));
}

// Sizes on both sides of the inline storage: a display line, the largest inline message, the
// smallest one that needs the heap and a long one.
class LongMessageSizeTest : public ::testing::TestWithParam<size_t> {
protected:
    static std::vector<BYTE> Pattern(size_t size, BYTE first) {
        std::vector<BYTE> bytes(size);
        for (size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<BYTE>(first + i);
        return bytes;
    }
    static std::vector<BYTE> Contents(const midi::CLongMsg& message) {
        return std::vector<BYTE>(message.Bytes(), message.Bytes() + message.ByteCount());
    }
};

TEST_P(LongMessageSizeTest, KeepsItsOwnCopyOfEverySize) {
    std::vector<BYTE> source = Pattern(GetParam(), 1);
    const std::vector<BYTE> expected = source;
    midi::CLongMsg message(source.data(), static_cast<int32_t>(source.size()));
    source.assign(source.size(), 0);
    EXPECT_EQ(Contents(message), expected);
}

TEST_P(LongMessageSizeTest, AssignFromItsOwnBytesKeepsThem) {
    const std::vector<BYTE> expected = Pattern(GetParam(), 7);
    midi::CLongMsg message(expected.data(), static_cast<int32_t>(expected.size()));
    message.Assign(message.Bytes(), static_cast<int32_t>(message.ByteCount()));
    EXPECT_EQ(Contents(message), expected);
    // A tail of its own bytes, which may move from the heap into the object.
    message.Assign(message.Bytes() + 1, static_cast<int32_t>(message.ByteCount() - 1));
    EXPECT_EQ(Contents(message), std::vector<BYTE>(expected.begin() + 1, expected.end()));
}

TEST_P(LongMessageSizeTest, AssignReplacesAMessageOfAnyOtherSize) {
    const std::vector<BYTE> expected = Pattern(GetParam(), 3);
    for (size_t previous : {size_t{2}, size_t{33}, size_t{300}}) {
        const std::vector<BYTE> before = Pattern(previous, 100);
        midi::CLongMsg message(before.data(), static_cast<int32_t>(before.size()));
        message.Assign(expected.data(), static_cast<int32_t>(expected.size()));
        EXPECT_EQ(Contents(message), expected) << "after a message of " << previous;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, LongMessageSizeTest,
                         ::testing::Values(size_t{24}, midi::CLongMsg::kInlineBytes,
                                           midi::CLongMsg::kInlineBytes + 1, size_t{1000}),
                         [](const ::testing::TestParamInfo<size_t>& size) {
                             return std::to_string(size.param) + "Bytes";
                         });

} // namespace
