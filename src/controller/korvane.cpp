// The controller's life: construction, the open, the close and destruction.
#include "controller/korvane.h"

#include "common/firewall.h"
#include "controls/midi_map.h"
#include "host/host_bridge.h"
#include "midi/midi_msg.h"

namespace {

// Edge thresholds of the touch strip's raw position byte.
constexpr uint8_t kStripLowEdge = 8;
constexpr uint8_t kStripHighEdge = 116;

// How long the close waits for a gesture in progress: long enough for any Host call to return.
constexpr DWORD kGestureWaitMs = 2000;

} // namespace

Korvane::Korvane(const HostCallbackTable* table)
    : portsMissing(false), attached(false), commandsLoaded(false), attachedOutput(0),
      attachedInput(0), lastPortLook(0), trackInfoHold(0), currentTrack(0), lastSlowRefresh(0),
      returnTrack(0), touchStrip(*this, Channel::Strip, Note::StripTouch, Note::StripSecondTouch),
      pages(*this), buttons(*this), hostCallbacks(*table) {
    lastSlowRefresh = GetTickCount();
    BindHostCallbacks(table);
    touchStrip.lowEdge = kStripLowEdge;
    touchStrip.highEdge = kStripHighEdge;
    settings.SetHostCommands(hostCallbacks.CommandCount, hostCallbacks.EnumCommand);
}

Korvane::~Korvane() {
    // Without the lock: closing the input port waits for a callback in progress, and that
    // callback may be waiting for the lock.
    ClosePorts();
}

int32_t Korvane::OpenSurface() {
    LockGuard guard(lock);
    AttachToSurface();
    return 1;
}

bool Korvane::BeginClose() {
    if (inputGate.ShutAndWait(kGestureWaitMs))
        return true;
    // The gesture may still send; what it sends is dropped rather than reach the surface after
    // the close, and the next controller binds its own output.
    midi::CMIDIOutDevice* bound = &midiOut;
    midi::theOutputDevice.compare_exchange_strong(bound, nullptr);
    return false;
}

void Korvane::CloseSurface() {
    LockGuard guard(lock);
    pendingUpdates.Clear(); // the surface goes dark: what they would show no longer matters
    // The LEDs go dark even when the port refuses a display line; the first failure is
    // raised afterwards, for the caller to report.
    StepSeries steps;
    steps.Run([this] { display.Clear(); });
    steps.Run([this] { buttons.AllLedsOff(); });
    steps.Finish();
}
