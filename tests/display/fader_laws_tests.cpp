// The level and pan laws of the motor fader: the points themselves, the interpolation
// between them, and positions and values outside the laws, NaN included.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "display/fader_laws.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct PositionCase {
    const FaderLaw* law;
    int position;
    double value;
};

TEST(FaderLawTest, PositionToValue) {
    const PositionCase cases[] = {
        {&LevelLaw, 0, -300.0},     {&LevelLaw, 2, -211.0},     {&LevelLaw, 6, -186.5},
        {&LevelLaw, 769, 0.0},      {&LevelLaw, 1002, 13.5},    {&LevelLaw, 1022, 15.0},
        {&LevelLaw, 1023, 15.0},    {&LevelLaw, -1, -300.0},    {&LevelLaw, INT_MIN, -300.0},
        {&LevelLaw, INT_MAX, 15.0}, {&PanLaw, 0, -100.0},       {&PanLaw, 504, 0.0},
        {&PanLaw, 617, 20.0},       {&PanLaw, 1022, 100.0},     {&PanLaw, 1023, 100.0},
        {&PanLaw, -5, -100.0},      {&PanLaw, INT_MIN, -100.0},
    };
    for (const PositionCase& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_DOUBLE_EQ(PositionToValue(*c.law, c.position), c.value);
    }
}

struct ValueCase {
    const FaderLaw* law;
    double value;
    int position;
};

TEST(FaderLawTest, ValueToPosition) {
    const ValueCase cases[] = {
        {&LevelLaw, -400.0, 0},       {&LevelLaw, -300.0, 0},     {&LevelLaw, -299.9, 0},
        {&LevelLaw, -186.5, 6},       {&LevelLaw, 0.0, 769},      {&LevelLaw, 1.5, 797},
        {&LevelLaw, 15.0, 1022},      {&LevelLaw, 20.0, 1022},    {&LevelLaw, 1e300, 1022},
        {&LevelLaw, -1e300, 0},       {&LevelLaw, kInf, 1022},    {&LevelLaw, -kInf, 0},
        {&LevelLaw, std::nan(""), 0}, {&PanLaw, -32768.0, 0},     {&PanLaw, -100.0, 0},
        {&PanLaw, 0.0, 504},          {&PanLaw, 10.0, 560},       {&PanLaw, 100.0, 1022},
        {&PanLaw, 32767.0, 1022},     {&PanLaw, std::nan(""), 0},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ValueToPosition(*c.law, c.value), c.position);
    }
}

// The motor fader is sent back where the user left it: a position turned into a level and
// back lands on the same position or, through truncation, the one below.
TEST(FaderLawTest, LevelRoundTripStaysWithinOnePosition) {
    int previous = 0;
    for (int position = 0; position <= 1022; ++position) {
        SCOPED_TRACE(position);
        const int back = ValueToPosition(LevelLaw, PositionToValue(LevelLaw, position));
        EXPECT_LE(back, position);
        EXPECT_GE(back, position - 1);
        EXPECT_GE(back, previous);
        previous = back;
    }
}

TEST(FaderLawTest, EveryPointMapsOntoItself) {
    for (const FaderLaw* law : {&LevelLaw, &PanLaw}) {
        for (size_t i = 0; i < law->count; ++i) {
            const LawPoint& point = law->points[i];
            EXPECT_DOUBLE_EQ(PositionToValue(*law, point.position), point.value);
            EXPECT_EQ(ValueToPosition(*law, point.value), point.position);
        }
    }
}

} // namespace
