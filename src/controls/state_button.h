// A button with a latched on/off state whose LED can follow that state, steadily or blinking.
#pragma once

#include "controls/midi_object.h"
#include "controls/tick_stamp.h"

class StateButton {
public:
    StateButton(uint8_t note, bool ledFollows);
    virtual ~StateButton() = default;

    // Sets the state; the LED is updated, forced when the state changed.
    virtual void SetState(bool on);
    virtual bool Match(const uint8_t* bytes, uint32_t length);
    virtual void Toggle();
    virtual void UpdateLed(bool force);
    virtual bool GetState() const;
    // True while the button is held down (its last velocity was 127).
    virtual bool IsPressed() const;
    virtual void SetBlink(bool on);
    virtual void SetBlinkInterval(double milliseconds);

    // Darkens the LED (forced) without changing the state.
    void LedOff();

    bool state;
    MidiNote midi;
    bool ledFollowsState; // when false, every LED operation does nothing
    bool blink;
    double blinkInterval;
    TickStamp lastToggle;
};

// The LED that shows whether any Host track is soloed; it has no button and blinks.
class AnySoloLED {
public:
    explicit AnySoloLED(uint8_t note);
    virtual ~AnySoloLED() = default;

    // Always false: there is no button to match.
    virtual bool Match(const uint8_t* bytes, uint32_t length);
    virtual void LedOff();
    virtual void UpdateLed(bool force);
    virtual void SetBlink(bool on);
    virtual void SetBlinkInterval(double milliseconds);

    MidiNote midi;
    bool state; // written by the refresh: some track is soloed
    bool blink;
    double blinkInterval;
    TickStamp lastToggle;
};
