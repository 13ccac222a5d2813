// The controller: the one object that represents an open controller. It owns every object
// that models the surface, the display buffer, both MIDI ports, the key-assignment store and a
// copy of the Host's callback table. Surface input goes to the strip, the buttons and the
// fader and encoders; the Host's notifications and the refresh timer come back out through
// the LEDs, the motor fader and the composed display pages. The parts ask it only what their
// own context offers.
#pragma once

#include <cstdint>

#include "controller/controller_lock.h"
#include "controller/input_gate.h"
#include "controller/pending_updates.h"
#include "controls/button_bank.h"
#include "controls/key_assignment_store.h"
#include "controls/touch_strip.h"
#include "display/display_pages.h"
#include "display/text_display.h"
#include "host/host_api.h"
#include "midi/midi_in_device.h"
#include "midi/midi_out_device.h"
#include "midi/midi_receiver.h"

// The surface's ports are the ones whose names begin with this.
constexpr char kSurfaceName[] = "Korvane";

class Korvane : public midi::CMIDIReceiver,
                private ButtonBank::Context,
                private TouchStrip::Context,
                private DisplayPages::Context {
public:
    explicit Korvane(const HostCallbackTable* table);
    ~Korvane() override;
    Korvane(const Korvane&) = delete;
    Korvane& operator=(const Korvane&) = delete;

    // Surface input, on the platform's MIDI thread.
    void OnLongMsg(const BYTE* bytes, DWORD byteCount, DWORD timeStamp) override;
    void OnShortMsg(DWORD word, DWORD timeStamp) override;
    void OnLongMsgError(const BYTE* bytes, DWORD byteCount, DWORD timeStamp) override;
    void OnShortMsgError(DWORD word, DWORD timeStamp) override;

    // The Host's entries (UpdateController and the refresh timer). They never wait for the
    // lock (see controller_lock.h): a notification that finds it taken waits in order for the
    // next entry, and a tick that finds it taken is skipped.
    void OnHostUpdate(int32_t code, int32_t first, int32_t second, int32_t third);
    void OnRefreshTimer();

    // Lifecycle.
    int32_t OpenSurface();
    // Ignores surface input from now on and waits, delivering the calls the Host sends to this
    // thread, for the gesture in progress to finish (2 s at most). False when it did not: the
    // controller must then be left alone, as that gesture is still inside it.
    bool BeginClose();
    void CloseSurface();

private:
    struct Mirror;

    // The surface's ports (korvane_surface.cpp). Attaching finds both ports, opens them, binds
    // the output, initialises the surface and has the greeting shown; false when a port is
    // missing. Watching runs on every timer tick: while the surface is absent it looks for the
    // ports every 2 s, and while it is attached it detaches once the surface is gone.
    bool AttachToSurface();
    void AttachToPorts(UINT outputIndex, UINT inputIndex);
    void SendInitMessage();
    void WatchSurface();
    void LookForSurface();
    bool SurfaceGone();
    void DetachFromSurface();
    void ClosePorts();
    void DispatchShortMessage(DWORD word);

    // Host-to-surface refresh, with the lock held.
    static const Mirror* FindMirror(int32_t code);
    void HandleUpdate(int32_t code, int32_t first, int32_t second);
    // The queued notifications, oldest first, and the resynchronisation after an overflow.
    void HandlePendingUpdates();
    void ResyncWithHost();
    void Tick(bool force);
    void SetCurrentTrack(int32_t track);
    void SyncFlipState();
    void ExpireTrackInfo();
    void RefreshDisplay();

    // Track stepping and the track page.
    void RequestTrackInfo(bool on);
    bool IsTrackMode() const;

    // What the parts ask of the controller.
    int32_t CurrentTrack() const override;
    int EncoderMode() const override;
    bool ShiftLatched() const override;
    void StepTrack(int step) override;
    void ReturnToTrack() override;
    void ForgetEncoderTouch() override;
    bool EncoderTouched() const override;

    ControllerLock lock; // first in, last out: every other member is guarded by it
    InputGate inputGate;
    PendingUpdates pendingUpdates;

    bool portsMissing;   // the surface's ports were looked for and not found, and it was said
    bool attached;       // the ports were found and opened, and the surface was not seen going
    bool commandsLoaded; // the key assignments and the fixed commands were found, once
    int attachedOutput;
    int attachedInput;
    uint32_t lastPortLook;
    int32_t trackInfoHold;
    int32_t currentTrack;
    uint32_t lastSlowRefresh;
    int32_t returnTrack;
    TouchStrip touchStrip;
    DisplayPages pages;
    ButtonBank buttons;
    TextDisplay display;
    midi::CMIDIOutDevice midiOut;
    midi::CMIDIInDevice midiIn;
    KeyAssignmentStore settings;
    HostCallbackTable hostCallbacks;
};
