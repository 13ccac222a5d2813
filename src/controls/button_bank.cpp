#include "controls/button_bank.h"

#include "controls/midi_map.h"
#include "host/host_bridge.h"

namespace {
constexpr bool kWithLed = true;
constexpr bool kWithoutLed = false;
} // namespace

ButtonBank::ButtonBank(Context& owner)
    : shift(Note::Shift, kWithLed), trackState16(Note::TrackState16, kWithLed),
      solo(Note::Solo, kWithLed), trackState20(Note::TrackState20, kWithLed),
      footswitch(Note::Footswitch, kWithoutLed), rewind(Note::Rewind, kWithoutLed),
      fastForward(Note::FastForward, kWithoutLed), stop(Note::Stop, kWithoutLed),
      play(Note::Play, kWithoutLed),
      record(Note::Record, kWithLed), functionKeys{{Note::F1, kWithLed},
                                                   {Note::F2, kWithLed},
                                                   {Note::F3, kWithLed},
                                                   {Note::F4, kWithLed}},
      trackLeft(Note::TrackLeft, kWithLed), trackRight(Note::TrackRight, kWithLed),
      playMode(Note::PlayMode, kWithLed), faderFunction(Note::FaderFunction, kWithLed),
      anySolo(Note::AnySolo), punchInCommand(kNoCommand), messageCount(0), context(owner) {
    shift.SetBlink(true);
}

void ButtonBank::Refresh(bool force) {
    shift.UpdateLed(force);
    encoderModes.Refresh(force);
    record.UpdateLed(force);
    for (StateButton& key : functionKeys)
        key.UpdateLed(force);
    trackLeft.UpdateLed(force);
    trackRight.UpdateLed(force);
    faderFunction.UpdateLed(force);
    trackState16.UpdateLed(force);
    solo.UpdateLed(force);
    trackState20.UpdateLed(force);
    playMode.UpdateLed(force);
    anySolo.UpdateLed(force);
}

void ButtonBank::AllLedsOff() {
    // A refused LED does not stop the others: each send reports its refusal and goes on.
    shift.LedOff();
    encoderModes.AllLedsOff();
    record.LedOff();
    for (StateButton& key : functionKeys)
        key.LedOff();
    trackLeft.LedOff();
    trackRight.LedOff();
    playMode.LedOff();
    faderFunction.LedOff();
    anySolo.LedOff();
    trackState16.LedOff();
    solo.LedOff();
    trackState20.LedOff();
}
