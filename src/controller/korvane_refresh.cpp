// Host to surface: the Host's notifications and the timer's refresh mirror its state on the
// LEDs, the motor fader and the display.
#include "controller/korvane.h"

#include "controls/led.h"

namespace {
// The slow refresh runs when strictly more than this has passed since the last one.
constexpr uint32_t kSlowRefreshMs = 300;
} // namespace

void Korvane::HandleUpdate(int32_t code, int32_t first, int32_t second, int32_t) {
    LockGuard guard(lock);
    const bool forCurrentTrack = first == currentTrack;
    switch (code) {
    case HostParam::Record:
        buttons.record.SetState(first != 0);
        break;
    case HostParam::TrackState16:
        if (forCurrentTrack)
            buttons.trackState16.SetState(second != 0);
        break;
    case HostParam::Solo:
        if (forCurrentTrack)
            buttons.solo.SetState(second != 0);
        // A solo on any track may change whether some track is soloed; the LED follows on
        // the next refresh.
        buttons.anySolo.state = AnyTrackSoloed();
        break;
    case HostParam::CurrentTrack:
        SetCurrentTrack(first);
        break;
    case HostParam::TrackState20:
        if (forCurrentTrack)
            buttons.trackState20.SetState(second != 0);
        break;
    case HostParam::Pan:
    case HostParam::Name:
        RefreshDisplay();
        break;
    default:
        // Level changes and everything else are picked up by the slow refresh, or unused.
        break;
    }
}

void Korvane::Tick(bool force) {
    LockGuard guard(lock);
    const uint32_t now = GetTickCount();
    const bool slow = now - lastSlowRefresh > kSlowRefreshMs; // unsigned: survives the wrap
    if (slow) {
        ExpireTrackInfo();
        SyncFlipState();
    }
    touchStrip.Tick();
    if (slow) {
        buttons.Refresh(force);
        pages.UpdateFader(force);
        RefreshDisplay();
        lastSlowRefresh = now;
    }
}

void Korvane::SetCurrentTrack(int32_t track) {
    // A new track resends every LED and the fader even where they equal what was sent.
    const bool changed = track != currentTrack;
    currentTrack = track;
    pages.track = track;
    pages.UpdateFader(changed);
    buttons.Refresh(changed);
    RefreshDisplay();
}

void Korvane::SyncFlipState() {
    const bool latched = buttons.faderFunction.GetState();
    pages.flipHeld = buttons.faderFunction.IsPressed();
    if (latched != flipLatched) {
        pages.flip = latched;
        flipLatched = latched;
    }
}

void Korvane::ExpireTrackInfo() {
    // The track page stays up while a finger rests on the track encoder in track mode.
    if (IsTrackMode() && pages.encoders[0].touch.value == kPressed)
        return;
    if (trackInfoHold > 0)
        --trackInfoHold;
    RequestTrackInfo(false);
}
