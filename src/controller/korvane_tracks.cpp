// Track stepping, the return-to-track jump, the track-mode test, and the other questions the
// parts ask of the controller.
#include "controller/korvane.h"

#include "host/host_bridge.h"

namespace {
// A track step keeps the track page up for this many slow-refresh periods.
constexpr int32_t kTrackInfoPeriods = 8;
} // namespace

void Korvane::RequestTrackInfo(bool on) {
    pages.trackInfo = on;
    if (on)
        trackInfoHold = kTrackInfoPeriods;
}

void Korvane::StepTrack(int step) {
    RequestTrackInfo(true);
    const auto current = static_cast<int16_t>(currentTrack);
    if (step > 0)
        SelectNextTrack(current);
    else if (step < 0)
        SelectPreviousTrack(current);
}

void Korvane::ReturnToTrack() {
    // Alternates between the highest named track and the track that was current before.
    const int32_t last = LastNamedTrack();
    int32_t target;
    if (last == currentTrack) {
        target = static_cast<uint16_t>(returnTrack);
    } else {
        returnTrack = currentTrack;
        target = last;
    }
    SelectTrack(target);
}

bool Korvane::IsTrackMode() const {
    return ::IsTrackMode(EncoderMode(), ShiftLatched());
}

int32_t Korvane::CurrentTrack() const {
    return currentTrack;
}

int Korvane::EncoderMode() const {
    return buttons.encoderModes.mode;
}

bool Korvane::ShiftLatched() const {
    return buttons.ShiftLatched();
}

void Korvane::ForgetEncoderTouch() {
    pages.encoderTouched = false;
}

bool Korvane::EncoderTouched() const {
    return pages.encoderTouched;
}
