// Fitting track names to their display field: which characters go first, padding, the bytes
// the display cannot show, and the bounds of the buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "display/name_abbreviation.h"

namespace {

struct NameCase {
    const char* name;
    int width;
    const char* fitted;
};

// Runs AbbreviateName on a buffer of exactly max(strlen(name), width) + 1 bytes followed by
// guard bytes, and checks the guard.
std::string Abbreviated(const char* name, int width) {
    const size_t length = std::strlen(name);
    const size_t needed = std::max(length, static_cast<size_t>(std::max(width, 0))) + 1;
    constexpr size_t kGuard = 8;
    std::vector<char> buffer(needed + kGuard, 'G');
    std::memcpy(buffer.data(), name, length + 1);
    AbbreviateName(buffer.data(), width);
    for (size_t i = needed; i < buffer.size(); ++i) {
        EXPECT_EQ(buffer[i], 'G') << "wrote past the buffer at " << i;
    }
    return std::string(buffer.data());
}

TEST(AbbreviateNameTest, FitsNamesToTheirWidth) {
    const NameCase cases[] = {
        // The display's area width.
        {"Lead Vocals", 10, "LeadVocals"},
        {"Acoustic Guitar", 10, "AcoustcGtr"},
        {"Track 12 Guitar", 10, "Track12Gtr"},
        {"Drums (L+R)", 10, "Drums (L+R"},
        {"Strings-Hi", 10, "Strings-Hi"},
        {"Bass", 10, "Bass      "},
        {"Ab", 10, "Ab      "},
        {"A", 10, "A      "},
        // The full line.
        {"Acoustic Guitar", 16, "Acoustic Guitar "},
        // The first character is kept even when it is in a class that goes first.
        {"(abc)", 3, "(bc"},
        {"Bass", 2, "Bs"},
        // Digits and other characters go only by the final cut.
        {"X1234567890123", 5, "X1234"},
        {"Tr 1,2,3,4,5,6", 6, "T1,2,3"},
        // y is not a vowel.
        {"Bayk", 3, "Byk"},
        // Upper-case vowels go after lower-case ones, before other lower-case letters.
        {"AbEcId", 4, "Abcd"},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " in " + std::to_string(c.width));
        EXPECT_EQ(Abbreviated(c.name, c.width), c.fitted);
    }
}

TEST(AbbreviateNameTest, BytesTheDisplayCannotShowAreRemovedFirst) {
    const NameCase cases[] = {
        {"", 10, ""},
        {"\x80\xff\xc3\xa9", 10, ""},
        {"\xe9"
         "Bass",
         10, "Bass      "},
        {"Caf\xe9 Bar", 10, "Caf Bar   "},
        {"\xc3\xa9t\xc3\xa9 Strings", 10, "t Strings "},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.fitted);
        EXPECT_EQ(Abbreviated(c.name, c.width), c.fitted);
    }
}

TEST(AbbreviateNameTest, WidthBelowOneKeepsTheFirstCharacter) {
    for (const int width : {1, 0, -1, -1000}) {
        SCOPED_TRACE(width);
        EXPECT_EQ(Abbreviated("Bass", width), "B");
        EXPECT_EQ(Abbreviated("", width), "");
    }
}

TEST(AbbreviateNameTest, NullTextIsIgnored) {
    AbbreviateName(nullptr, 10);
}

} // namespace
