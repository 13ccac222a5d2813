// The LED algorithm shared by the latching buttons and the any-solo LED: steady or blinking
// while the state is on, dark while it is off.
#pragma once

#include "controls/midi_object.h"
#include "controls/tick_stamp.h"

// LED values on the wire.
constexpr uint8_t kLedLit = 127;
constexpr uint8_t kLedDark = 0;
// A button is pressed, and a sensor touched, while its last velocity is exactly this.
constexpr int16_t kPressed = 127;
constexpr double kDefaultBlinkInterval = 400.0;

// Brings the LED on `led` up to date with `state`. A steady LED is lit on the first update
// after its state goes on; a forced update resends it as it is. A blinking LED flips at the
// first update after each interval, forced or not. An LED whose last send the port refused
// catches up at the next update (a blinking one at its next flip).
void UpdateLedFor(MidiNote& led, bool state, bool blink, double blinkInterval,
                  TickStamp& lastToggle, bool force);

// Darkens the LED with a forced send, whatever it showed.
void SwitchLedOff(MidiNote& led);
