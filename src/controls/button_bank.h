// Every button and LED of the surface, the encoder-mode selector and the any-solo LED, with
// the refresh and darkening of all LEDs in their fixed orders.
#pragma once

#include <cstdint>

#include "controls/encoder_mode_selector.h"
#include "controls/key_assignment_store.h"
#include "controls/state_button.h"

class ButtonBank {
public:
    // What the buttons need from their owner.
    class Context {
    public:
        virtual int32_t CurrentTrack() const = 0;
        // Steps the current track by one, back (negative) or forward (positive).
        virtual void StepTrack(int step) = 0;
        // Alternates between the highest named track and the one current before.
        virtual void ReturnToTrack() = 0;
        // The fader and encoders' encoder-touch flag: faderFunction's press clears it and its
        // release reads it.
        virtual void ForgetEncoderTouch() = 0;
        virtual bool EncoderTouched() const = 0;

    protected:
        virtual ~Context() = default;
    };

    static constexpr int kFunctionKeyCount = 4;
    // The Host command that playMode sends with Shift, found by name when the surface opens.
    static constexpr char kPunchInCommandName[] = "Clips: Punch In";

    explicit ButtonBank(Context& owner);
    virtual ~ButtonBank() = default;

    // Offers a message to the buttons; true when one consumed it (runs its action).
    virtual bool Dispatch(const uint8_t* bytes, uint32_t length);
    // Counts one message from the surface, whichever part it is for: the Shift latch asks
    // whether anything else arrived while Shift was held.
    void CountMessage();
    virtual void Refresh(bool force);
    virtual void AllLedsOff();
    // Finds the Host's punch-in command by name; called once when the surface was found.
    void LookUpPunchIn(const KeyAssignmentStore& store);
    // Shift latched, not merely held: what the actions, the strip and the pages go by.
    bool ShiftLatched() const;

    StateButton shift;
    EncoderModeSelector encoderModes;
    StateButton trackState16;
    StateButton solo;
    StateButton trackState20;
    StateButton footswitch;
    StateButton rewind;
    StateButton fastForward;
    StateButton stop;
    StateButton play;
    StateButton record;
    StateButton functionKeys[kFunctionKeyCount];
    StateButton trackLeft;
    StateButton trackRight;
    StateButton playMode;
    StateButton faderFunction;
    AnySoloLED anySolo;
    int32_t punchInCommand;
    // Short messages received since Shift was last pressed; the count stops at its maximum.
    int32_t messageCount;

private:
    using Action = void (ButtonBank::*)(StateButton& button, bool pressed);
    struct ButtonBinding {
        StateButton& button;
        Action action;
    };
    struct TrackStateBinding {
        StateButton& button;
        int32_t id;
    };

    void OnShift();
    void OnTrackState(int32_t id);
    void OnFootswitch(StateButton& button, bool pressed);
    void OnRewind(StateButton& button, bool pressed);
    void OnFastForward(StateButton& button, bool pressed);
    void OnStop(StateButton& button, bool pressed);
    void OnPlay(StateButton& button, bool pressed);
    void OnRecord(StateButton& button, bool pressed);
    void OnFunctionKey(StateButton& key, bool pressed);
    void OnTrackLeft(StateButton& button, bool pressed);
    void OnTrackRight(StateButton& button, bool pressed);
    void OnPlayMode(StateButton& button, bool pressed);
    void OnFaderFunction(StateButton& button, bool pressed);

    Context& context;
};
