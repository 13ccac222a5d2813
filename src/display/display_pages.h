// The fader and the three encoders: the touch focus between their sensors, what a touch, a
// press or a turn changes in the Host in each encoder mode, the motor fader, and the page
// state they leave for the display.
#pragma once

#include <cstdint>
#include <optional>

#include "controls/midi_map.h"
#include "controls/midi_object.h"
#include "controls/tick_stamp.h"
#include "display/page_composer.h"

// Presses of encoder 3 counted within one touch in track mode (the double press).
extern int32_t resetPressCount;

struct PageEncoder {
    explicit PageEncoder(int index);

    MidiNote touch; // the touch sensor, 127 = touched
    MidiNote press; // the push switch, 127 = pressed
    MidiCC turn;    // relative turns
};

class DisplayPages {
public:
    // What the fader and encoders need from their owner.
    class Context {
    public:
        virtual int32_t CurrentTrack() const = 0;
        virtual int EncoderMode() const = 0;
        virtual bool ShiftLatched() const = 0;
        // Steps the current track by one, back (negative) or forward (positive).
        virtual void StepTrack(int step) = 0;

    protected:
        virtual ~Context() = default;
    };

    explicit DisplayPages(Context& owner);
    virtual ~DisplayPages() = default;

    // Offers a message to the fader and encoder handlers under the touch focus rule: while a
    // sensor is touched, only the touched controls see messages. True when consumed.
    virtual bool Dispatch(const uint8_t* bytes, uint32_t length);
    // Moves the motor fader to the Host's current level or pan.
    virtual void UpdateFader(bool force);
    virtual bool AnyTouched() const;
    bool IsTouched(int encoder) const;
    // The page state as the controls and the owner's track, mode and Shift leave it.
    PageState Page() const;

    MidiNote faderTouch;
    MidiPitchBend fader;
    PageEncoder encoders[kEncoderCount];
    int32_t eqBand;
    int32_t flipEncoder;
    bool flip;
    bool flipHeld;
    bool encoderTouched;
    bool trackInfo;
    bool faderOff;
    TickStamp faderReleased;

private:
    // Input handlers; each consumes every message that matches one of its objects.
    bool HandleFader(const uint8_t* bytes, uint32_t length);
    bool HandleEncoder1(const uint8_t* bytes, uint32_t length);
    bool HandleEncoder2(const uint8_t* bytes, uint32_t length);
    bool HandleEncoder3(const uint8_t* bytes, uint32_t length);
    void FaderToHost(int position);
    // The motor position for the Host's value; none when the Host's level is not a number.
    std::optional<int> HostToFader() const;
    void ReportTouch(bool touched);
    void TurnEncoder1(int steps, bool fine);
    void TurnEncoder2(int steps, bool fine);
    void TurnEncoder3(int steps, bool fine);
    void NudgeLevel(int steps, bool fine);
    void StepEqBand(int steps);
    void SelectFlipEncoder(int encoder);
    void CountResetPress();
    void ResetTrackValue();

    bool IsPressed(int encoder) const;
    bool FaderTouched() const;
    // In track mode with flip the fader edits the pan instead of the level.
    bool PanOnFader() const;
    int32_t Track() const;
    int Mode() const;
    bool ShiftLatched() const;
    bool IsTrackMode() const;

    Context& context;
    // The touch last reported to the Host and not yet released, so that its release reaches
    // the same track even when the conditions or the track changed while it was held.
    bool touchReported;
    int32_t touchReportedTrack;
};
