// The display buffer on the virtual surface: the greeting and its hold, which lines a flush
// sends and in what order, the bytes of a line message, the blanking at close, and a display
// whose surface was never found.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "controls/bound_output.h"
#include "controls/midi_map.h"
#include "display/text_display.h"
#include "support/case_name.h"
#include "support/surface_messages.h"
#include "support/virtual_surface.h"

namespace {

using Message = std::vector<uint8_t>;

const std::string kBlank(16, ' ');
const std::string kGreeting1 = "   Welcome to   ";
const std::string kGreeting2 = "   Korvane      ";
constexpr int kGreetingHold = 40;

Message Line1(const std::string& text) {
    return DisplayLineMessage(SysEx::kLine1Position, text);
}
Message Line2(const std::string& text) {
    return DisplayLineMessage(SysEx::kLine2Position, text);
}

// 16 columns: the text and blanks after it.
std::string Padded(const std::string& text) {
    return text + std::string(16 - text.size(), ' ');
}

std::string Stored(const char* line) {
    return std::string(line, 16);
}

class TextDisplayTest : public ::testing::Test {
protected:
    void SetUp() override { greetingPending = false; }
    void TearDown() override { greetingPending = false; }

    std::vector<Message> Sent() const { return output.surface->LongMessages(); }
    void ClearSent() { output.Clear(); }
    void Show(const std::string& text1, const std::string& text2) {
        display.SetLine(1, text1.c_str());
        display.SetLine(2, text2.c_str());
    }
    // Greeting, then its hold, then the forced flush that sends both lines: from here on only
    // changed lines go out.
    void ReachSteadyPage(const std::string& text1, const std::string& text2) {
        greetingPending = true;
        Show(text1, text2);
        for (int flush = 0; flush < 1 + kGreetingHold + 1; ++flush)
            display.Flush(false);
        ClearSent();
    }

    BoundOutput output;
    TextDisplay display;
};

TEST_F(TextDisplayTest, TheFirstFlushAfterAnOpenShowsOnlyTheGreeting) {
    greetingPending = true;
    Show(Padded("Level"), Padded("Trk01"));
    display.Flush(false);
    EXPECT_EQ(Sent(), (std::vector<Message>{Line1(kGreeting1), Line2(kGreeting2)}));
    EXPECT_FALSE(greetingPending);
    // The greeting is not recorded as sent, nor does it replace the composed lines.
    EXPECT_EQ(Stored(display.sentLine1), kBlank);
    EXPECT_EQ(Stored(display.line1), Padded("Level"));
}

TEST_F(TextDisplayTest, TheGreetingStaysFortyFlushesThenBothLinesAreSentEvenWhenBlank) {
    greetingPending = true;
    display.Flush(false);
    ClearSent();
    for (int flush = 1; flush <= kGreetingHold; ++flush) {
        Show(Padded("Page " + std::to_string(flush)), Padded(std::to_string(flush)));
        display.Flush(false);
    }
    EXPECT_TRUE(Sent().empty()) << "the greeting hold sends nothing, whatever the page";
    Show(kBlank, kBlank);
    display.Flush(false);
    EXPECT_EQ(Sent(), (std::vector<Message>{Line1(kBlank), Line2(kBlank)}));
    EXPECT_FALSE(display.forceSend);
    ClearSent();
    display.Flush(false);
    EXPECT_TRUE(Sent().empty());
}

struct FlushCase {
    const char* name;
    std::string line1;
    std::string line2;
    bool force;
    std::vector<Message> sent;
};

class FlushTest : public TextDisplayTest, public ::testing::WithParamInterface<FlushCase> {};

TEST_P(FlushTest, SendsWhatDiffersFromWhatWasSent) {
    ReachSteadyPage(Padded("Bass"), Padded("Trk04"));
    Show(GetParam().line1, GetParam().line2);
    display.Flush(GetParam().force);
    EXPECT_EQ(Sent(), GetParam().sent);
    // What was sent is remembered: the same page again sends nothing.
    ClearSent();
    display.Flush(false);
    EXPECT_TRUE(Sent().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Pages, FlushTest,
    ::testing::Values(
        FlushCase{"Unchanged", Padded("Bass"), Padded("Trk04"), false, {}},
        FlushCase{"OnlyLine2", Padded("Bass"), Padded("Trk05"), false, {Line2(Padded("Trk05"))}},
        FlushCase{"OnlyLine1", Padded("Drums"), Padded("Trk04"), false, {Line1(Padded("Drums"))}},
        FlushCase{"Line1BeforeLine2",
                  Padded("Drums"),
                  Padded("Trk05"),
                  false,
                  {Line1(Padded("Drums")), Line2(Padded("Trk05"))}},
        FlushCase{"Forced",
                  Padded("Bass"),
                  Padded("Trk04"),
                  true,
                  {Line1(Padded("Bass")), Line2(Padded("Trk04"))}},
        // A difference in the last column alone is a change.
        FlushCase{"LastColumn",
                  Padded("Bass").substr(0, 15) + "x",
                  Padded("Trk04"),
                  false,
                  {Line1(Padded("Bass").substr(0, 15) + "x")}}),
    CaseName());

struct SetLineCase {
    const char* name;
    int line;
    std::string text; // 16 bytes
    std::string line1;
    std::string line2;
};

class SetLineTest : public TextDisplayTest, public ::testing::WithParamInterface<SetLineCase> {};

TEST_P(SetLineTest, CopiesSixteenBytesWithNulsAsBlanks) {
    display.SetLine(GetParam().line, GetParam().text.data());
    EXPECT_EQ(Stored(display.line1), GetParam().line1);
    EXPECT_EQ(Stored(display.line2), GetParam().line2);
    EXPECT_EQ(display.line1[16], '\0');
    EXPECT_EQ(display.line2[16], '\0');
}

const std::string kNulInside = std::string("ab\0cd", 5) + std::string(11, ' ');
const std::string kNulsAtColumns = std::string("Trk04\0Mark\0\0L37\0", 16);

INSTANTIATE_TEST_SUITE_P(
    Lines, SetLineTest,
    ::testing::Values(
        // The bytes after a NUL are copied too.
        SetLineCase{"NulInside", 1, kNulInside, "ab cd" + std::string(11, ' '), kBlank},
        SetLineCase{"TerminatorsOfTextsAtSeveralColumns", 2, kNulsAtColumns, kBlank,
                    "Trk04 Mark  L37 "},
        SetLineCase{"AllNuls", 1, std::string(16, '\0'), kBlank, kBlank},
        SetLineCase{"GlyphsAsTheyAre", 1, std::string("Lvl\x1F\x7E\x7F\x01\x08", 8) + "12345678",
                    std::string("Lvl\x1F\x7E\x7F\x01\x08", 8) + "12345678", kBlank},
        // Any number other than 1 addresses line 2.
        SetLineCase{"LineZero", 0, Padded("zero"), kBlank, Padded("zero")},
        SetLineCase{"LineThree", 3, Padded("three"), kBlank, Padded("three")},
        SetLineCase{"NegativeLine", -1, Padded("minus"), kBlank, Padded("minus")}),
    CaseName());

TEST_F(TextDisplayTest, SetLineCopiesNoMoreThanSixteenBytesAndIgnoresANullText) {
    display.SetLine(1, "0123456789abcdefTHE REST");
    EXPECT_STREQ(display.line1, "0123456789abcdef");
    display.SetLine(1, nullptr);
    display.SetLine(2, nullptr);
    EXPECT_STREQ(display.line1, "0123456789abcdef");
    EXPECT_EQ(Stored(display.line2), kBlank);
}

TEST_F(TextDisplayTest, ALineTravelsAsTwentyFourBytes) {
    SendLine(1, Padded("Level").c_str());
    const std::string glyphs = std::string("\x1F\x7E\x7F\x01\x08-", 6) + std::string(10, 'z');
    SendLine(2, glyphs.c_str());
    SendLine(7, Padded("seven").c_str());
    // The header, the message type and the first line's column, 16 characters, the end.
    const std::string levelText = Padded("Level");
    Message level(std::begin(SysEx::kHeader), std::end(SysEx::kHeader));
    level.push_back(SysEx::kDisplayText);
    level.push_back(SysEx::kLine1Position);
    level.insert(level.end(), levelText.begin(), levelText.end());
    level.push_back(SysEx::kEnd);
    EXPECT_EQ(Sent(),
              (std::vector<Message>{level, Line2(glyphs),
                                    DisplayLineMessage(SysEx::kLine2Position, Padded("seven"))}));
    for (const Message& message : Sent())
        EXPECT_EQ(message.size(), 24u);
}

TEST_F(TextDisplayTest, ClearBlanksTheSurfaceAndTheNextFlushRestoresWhatIsNotBlank) {
    ReachSteadyPage(Padded("Bass"), kBlank);
    display.Clear();
    EXPECT_EQ(Sent(), (std::vector<Message>{Line1(kBlank), Line2(kBlank)}));
    EXPECT_EQ(Stored(display.line1), Padded("Bass")) << "the composed lines stay";
    ClearSent();
    display.Flush(false);
    EXPECT_EQ(Sent(), std::vector<Message>{Line1(Padded("Bass"))});
}

TEST_F(TextDisplayTest, WithoutAnOutputDeviceTheFlushesStillCountAndRecord) {
    midi::theOutputDevice = nullptr;
    greetingPending = true;
    Show(Padded("Bass"), Padded("Trk04"));
    display.Flush(false);
    EXPECT_FALSE(greetingPending);
    for (int flush = 0; flush < kGreetingHold; ++flush)
        display.Flush(false);
    EXPECT_EQ(display.flushCount, kGreetingHold);
    display.Flush(false);
    EXPECT_EQ(Stored(display.sentLine1), Padded("Bass"));
    EXPECT_EQ(Stored(display.sentLine2), Padded("Trk04"));
    EXPECT_FALSE(display.forceSend);
    // Bound again, the display sends only what changed since the dropped sends.
    midi::theOutputDevice = &output.device;
    Show(Padded("Bass"), Padded("Trk05"));
    display.Flush(false);
    EXPECT_EQ(Sent(), std::vector<Message>{Line2(Padded("Trk05"))});
}

} // namespace
