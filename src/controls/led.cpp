#include "controls/led.h"

namespace {
bool IsLit(const MidiNote& led) {
    return led.outValue == kLedLit;
}

// A send that the port refused leaves the surface showing the value sent before; the next
// update sends again rather than take the LED for what it should show.
bool SurfaceBehind(const MidiNote& led) {
    return led.sentValue != led.outValue;
}
} // namespace

void UpdateLedFor(MidiNote& led, bool state, bool blink, double blinkInterval,
                  TickStamp& lastToggle, bool force) {
    if (!state) {
        if (IsLit(led) || SurfaceBehind(led))
            SwitchLedOff(led);
        return;
    }
    if (!blink && IsLit(led)) {
        // Forced means "send even if unchanged", never "invert": a lit steady LED stays lit.
        led.Send(force);
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
