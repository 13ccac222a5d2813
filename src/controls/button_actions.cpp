// What each button does when it is pressed and released, with and without Shift, and the
// dispatch that finds the button a message is for.
#include <cstddef>
#include <limits>

#include "controls/button_bank.h"
#include "controls/key_assignments.h"
#include "host/host_bridge.h"

namespace {

constexpr int32_t kPlainFunctionKeys[ButtonBank::kFunctionKeyCount] = {KeyId::F1, KeyId::F2,
                                                                       KeyId::F3, KeyId::F4};
constexpr int32_t kShiftedFunctionKeys[ButtonBank::kFunctionKeyCount] = {
    KeyId::ShiftF1, KeyId::ShiftF2, KeyId::ShiftF3, KeyId::ShiftF4};

void PressAssigned(int32_t controlId, bool pressed) {
    PressCommand(KeyAssignmentStore::CommandFor(controlId), pressed);
}

// Every button below sends note-on on channel 1, as Shift does: a message with any other
// status (an encoder turn, a fader move) is for none of them.
bool IsButtonMessage(const StateButton& anyButton, const uint8_t* bytes, uint32_t length) {
    return bytes != nullptr && length >= 1 && bytes[0] == anyButton.midi.status;
}

} // namespace

void ButtonBank::LookUpPunchIn(const KeyAssignmentStore& store) {
    punchInCommand = store.FindCommand(kPunchInCommandName);
}

void ButtonBank::CountMessage() {
    if (messageCount < std::numeric_limits<int32_t>::max())
        ++messageCount;
}

bool ButtonBank::Dispatch(const uint8_t* bytes, uint32_t length) {
    if (shift.Match(bytes, length)) {
        OnShift();
        return true;
    }
    if (encoderModes.Dispatch(bytes, length))
        return true;
    if (!IsButtonMessage(shift, bytes, length))
        return false;

    // The track-state buttons act on presses only; their releases go on down the list.
    const TrackStateBinding trackStates[] = {{trackState16, HostParam::TrackState16},
                                             {solo, HostParam::Solo},
                                             {trackState20, HostParam::TrackState20}};
    for (const TrackStateBinding& binding : trackStates) {
        if (binding.button.Match(bytes, length) && binding.button.IsPressed()) {
            OnTrackState(binding.id);
            return true;
        }
    }

    const ButtonBinding buttons[] = {{footswitch, &ButtonBank::OnFootswitch},
                                     {rewind, &ButtonBank::OnRewind},
                                     {fastForward, &ButtonBank::OnFastForward},
                                     {stop, &ButtonBank::OnStop},
                                     {play, &ButtonBank::OnPlay},
                                     {record, &ButtonBank::OnRecord},
                                     {functionKeys[0], &ButtonBank::OnFunctionKey},
                                     {functionKeys[1], &ButtonBank::OnFunctionKey},
                                     {functionKeys[2], &ButtonBank::OnFunctionKey},
                                     {functionKeys[3], &ButtonBank::OnFunctionKey},
                                     {trackLeft, &ButtonBank::OnTrackLeft},
                                     {trackRight, &ButtonBank::OnTrackRight},
                                     {playMode, &ButtonBank::OnPlayMode},
                                     {faderFunction, &ButtonBank::OnFaderFunction}};
    for (const ButtonBinding& binding : buttons) {
        if (binding.button.Match(bytes, length)) {
            (this->*binding.action)(binding.button, binding.button.IsPressed());
            return true;
        }
    }
    return false;
}

void ButtonBank::OnShift() {
    // Shift latches on a press and release with nothing between; when anything else arrived
    // while it was held, the release unlatches it and Shift acted as a momentary modifier.
    if (shift.IsPressed()) {
        messageCount = 0;
        shift.Toggle();
    } else if (messageCount > 1) {
        shift.SetState(false);
    }
}

void ButtonBank::OnTrackState(int32_t id) {
    if (!ShiftLatched()) {
        ToggleTrackState(id, context.CurrentTrack());
    } else if (id == HostParam::Solo) {
        ClearLastSolo();
    } else {
        ClearTrackStateOnAll(id);
    }
}

void ButtonBank::OnFootswitch(StateButton&, bool pressed) {
    PressAssigned(KeyId::Footswitch, pressed);
}

void ButtonBank::OnRewind(StateButton&, bool pressed) {
    if (ShiftLatched())
        PressAssigned(KeyId::ShiftRewind, pressed);
    else
        HoldAction(HostParam::Rewind, pressed);
}

void ButtonBank::OnFastForward(StateButton&, bool pressed) {
    if (ShiftLatched())
        PressAssigned(KeyId::ShiftFastForward, pressed);
    else
        HoldAction(HostParam::FastForward, pressed);
}

void ButtonBank::OnStop(StateButton&, bool pressed) {
    if (pressed)
        TriggerAction(HostParam::Stop);
}

void ButtonBank::OnPlay(StateButton&, bool pressed) {
    if (ShiftLatched())
        PressAssigned(KeyId::ShiftPlay, pressed);
    else if (pressed)
        TriggerAction(playMode.GetState() ? HostParam::PlayAlternative : HostParam::Play);
}

void ButtonBank::OnRecord(StateButton&, bool pressed) {
    if (ShiftLatched())
        PressAssigned(KeyId::ShiftRecord, pressed);
    else if (pressed)
        TriggerAction(HostParam::Record);
}

void ButtonBank::OnFunctionKey(StateButton& key, bool pressed) {
    const auto index = static_cast<size_t>(&key - functionKeys);
    PressAssigned(ShiftLatched() ? kShiftedFunctionKeys[index] : kPlainFunctionKeys[index],
                  pressed);
}

void ButtonBank::OnTrackLeft(StateButton&, bool pressed) {
    if (ShiftLatched())
        PressAssigned(KeyId::ShiftTrackLeft, pressed);
    else if (pressed)
        context.StepTrack(-1);
}

void ButtonBank::OnTrackRight(StateButton&, bool pressed) {
    if (ShiftLatched())
        PressAssigned(KeyId::ShiftTrackRight, pressed);
    else if (pressed)
        context.StepTrack(+1);
}

void ButtonBank::OnPlayMode(StateButton&, bool pressed) {
    if (ShiftLatched()) {
        PressCommand(punchInCommand, pressed);
    } else if (pressed) {
        playMode.Toggle();
        playMode.UpdateLed(true);
    }
}

void ButtonBank::OnFaderFunction(StateButton&, bool pressed) {
    if (ShiftLatched()) {
        // The return-to-track gesture leaves the button's latched state as it was.
        const bool state = faderFunction.GetState();
        if (pressed)
            context.ReturnToTrack();
        faderFunction.SetState(state);
        return;
    }
    // A latching button that acts as a modifier when an encoder is touched while it is held:
    // then its release leaves the state unchanged.
    if (pressed)
        context.ForgetEncoderTouch();
    else if (!context.EncoderTouched())
        faderFunction.Toggle();
}

bool ButtonBank::ShiftLatched() const {
    return shift.GetState();
}
