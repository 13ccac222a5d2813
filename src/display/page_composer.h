// The display's pages: which page the two lines show for a page state, and what each page
// writes at which column. Composition reads the page state and the Host's values; it changes
// nothing and sends nothing.
#pragma once

#include <cstdint>

#include "controls/encoder_mode_selector.h"
#include "controls/midi_map.h"
#include "host/host_api.h"

// No encoder area shows the level in EQ mode with flip until one was chosen.
constexpr int32_t kNoFlipEncoder = -1;

// Everything a page depends on apart from the Host's values.
struct PageState {
    int32_t track = 0;     // the current track
    int mode = kTrackMode; // the encoder mode
    bool shiftLatched = false;
    bool flip = false;                    // the fader-function button's latch
    int32_t flipEncoder = kNoFlipEncoder; // the encoder area that shows the level in EQ mode
    int32_t eqBand = EqBand::Low;
    bool faderOff = false;
    bool faderTouched = false;
    bool touched[kEncoderCount] = {}; // the encoders' touch sensors
    bool encoder1Pressed = false;
    bool trackPageHeld = false; // a track step keeps the track page up

    bool IsTrackMode() const { return ::IsTrackMode(mode, shiftLatched); }
};

// Writes the page for `state` into two scratch lines (kScratchLineSize bytes each), each
// prepared as 16 blanks and a terminator.
void ComposePage(const PageState& state, char* line1, char* line2);
