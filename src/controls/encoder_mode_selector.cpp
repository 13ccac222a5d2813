#include "controls/encoder_mode_selector.h"

#include "controls/button_notes.h"

EncoderModeSelector::EncoderModeSelector()
    : mode(kTrackMode), modeButtons{{Note::Mode0, true},
                                    {Note::Mode1, true},
                                    {Note::Mode2, true},
                                    {Note::Mode3, true},
                                    {Note::Mode4, true}} {}

void EncoderModeSelector::Refresh(bool force) {
    for (int k = 0; k < kButtonCount; ++k) {
        modeButtons[k].SetState(mode == 2 * k || mode == 2 * k + 1);
        modeButtons[k].SetBlink(mode == 2 * k + 1);
    }
    for (StateButton& button : modeButtons)
        button.UpdateLed(force);
}

void EncoderModeSelector::AllLedsOff() {
    for (StateButton& button : modeButtons)
        button.LedOff();
}
