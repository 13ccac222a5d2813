// The controller as the surface's parts see it, for tests of one part on its own: a track, an
// encoder mode and a Shift latch set by the test, and a record of what the parts asked.
#pragma once

#include <cstdint>
#include <vector>

#include "controls/button_bank.h"
#include "controls/encoder_mode_selector.h"
#include "controls/touch_strip.h"
#include "display/display_pages.h"

class PartContext : public ButtonBank::Context,
                    public TouchStrip::Context,
                    public DisplayPages::Context {
public:
    int32_t CurrentTrack() const override { return track; }
    int EncoderMode() const override { return mode; }
    bool ShiftLatched() const override { return shiftLatched; }
    void StepTrack(int step) override { steps.push_back(step); }
    void ReturnToTrack() override { ++returns; }
    void ForgetEncoderTouch() override { encoderTouched = false; }
    bool EncoderTouched() const override { return encoderTouched; }

    int32_t track = 0;
    int mode = kTrackMode;
    bool shiftLatched = false;
    bool encoderTouched = false;
    std::vector<int> steps; // every track step asked for
    int returns = 0;        // return-to-track jumps asked for
};
