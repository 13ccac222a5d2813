// wsprintfA: the conversions Windows offers and its 1024-character buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/standin/windows_api.h"
#include "support/case_name.h"

namespace {

constexpr size_t kWindowsLimit = 1024; // characters, the terminator included
constexpr char kUntouched = '\x7F';

struct FormatCase {
    const char* name;
    const char* expected;
    int (*format)(char* buffer);
};

const char kUnterminated[4] = {'x', 'y', 'z', 'w'};

const FormatCase kFormatCases[] = {
    {"SignedDecimal", "-42", [](char* b) { return wsprintfA(b, "%d", -42); }},
    {"SmallestInt", "-2147483648",
     [](char* b) { return wsprintfA(b, "%i", static_cast<int>(0x80000000u)); }},
    {"LargestUnsigned", "4294967295", [](char* b) { return wsprintfA(b, "%u", 0xFFFFFFFFu); }},
    {"UnsignedLong", "4000000000", [](char* b) { return wsprintfA(b, "%lu", DWORD{4000000000u}); }},
    {"SignedLong", "-5", [](char* b) { return wsprintfA(b, "%ld", LONG{-5}); }},
    {"HexLong", "deadbeef", [](char* b) { return wsprintfA(b, "%lx", DWORD{0xDEADBEEF}); }},
    {"HexInBothCases", "beef BEEF",
     [](char* b) { return wsprintfA(b, "%x %X", 0xBEEFu, 0xBEEFu); }},
    {"HexWithPrefix", "0xff 0XFF 0",
     [](char* b) { return wsprintfA(b, "%#x %#X %#x", 255u, 255u, 0u); }},
    {"ShortsTakeTheLow16Bits", "-1 5",
     [](char* b) { return wsprintfA(b, "%hd %hu", 0xFFFF, 0x10005); }},
    {"WidthAndLeftAlignment", "   42|42   |",
     [](char* b) { return wsprintfA(b, "%5d|%-5d|", 42, 42); }},
    {"ZeroPadding", "-0042 0x00ff", [](char* b) { return wsprintfA(b, "%05d %#06x", -42, 255u); }},
    {"PrecisionOfIntegers", "007|     007|",
     [](char* b) { return wsprintfA(b, "%.3d|%8.3d|", 7, 7); }},
    {"ZeroWithZeroPrecisionIsEmpty", "|", [](char* b) { return wsprintfA(b, "%.0u|", 0u); }},
    {"StringWidthAndPrecision", "abc|  abc|abc  |ab",
     [](char* b) { return wsprintfA(b, "%s|%5s|%-5s|%.2s", "abc", "abc", "abc", "abc"); }},
    {"PrecisionStopsBeforeAMissingTerminator", "xyz",
     [](char* b) { return wsprintfA(b, "%.3s", kUnterminated); }},
    {"NullString", "(null)",
     [](char* b) { return wsprintfA(b, "%s", static_cast<const char*>(nullptr)); }},
    {"Characters", "A|  A|A  |",
     [](char* b) { return wsprintfA(b, "%c|%3c|%-3c|", 'A', 'A', 'A'); }},
    {"PercentAndUnknownConversion", "100% q", [](char* b) { return wsprintfA(b, "100%% %q"); }},
    {"DiagnosticLine", "port 3: Surface 2 failed\n",
     [](char* b) { return wsprintfA(b, "port %u: %.100s failed\n", 3u, "Surface 2"); }},
    {"EmptyFormat", "", [](char* b) { return wsprintfA(b, ""); }},
    {"LonePercentAtTheEnd", "cut at the end",
     [](char* b) { return wsprintfA(b, "cut at the end%"); }},
};

class Formats : public testing::TestWithParam<FormatCase> {};

TEST_P(Formats, WritesTheTextAndReturnsItsLength) {
    char buffer[kWindowsLimit + 16];
    std::memset(buffer, kUntouched, sizeof buffer);
    const int written = GetParam().format(buffer);
    EXPECT_STREQ(buffer, GetParam().expected);
    EXPECT_EQ(written, static_cast<int>(std::strlen(GetParam().expected)));
}

INSTANTIATE_TEST_SUITE_P(Wsprintf, Formats, testing::ValuesIn(kFormatCases), CaseName());

TEST(Wsprintf, PointerShowsEveryHexDigitOfItsWidth) {
    char buffer[kWindowsLimit];
    const int written = wsprintfA(buffer, "%p", reinterpret_cast<void*>(0xABCu));
    EXPECT_EQ(written, static_cast<int>(2 * sizeof(void*)));
    EXPECT_EQ(std::string(buffer), std::string(2 * sizeof(void*) - 3, '0') + "ABC");
}

// Output that does not fit is cut to 1023 characters and always terminated; nothing past the
// 1024th byte is touched, whichever conversion reaches the limit.
struct OverflowCase {
    const char* name;
    int (*format)(char* buffer);
    char filler; // the character the cut output consists of
};

const std::string kLongText(2000, 's');

const OverflowCase kOverflowCases[] = {
    {"String", [](char* b) { return wsprintfA(b, "%s", kLongText.c_str()); }, 's'},
    {"Literal", [](char* b) { return wsprintfA(b, ("%s" + kLongText).c_str(), ""); }, 's'},
    {"Width", [](char* b) { return wsprintfA(b, "%5000d", 1); }, ' '},
    {"ZeroPadding", [](char* b) { return wsprintfA(b, "%05000u", 1u); }, '0'},
    {"Precision", [](char* b) { return wsprintfA(b, "%.4000x", 1u); }, '0'},
    {"LeftAligned", [](char* b) { return wsprintfA(b, "%-3000c%s", ' ', "after"); }, ' '},
};

class Overflows : public testing::TestWithParam<OverflowCase> {};

TEST_P(Overflows, StopAt1023CharactersAndATerminator) {
    char buffer[kWindowsLimit + 64];
    std::memset(buffer, kUntouched, sizeof buffer);
    EXPECT_EQ(GetParam().format(buffer), static_cast<int>(kWindowsLimit - 1));
    EXPECT_EQ(std::string(buffer), std::string(kWindowsLimit - 1, GetParam().filler));
    for (size_t i = kWindowsLimit; i < sizeof buffer; ++i)
        ASSERT_EQ(buffer[i], kUntouched) << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(Wsprintf, Overflows, testing::ValuesIn(kOverflowCases), CaseName());

TEST(Wsprintf, TextOfExactly1023CharactersFitsWhole) {
    char buffer[kWindowsLimit];
    const std::string text(kWindowsLimit - 1, 't');
    EXPECT_EQ(wsprintfA(buffer, "%s", text.c_str()), static_cast<int>(text.size()));
    EXPECT_EQ(std::string(buffer), text);
}

} // namespace
