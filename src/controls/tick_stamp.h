// A moment in the platform's millisecond tick count, for LED blinking and the motor fader's
// hold after a release. Compared as an unsigned 32-bit difference, so that it keeps working
// when the tick count wraps after 49.7 days.
#pragma once

#include <cstdint>

class TickStamp {
public:
    // Stores the current tick count.
    void Stamp();
    // True when strictly more than `interval` milliseconds have passed since the stamp.
    bool Exceeds(double interval) const;

    uint32_t time = 0;
};
