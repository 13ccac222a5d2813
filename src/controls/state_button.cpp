#include "controls/state_button.h"

#include "controls/led.h"

StateButton::StateButton(uint8_t note, bool ledFollows)
    : state(false), midi(note), ledFollowsState(ledFollows), blink(false),
      blinkInterval(kDefaultBlinkInterval) {}

void StateButton::SetState(bool on) {
    const bool old = state;
    state = on;
    if (ledFollowsState)
        UpdateLed(on != old);
}

bool StateButton::Match(const uint8_t* bytes, uint32_t length) {
    return midi.Match(bytes, length);
}

void StateButton::Toggle() {
    state = !state;
    if (ledFollowsState)
        UpdateLed(true);
}

void StateButton::UpdateLed(bool force) {
    if (ledFollowsState)
        UpdateLedFor(midi, state, blink, blinkInterval, lastToggle, force);
}

bool StateButton::GetState() const {
    return state;
}

bool StateButton::IsPressed() const {
    return midi.value == kPressed;
}

void StateButton::SetBlink(bool on) {
    blink = on;
}

void StateButton::SetBlinkInterval(double milliseconds) {
    blinkInterval = milliseconds;
}

void StateButton::LedOff() {
    if (ledFollowsState)
        SwitchLedOff(midi);
}

AnySoloLED::AnySoloLED(uint8_t note)
    : midi(note), state(false), blink(true), blinkInterval(kDefaultBlinkInterval) {}

bool AnySoloLED::Match(const uint8_t*, uint32_t) {
    return false;
}

void AnySoloLED::LedOff() {
    SwitchLedOff(midi);
}

void AnySoloLED::UpdateLed(bool force) {
    UpdateLedFor(midi, state, blink, blinkInterval, lastToggle, force);
}

void AnySoloLED::SetBlink(bool on) {
    blink = on;
}

void AnySoloLED::SetBlinkInterval(double milliseconds) {
    blinkInterval = milliseconds;
}
