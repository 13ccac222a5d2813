// The controller's life: construction, finding and opening the surface's ports, closing and
// destruction.
#include "controller/korvane.h"

#include <cstring>

#include "common/firewall.h"
#include "controls/midi_map.h"
#include "host/host_bridge.h"
#include "midi/midi_msg.h"

namespace {

constexpr char kPortsMissingText[] = "Couldn't find Osterlink Midi port\n";
// The device layer's texts are at most 127 characters; the precision only keeps a longer one
// within wsprintfA's 1024.
constexpr char kAttachErrorFormat[] = "Error attaching to Osterlink Midi port %.900s\n";

// Edge thresholds of the touch strip's raw position byte.
constexpr uint8_t kStripLowEdge = 8;
constexpr uint8_t kStripHighEdge = 116;

// Tells the surface that a controller has taken it over.
constexpr BYTE kInitMessage[] = {SysEx::kHeader[0],    SysEx::kHeader[1], SysEx::kHeader[2],
                                 SysEx::kHeader[3],    SysEx::kHeader[4], SysEx::kInitialise,
                                 0x00 /* parameter */, SysEx::kEnd};

constexpr int kNoPort = -1;

// How long the close waits for a gesture in progress: long enough for any Host call to return.
constexpr DWORD kGestureWaitMs = 2000;

void ReportAttachError(const char* what) {
    char line[1025];
    wsprintfA(line, kAttachErrorFormat, what);
    OutputDebugStringA(line);
}

void ReportUnreadablePort(UINT index, const char* what) {
    char line[1025];
    wsprintfA(line, "Korvane: skipping MIDI port %u, its capabilities cannot be read: %.900s\n",
              index, what);
    OutputDebugStringA(line);
}

// The highest-numbered port whose name begins with the surface's name, or kNoPort. The
// platform is asked for the count again after every port, as ports may come and go.
template <typename Caps, typename CountFn, typename QueryFn>
int FindSurfacePort(CountFn countPorts, QueryFn queryCaps) {
    const size_t nameLength = std::strlen(kSurfaceName);
    int found = kNoPort;
    for (UINT index = 0; index < countPorts(); ++index) {
        Caps caps = {};
        try {
            queryCaps(index, caps);
        } catch (const std::exception& error) {
            ReportUnreadablePort(index, error.what());
            continue;
        }
        if (std::strncmp(caps.szPname, kSurfaceName, nameLength) == 0)
            found = static_cast<int>(index);
    }
    return found;
}

} // namespace

Korvane::Korvane(const HostCallbackTable* table)
    : portsMissing(false), trackInfoHold(0), currentTrack(0), lastSlowRefresh(0), returnTrack(0),
      touchStrip(*this, Channel::Strip, Note::StripTouch, Note::StripSecondTouch), pages(*this),
      buttons(*this), hostCallbacks(*table) {
    lastSlowRefresh = GetTickCount();
    BindHostCallbacks(table);
    touchStrip.lowEdge = kStripLowEdge;
    touchStrip.highEdge = kStripHighEdge;
    settings.SetHostCommands(hostCallbacks.CommandCount, hostCallbacks.EnumCommand);
}

Korvane::~Korvane() {
    // Without the lock: stopping and closing the input port waits for a callback in progress,
    // and that callback may be waiting for the lock. The input port goes first, because its
    // callback is the other thread that sends through the output port; and this controller
    // leaves it before, so that a callback the platform begins as the port closes finds no
    // receiver rather than a controller that is going.
    midiIn.AttachReceiver(nullptr);
    RunGuarded("closing the surface's input port", [this] {
        if (midiIn.IsPortOpen()) {
            if (midiIn.IsListening())
                midiIn.StopListening();
            midiIn.ClosePort();
        }
    });
    RunGuarded("closing the surface's output port", [this] {
        if (midiOut.IsPortOpen())
            midiOut.ClosePort();
    });
}

int32_t Korvane::OpenSurface() {
    LockGuard guard(lock);
    const int output =
        FindSurfacePort<MIDIOUTCAPSA>(midiOutGetNumDevs, [](UINT index, MIDIOUTCAPSA& caps) {
            midi::CMIDIOutDevice::QueryCaps(index, caps);
        });
    const int input =
        FindSurfacePort<MIDIINCAPSA>(midiInGetNumDevs, [](UINT index, MIDIINCAPSA& caps) {
            midi::CMIDIInDevice::QueryCaps(index, caps);
        });
    if (input == kNoPort || output == kNoPort) {
        portsMissing = true;
        OutputDebugStringA(kPortsMissingText);
        return 1;
    }
    AttachToPorts(static_cast<UINT>(output), static_cast<UINT>(input));
    if (midi::theOutputDevice == nullptr)
        midi::theOutputDevice = &midiOut;
    try {
        SendInitMessage();
    } catch (const std::exception& error) {
        // A surface that fails here is reported like a failed attach; the open goes on.
        ReportAttachError(error.what());
    }
    greetingPending = true;
    settings.Load();
    touchStrip.LookUpCommands(settings);
    buttons.LookUpPunchIn(settings);
    return 1;
}

void Korvane::AttachToPorts(UINT outputIndex, UINT inputIndex) {
    // One guarded sequence: what opened before an error stays open, the rest is skipped.
    try {
        midiOut.OpenPort(outputIndex);
        midiIn.AttachReceiver(this);
        midiIn.OpenPort(inputIndex);
        midiIn.StartListening();
    } catch (const std::exception& error) {
        ReportAttachError(error.what());
    }
}

void Korvane::SendInitMessage() {
    midi::CLongMsg message(kInitMessage, static_cast<int32_t>(sizeof kInitMessage));
    message.Send();
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
