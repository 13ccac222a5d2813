#include "controls/button_bank.h"

#include "controls/button_notes.h"
#include "host/boundary.h"
#include "host/host_bridge.h"

namespace {
constexpr bool kWithLed = true;
constexpr bool kWithoutLed = false;
} // namespace

ButtonBank::ButtonBank(Korvane& owner)
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
      anySolo(Note::AnySolo), punchInCommand(kNoCommand), controller(owner) {
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
    // Every LED is tried even when the port refuses one, so that a passing failure at close
    // leaves no LED lit; the first refusal is raised afterwards.
    StepSeries steps;
    const auto off = [&steps](auto& led) { steps.Run([&led] { led.LedOff(); }); };
    off(shift);
    steps.Run([this] { encoderModes.AllLedsOff(); });
    off(record);
    for (StateButton& key : functionKeys)
        off(key);
    off(trackLeft);
    off(trackRight);
    off(playMode);
    off(faderFunction);
    off(anySolo);
    off(trackState16);
    off(solo);
    off(trackState20);
    steps.Finish();
}
