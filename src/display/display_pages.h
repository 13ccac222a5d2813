// The fader, the three encoders and the page state: what each control changes in the Host in
// every encoder mode, the motor fader, and the composition of the two display lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "controls/midi_map.h"
#include "controls/midi_object.h"
#include "controls/tick_stamp.h"
#include "host/host_bridge.h"

class Korvane;

// The scratch lines the pages are composed in: 16 columns, a terminator and spare room.
constexpr size_t kScratchLineSize = 20;

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
    explicit DisplayPages(Korvane& owner);
    virtual ~DisplayPages() = default;

    // Offers a message to the fader and encoder handlers under the touch focus rule: while a
    // sensor is touched, only the touched controls see messages. True when consumed.
    virtual bool Dispatch(const uint8_t* bytes, uint32_t length);
    // Writes the current page into the two scratch lines (kScratchLineSize bytes each, both
    // prepared as 16 blanks and a NUL).
    virtual bool Compose(char* line1, char* line2);
    // Moves the motor fader to the Host's current level or pan.
    virtual void UpdateFader(bool force);
    virtual bool AnyTouched() const;

    MidiNote faderTouch;
    MidiPitchBend fader;
    PageEncoder encoders[kEncoderCount];
    int32_t eqBand;
    int32_t flipEncoder;
    int32_t track;
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

    // Pages of the display.
    bool FaderPage(char* line1, char* line2);
    bool Encoder1Page(char* line1, char* line2);
    bool Encoder2Page(char* line1, char* line2);
    bool Encoder3Page(char* line1, char* line2);
    bool TrackPage(char* line1, char* line2, bool full);
    bool EqPage(char* line1, char* line2, bool full, int encoder);
    bool BandPage(char* line1, char* line2, bool full, int encoder);
    bool MotorPage(char* line1, char* line2, bool full);

    bool IsTouched(int encoder) const;
    bool IsPressed(int encoder) const;
    bool FaderTouched() const;
    // In track mode with flip the fader edits the pan instead of the level.
    bool PanOnFader() const;
    int Mode() const;
    bool ShiftLatched() const;

    Korvane& controller;
    // The touch last reported to the Host and not yet released, so that its release reaches
    // the same track even when the conditions or the track changed while it was held.
    bool touchReported;
    int32_t touchReportedTrack;
};
