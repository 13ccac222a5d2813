// The laws that map a Host value (a level in dB, a pan) to the motor fader's 10-bit position
// and back: tables of points ordered by both columns, interpolated linearly in between.
#pragma once

#include <cstddef>

struct LawPoint {
    double value;
    int position;
};

// A law of at least two points, ordered by value and by position.
struct FaderLaw {
    const LawPoint* points;
    size_t count;
};

// Levels from -300 dB (position 0) to +15 dB (position 1022); 0 dB sits at 769.
extern const FaderLaw LevelLaw;
// Pans from -100 (position 0) to 100 (position 1022); the centre sits at 504.
extern const FaderLaw PanLaw;

// The value at a fader position: the first value at or below the first position, the last
// value at or above the last position.
double PositionToValue(const FaderLaw& law, int position);

// The fader position for a value, truncated toward zero: the first position at or below the
// first value, the last position at or above the last value. A NaN, which no fader position
// stands for, gives the first position.
int ValueToPosition(const FaderLaw& law, double value);
