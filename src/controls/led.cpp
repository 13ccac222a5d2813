#include "controls/led.h"

namespace {
bool IsLit(const MidiNote& led) {
    return led.outValue == kLedLit;
}
} // namespace

void UpdateLedFor(MidiNote& led, bool state, bool blink, double blinkInterval,
                  TickStamp& lastToggle, bool force) {
    if (!state) {
        if (IsLit(led))
            SwitchLedOff(led);
        return;
    }
    if (!blink && IsLit(led)) {
        // Forced means "send even if unchanged", never "invert": a lit steady LED stays lit.
        if (force)
            led.Send(true);
        return;
    }
    if (blink && !lastToggle.Exceeds(blinkInterval))
        return;
    lastToggle.Stamp();
    led.outValue = IsLit(led) ? kLedDark : kLedLit;
    led.Send(force);
}

void SwitchLedOff(MidiNote& led) {
    led.outValue = kLedDark;
    led.Send(true);
}
