// The five encoder-mode buttons: `mode` decides what the encoders and the display pages do.
// Button k is lit while the mode is 2k or 2k+1 and blinks while it is 2k+1.
#pragma once

#include <cstdint>

#include "controls/state_button.h"

// The modes the mode buttons select.
constexpr int kTrackMode = 0;
constexpr int kEqMode = 4;
constexpr int kEqBandMode = 5;

// Track mode as the track controls see it: encoder 1 steps tracks, and the display offers the
// track page, in track mode and, whatever the mode, while Shift is latched. Every other
// control follows the mode alone.
constexpr bool IsTrackMode(int mode, bool shiftLatched) {
    return mode == kTrackMode || shiftLatched;
}

class EncoderModeSelector {
public:
    static constexpr int kButtonCount = 5;

    EncoderModeSelector();
    virtual ~EncoderModeSelector() = default;

    // Offers a message to the mode buttons; true when one of them consumed it. Every message
    // also refreshes the buttons' LEDs (unforced), which lets the blinking one flip.
    virtual bool Dispatch(const uint8_t* bytes, uint32_t length);
    // Lights the buttons for the current mode.
    virtual void Refresh(bool force);
    virtual void AllLedsOff();

    int mode;
    StateButton modeButtons[kButtonCount];
};
