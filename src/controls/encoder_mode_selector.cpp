#include "controls/encoder_mode_selector.h"

#include "controls/midi_map.h"

EncoderModeSelector::EncoderModeSelector()
    : mode(kTrackMode), modeButtons{{Note::Mode0, true},
                                    {Note::Mode1, true},
                                    {Note::Mode2, true},
                                    {Note::Mode3, true},
                                    {Note::Mode4, true}} {}

void EncoderModeSelector::Refresh(bool force) {
    // Every message that reaches the button bank comes here. A button whose state and blinking
    // stay as they were gets its one unforced LED update from SetState; a second update would
    // find nothing to do, so only the buttons that changed, or a forced refresh, get it.
    bool settled[kButtonCount];
    for (int k = 0; k < kButtonCount; ++k) {
        StateButton& button = modeButtons[k];
        const bool on = mode == 2 * k || mode == 2 * k + 1;
        const bool blinking = mode == 2 * k + 1;
        settled[k] = !force && on == button.GetState() && blinking == button.blink;
        button.SetState(on);
        button.SetBlink(blinking);
    }
    for (int k = 0; k < kButtonCount; ++k) {
        if (!settled[k])
            modeButtons[k].UpdateLed(force);
    }
}

void EncoderModeSelector::AllLedsOff() {
    for (StateButton& button : modeButtons)
        button.LedOff();
}

bool EncoderModeSelector::Dispatch(const uint8_t* bytes, uint32_t length) {
    StateButton& trackModeButton = modeButtons[0];
    StateButton& eqModeButton = modeButtons[2];
    if (trackModeButton.Match(bytes, length)) {
        if (!trackModeButton.IsPressed())
            return true;
        mode = kTrackMode;
        Refresh(false);
        return true;
    }
    // Notes 41, 43 and 74 select nothing; like every other message that reaches the bank,
    // they refresh the mode LEDs, which lets the blinking one flip between slow refreshes.
    if (eqModeButton.Match(bytes, length)) {
        if (!eqModeButton.IsPressed())
            return true;
        mode = mode == kEqMode ? kEqBandMode : kEqMode;
        Refresh(false);
        return true;
    }
    Refresh(false);
    return false;
}
