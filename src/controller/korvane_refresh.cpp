// Host to surface: the Host's notifications and the timer's refresh mirror its state on the
// LEDs, the motor fader and the display.
#include "controller/korvane.h"

#include "controls/led.h"
#include "display/page_composer.h"
#include "display/scratch_line.h"
#include "host/host_bridge.h"

namespace {

// The slow refresh runs when strictly more than this has passed since the last one.
constexpr uint32_t kSlowRefreshMs = 300;

} // namespace

// What a notification the surface mirrors does. The Host's other codes change nothing here:
// level changes (21) among them, which the slow refresh picks up.
struct Korvane::Mirror {
    int32_t code;
    void (*handle)(Korvane& controller, int32_t first, int32_t second);
};

const Korvane::Mirror* Korvane::FindMirror(int32_t code) {
    static constexpr Mirror kMirrors[] = {
        {HostParam::Record, [](Korvane& controller, int32_t first,
                               int32_t) { controller.buttons.record.SetState(first != 0); }},
        {HostParam::TrackState16,
         [](Korvane& controller, int32_t track, int32_t state) {
             if (track == controller.currentTrack)
                 controller.buttons.trackState16.SetState(state != 0);
         }},
        {HostParam::Solo,
         [](Korvane& controller, int32_t track, int32_t state) {
             if (track == controller.currentTrack)
                 controller.buttons.solo.SetState(state != 0);
             // A solo on any track may change whether some track is soloed; the LED follows
             // on the next refresh.
             controller.buttons.anySolo.state = AnyTrackSoloed();
         }},
        {HostParam::CurrentTrack,
         [](Korvane& controller, int32_t track, int32_t) { controller.SetCurrentTrack(track); }},
        {HostParam::TrackState20,
         [](Korvane& controller, int32_t track, int32_t state) {
             if (track == controller.currentTrack)
                 controller.buttons.trackState20.SetState(state != 0);
         }},
        {HostParam::Pan,
         [](Korvane& controller, int32_t, int32_t) { controller.RefreshDisplay(); }},
        {HostParam::Name,
         [](Korvane& controller, int32_t, int32_t) { controller.RefreshDisplay(); }},
    };
    for (const Mirror& mirror : kMirrors)
        if (mirror.code == code)
            return &mirror;
    return nullptr;
}

void Korvane::OnHostUpdate(int32_t code, int32_t first, int32_t second, int32_t) {
    if (FindMirror(code) == nullptr)
        return;
    // A Host may notify from inside a call that surface input made. That is the MIDI thread,
    // where no display message may be prepared: the notification waits for the Host's thread
    // like one that finds the lock taken.
    if (InputGate::HandlingInputHere()) {
        pendingUpdates.Add({code, first, second});
        return;
    }
    TryLockGuard guard(lock);
    if (!guard) {
        pendingUpdates.Add({code, first, second});
        return;
    }
    HandlePendingUpdates();
    HandleUpdate(code, first, second);
    HandlePendingUpdates(); // queued by other Host threads meanwhile
}

void Korvane::OnRefreshTimer() {
    TryLockGuard guard(lock);
    if (!guard)
        return; // surface input holds the controller: the next tick catches up
    HandlePendingUpdates();
    WatchSurface();
    if (attached)
        Tick(false);
}

void Korvane::HandlePendingUpdates() {
    PendingUpdates::Update update;
    while (pendingUpdates.Take(update))
        HandleUpdate(update.code, update.first, update.second);
    if (pendingUpdates.TakeResync())
        ResyncWithHost();
}

void Korvane::ResyncWithHost() {
    // Notifications were dropped when too many came at once; what they told is read back
    // (recording and the current track are never dropped) and everything is sent again.
    buttons.trackState16.SetState(GetTrackState(HostParam::TrackState16, currentTrack));
    buttons.solo.SetState(GetTrackState(HostParam::Solo, currentTrack));
    buttons.trackState20.SetState(GetTrackState(HostParam::TrackState20, currentTrack));
    buttons.anySolo.state = AnyTrackSoloed();
    pages.UpdateFader(true);
    buttons.Refresh(true);
    RefreshDisplay();
}

void Korvane::HandleUpdate(int32_t code, int32_t first, int32_t second) {
    if (const Mirror* mirror = FindMirror(code))
        mirror->handle(*this, first, second);
}

void Korvane::Tick(bool force) {
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
    pages.UpdateFader(changed);
    buttons.Refresh(changed);
    RefreshDisplay();
}

void Korvane::SyncFlipState() {
    // Nothing else sets the flip, so it follows the button's latch within one slow period.
    pages.flip = buttons.faderFunction.GetState();
    pages.flipHeld = buttons.faderFunction.IsPressed();
}

void Korvane::ExpireTrackInfo() {
    // The track page stays up while a finger rests on the track encoder in track mode.
    if (IsTrackMode() && pages.IsTouched(kEncoder1))
        return;
    if (trackInfoHold > 0)
        --trackInfoHold;
    RequestTrackInfo(false);
}

void Korvane::RefreshDisplay() {
    PageState page = pages.Page();
    page.trackPageHeld = trackInfoHold > 0;
    char line1[kScratchLineSize];
    char line2[kScratchLineSize];
    BlankScratchLine(line1);
    BlankScratchLine(line2);
    ComposePage(page, line1, line2);
    display.SetLine(1, line1);
    display.SetLine(2, line2);
    display.Flush(false);
}
