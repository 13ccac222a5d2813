// The level, pan and EQ texts and the two bars: the texts the display shows for ordinary
// values, the cells of both bars, and values far outside any range staying inside the room
// they are given.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "display/value_format.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr size_t kLineBuffer = 20; // a display page's scratch line
constexpr char kUntouched = 'U';

// Bar cells written as a pattern: 'F' full, '-' empty, '<' and '>' the centre mark halves,
// '1' to '8' the partial glyph codes 1 to 8.
std::string Cells(const char* pattern) {
    std::string cells;
    for (const char* p = pattern; *p != '\0'; ++p) {
        switch (*p) {
        case 'F':
            cells += kBarFullCell;
            break;
        case '-':
            cells += kBarEmptyCell;
            break;
        case '<':
            cells += kPanCentreLeft;
            break;
        case '>':
            cells += kPanCentreRight;
            break;
        default:
            cells += static_cast<char>(*p - '0');
            break;
        }
    }
    return cells;
}

using TextWriter = std::function<void(char*, size_t)>;

std::string Written(const TextWriter& write) {
    char buffer[kLineBuffer];
    std::memset(buffer, kUntouched, sizeof buffer);
    write(buffer, sizeof buffer);
    return buffer;
}

struct LevelCase {
    double level;
    const char* text;
    const char* bar;
};

TEST(FormatLevelTest, TextAndBarForEachLevel) {
    const LevelCase cases[] = {
        {-1e300, "-oo  ", "----------"}, {-kInf, "-oo  ", "----------"},
        {-301.0, "-oo  ", "----------"}, {-300.0, "-oo  ", "----------"},
        {-299.5, "-oo  ", "----------"}, {-299.0, "-299", "----------"},
        {-250.0, "-250", "5---------"},  {-100.0, "-100", "F6--------"},
        {-6.0, "-6", "FFFFF-----"},      {-0.4, "-0", "FFFFF7----"},
        {0.0, " 0", "FFFFFF----"},       {0.5, "+0.5", "FFFFFF----"},
        {2.3, "+2.3", "FFFFFF6---"},     {3.0, "+3.0", "FFFFFFF---"},
        {13.9, "+13.9", "FFFFFFFFF7"},   {14.0, "+14.0", "FFFFFFFFFF"},
        {15.0, "+15.0", "FFFFFFFFFF"},   {kInf, "+inf", "FFFFFFFFFF"},
        {1e300, nullptr, "FFFFFFFFFF"},  {kNaN, nullptr, "----------"},
    };
    for (const LevelCase& c : cases) {
        SCOPED_TRACE(c.level);
        if (c.text != nullptr) {
            EXPECT_EQ(Written([&](char* d, size_t r) { FormatLevel(d, r, c.level); }), c.text);
        }
        char bar[kLevelBarCells];
        DrawLevelBar(bar, sizeof bar, c.level);
        EXPECT_EQ(std::string(bar, sizeof bar), Cells(c.bar));
    }
}

struct PanCase {
    int16_t pan;
    const char* text;
    const char* bar; // cells 1 to 10
};

TEST(FormatPanTest, TextAndBarForEachPan) {
    const PanCase cases[] = {
        {0, " 0 ", "----<>----"},    {1, "R 1", "----<4----"},     {3, "R 3", "----<4----"},
        {5, "R 5", "----<4----"},    {7, "R 7", "----<4----"},     {8, "R 8", "----<5----"},
        {20, "R20", "----<F----"},   {50, "R50", "----<FF5--"},    {99, "R99", "----<FFFF7"},
        {100, "RGT", "----<FFFFF"},  {150, "R150", "----<FFFFF"},  {32767, "R32767", "----<FFFFF"},
        {-1, "L 1", "----3>----"},   {-5, "L 5", "----3>----"},    {-8, "L 8", "----2>----"},
        {-12, "L12", "----1>----"},  {-37, "L37", "---8F>----"},   {-99, "L99", "8FFFF>----"},
        {-100, "LFT", "FFFFF>----"}, {-101, "L101", "FFFFF>----"}, {-32768, "L32768", "FFFFF>----"},
    };
    for (const PanCase& c : cases) {
        SCOPED_TRACE(c.pan);
        EXPECT_EQ(Written([&](char* d, size_t r) { FormatPan(d, r, c.pan); }), c.text);
        char bar[kPanBarLastCell + 1];
        bar[0] = kUntouched;
        DrawPanBar(bar, sizeof bar, c.pan);
        EXPECT_EQ(bar[0], kUntouched) << "the cell before the bar belongs to the caller";
        EXPECT_EQ(std::string(bar + kPanBarFirstCell, kPanBarLastCell), Cells(c.bar));
    }
}

struct FrequencyCase {
    double hz;
    bool precise;
    const char* text;
    double printed;
};

TEST(FormatFrequencyTest, TextAndPrintedNumber) {
    const FrequencyCase cases[] = {
        {80.0, false, " 80Hz", 80.0},           {250.0, false, "250Hz", 250.0},
        {999.4, false, "999Hz", 999.4},         {999.6, false, "1000Hz", 999.6},
        {1000.0, false, "1.0kH", 1.0},          {2500.0, false, "2.5kH", 2.5},
        {9999.0, false, "10.0kH", 9.999},       {10000.0, false, "10kHz", 10.0},
        {12000.0, false, "12kHz", 12.0},        {250.0, true, "250.00Hz", 250.0},
        {1000.0, true, "1000.00Hz", 1000.0},    {2500.0, true, "2500.00Hz", 2500.0},
        {20000.0, true, "20000.00Hz", 20000.0},
    };
    for (const FrequencyCase& c : cases) {
        SCOPED_TRACE(c.hz);
        double printed = 0.0;
        EXPECT_EQ(
            Written([&](char* d, size_t r) { printed = FormatFrequency(d, r, c.hz, c.precise); }),
            c.text);
        EXPECT_DOUBLE_EQ(printed, c.printed);
    }
}

struct GainCase {
    double db;
    bool precise;
    const char* text;
};

TEST(FormatGainTest, DecimalDroppedOnlyAboveTenUnlessPrecise) {
    const GainCase cases[] = {
        {-15.0, false, "-15.0dB"}, {-12.0, false, "-12.0dB"}, {-3.0, false, "-3.0dB"},
        {0.0, false, "0.0dB"},     {10.0, false, "10.0dB"},   {12.0, false, "12dB"},
        {12.4, false, "12dB"},     {12.0, true, "12.0dB"},    {12.4, true, "12.4dB"},
    };
    for (const GainCase& c : cases) {
        SCOPED_TRACE(c.db);
        EXPECT_EQ(Written([&](char* d, size_t r) { FormatGain(d, r, c.db, c.precise); }), c.text);
    }
}

TEST(FormatQTest, OneDecimal) {
    EXPECT_EQ(Written([](char* d, size_t r) { FormatQ(d, r, 0.7); }), "0.7");
    EXPECT_EQ(Written([](char* d, size_t r) { FormatQ(d, r, 10.0); }), "10.0");
}

// Every text routine, over values no Host should report, must cut its text at the room it is
// given, terminate it, and leave every byte past the room alone.
TEST(BoundedTextTest, HostileValuesAreCutAtTheRoom) {
    const double hostile[] = {kNaN,
                              -kNaN,
                              kInf,
                              -kInf,
                              1e300,
                              -1e300,
                              std::numeric_limits<double>::max(),
                              std::numeric_limits<double>::lowest(),
                              123456789.0};
    using ValueWriter = std::function<void(char*, size_t, double)>;
    const std::vector<std::pair<const char*, ValueWriter>> routines = {
        {"level", [](char* d, size_t r, double v) { FormatLevel(d, r, v); }},
        {"frequency", [](char* d, size_t r, double v) { FormatFrequency(d, r, v, false); }},
        {"precise frequency", [](char* d, size_t r, double v) { FormatFrequency(d, r, v, true); }},
        {"gain", [](char* d, size_t r, double v) { FormatGain(d, r, v, false); }},
        {"precise gain", [](char* d, size_t r, double v) { FormatGain(d, r, v, true); }},
        {"Q", [](char* d, size_t r, double v) { FormatQ(d, r, v); }},
        {"pan", [](char* d, size_t r,
                   double v) { FormatPan(d, r, static_cast<int16_t>(v > 0 ? 32767 : -32768)); }},
    };
    for (const auto& [name, write] : routines) {
        for (const double value : hostile) {
            char whole[1024];
            write(whole, sizeof whole, value);
            const std::string full = whole;
            ASSERT_LT(full.size(), sizeof whole);
            for (const size_t room : {size_t{0}, size_t{1}, size_t{3}, size_t{8}, kLineBuffer}) {
                SCOPED_TRACE(std::string(name) + " of " + std::to_string(value) + " in " +
                             std::to_string(room));
                char line[kLineBuffer + 4];
                std::memset(line, kUntouched, sizeof line);
                write(line, room, value);
                for (size_t i = room; i < sizeof line; ++i) {
                    ASSERT_EQ(line[i], kUntouched) << "byte " << i;
                }
                if (room > 0) {
                    ASSERT_NE(std::memchr(line, '\0', room), nullptr);
                    EXPECT_EQ(std::string(line), full.substr(0, room - 1));
                }
            }
        }
    }
}

TEST(BoundedBarTest, CellsAtOrPastTheRoomAreNotWritten) {
    for (const size_t room : {size_t{0}, size_t{1}, size_t{4}, size_t{10}, size_t{11}}) {
        SCOPED_TRACE(room);
        char level[kLineBuffer];
        std::memset(level, kUntouched, sizeof level);
        DrawLevelBar(level, room, 14.0);
        for (size_t i = 0; i < sizeof level; ++i) {
            EXPECT_EQ(level[i], i < room && i < kLevelBarCells ? kBarFullCell : kUntouched);
        }
        char pan[kLineBuffer];
        std::memset(pan, kUntouched, sizeof pan);
        DrawPanBar(pan, room, 100);
        for (size_t i = 0; i < sizeof pan; ++i) {
            const bool drawn = i >= kPanBarFirstCell && i <= kPanBarLastCell && i < room;
            EXPECT_EQ(pan[i] != kUntouched, drawn) << "cell " << i;
        }
    }
}

// The bar beside the frequency is drawn from the number FormatFrequency returns, whatever
// the Host reported.
TEST(BoundedBarTest, LevelBarOfAnyFrequencyStaysInItsCells) {
    for (const double hz : {kNaN, kInf, -kInf, 1e300, -1e300}) {
        for (const bool precise : {false, true}) {
            char text[kLineBuffer];
            const double printed = FormatFrequency(text, sizeof text, hz, precise);
            char bar[kLevelBarCells + 1];
            bar[kLevelBarCells] = kUntouched;
            DrawLevelBar(bar, kLevelBarCells, printed);
            EXPECT_EQ(bar[kLevelBarCells], kUntouched);
            for (size_t i = 0; i < kLevelBarCells; ++i) {
                EXPECT_TRUE(bar[i] == kBarFullCell || bar[i] == kBarEmptyCell) << hz;
            }
        }
    }
}

} // namespace
