// The controller: the one object that represents an open controller. It owns every object
// that models the surface, the display buffer, both MIDI ports, the settings and a copy of
// the Host's callback table.
#pragma once

#include <cstdint>

#include "controller/controller_lock.h"
#include "controller/input_gate.h"
#include "controller/pending_updates.h"
#include "controls/button_bank.h"
#include "controls/touch_strip.h"
#include "controls/user_settings_dlg.h"
#include "display/display_pages.h"
#include "display/text_display.h"
#include "host/host_bridge.h"
#include "midi/midi_in_device.h"
#include "midi/midi_out_device.h"
#include "midi/midi_receiver.h"

// The surface's ports are the ones whose names begin with this.
constexpr char kSurfaceName[] = "Korvane";

class Korvane : public midi::CMIDIReceiver {
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
    void SendInitMessage();
    // Ignores surface input from now on and waits, delivering the calls the Host sends to this
    // thread, for the gesture in progress to finish (2 s at most). False when it did not: the
    // controller must then be left alone, as that gesture is still inside it.
    bool BeginClose();
    void CloseSurface();

    // Host-to-surface refresh, with the lock held.
    void HandleUpdate(int32_t code, int32_t first, int32_t second, int32_t third);
    void Tick(bool force);
    void SetCurrentTrack(int32_t track);
    void SyncFlipState();
    void ExpireTrackInfo();

    // Track stepping and track mode.
    void RequestTrackInfo(bool on);
    void StepTrack(int step);
    void ReturnToTrack();
    bool IsTrackMode() const;

    // Display composition helpers (they read currentTrack).
    void RefreshDisplay();
    void ShowLevel(char* line1, char* line2, bool full, int column);
    void ShowPan(char* line1, char* line2, bool full);

private:
    ControllerLock lock; // first in, last out: every other member is guarded by it
    InputGate inputGate;
    PendingUpdates pendingUpdates;

public:
    bool portsMissing;
    bool trackInfoRequested;
    int32_t trackInfoHold;
    int32_t currentTrack;
    bool flipLatched;
    int32_t messageCount;
    uint32_t lastSlowRefresh;
    int32_t returnTrack;
    TouchStrip touchStrip;
    DisplayPages pages;
    ButtonBank buttons;
    TextDisplay display;
    midi::CMIDIOutDevice midiOut;
    midi::CMIDIInDevice midiIn;
    CUserSettingsDlg settings;
    HostCallbackTable hostCallbacks;

private:
    void AttachToPorts(UINT outputIndex, UINT inputIndex);
    void DispatchShortMessage(DWORD word);
    // The queued notifications, oldest first, and the resynchronisation after an overflow.
    void HandlePendingUpdates();
    void ResyncWithHost();
};
