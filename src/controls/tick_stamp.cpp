#include "controls/tick_stamp.h"

#include "platform/platform.h"

void TickStamp::Stamp() {
    time = GetTickCount();
}

bool TickStamp::Exceeds(double interval) const {
    const uint32_t elapsed = GetTickCount() - time;
    return elapsed > interval;
}
