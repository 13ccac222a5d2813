// The controller and the surface's ports: finding them by name, attaching to them at the open
// or whenever the surface is plugged in later, noticing that the surface is gone, and
// detaching from it. All of it runs on the Host's thread with the controller's lock held.
#include "controller/korvane.h"

#include <cstring>

#include "common/firewall.h"
#include "controls/midi_map.h"
#include "midi/midi_msg.h"

namespace {

constexpr char kPortsMissingText[] = "Couldn't find Osterlink Midi port\n";
// The device layer's texts are at most 127 characters; the precision only keeps a longer one
// within wsprintfA's 1024.
constexpr char kAttachErrorFormat[] = "Error attaching to Osterlink Midi port %.900s\n";
constexpr char kAttachedFormat[] =
    "Korvane: attached to the surface: output port %d, input port %d\n";
constexpr char kDetachedText[] = "Korvane: the surface is gone; its ports are closed\n";

// While the surface is absent its ports are looked for this often; while it is attached, its
// ports' presence in the platform's lists is checked this often.
constexpr uint32_t kPortLookMs = 2000;

// Tells the surface that a controller has taken it over.
constexpr BYTE kInitMessage[] = {SysEx::kHeader[0],    SysEx::kHeader[1], SysEx::kHeader[2],
                                 SysEx::kHeader[3],    SysEx::kHeader[4], SysEx::kInitialise,
                                 0x00 /* parameter */, SysEx::kEnd};

constexpr int kNoPort = -1;

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

int FindOutputPort() {
    return FindSurfacePort<MIDIOUTCAPSA>(midiOutGetNumDevs, [](UINT index, MIDIOUTCAPSA& caps) {
        midi::CMIDIOutDevice::QueryCaps(index, caps);
    });
}

int FindInputPort() {
    return FindSurfacePort<MIDIINCAPSA>(midiInGetNumDevs, [](UINT index, MIDIINCAPSA& caps) {
        midi::CMIDIInDevice::QueryCaps(index, caps);
    });
}

} // namespace

bool Korvane::AttachToSurface() {
    lastPortLook = GetTickCount();
    const int output = FindOutputPort();
    const int input = FindInputPort();
    if (input == kNoPort || output == kNoPort) {
        // Said once for each absence, however often the ports are looked for.
        if (!portsMissing)
            OutputDebugStringA(kPortsMissingText);
        portsMissing = true;
        return false;
    }
    portsMissing = false;
    attached = true;
    inputGate.Open();
    AttachToPorts(static_cast<UINT>(output), static_cast<UINT>(input));
    if (midi::theOutputDevice == nullptr)
        midi::theOutputDevice = &midiOut;
    try {
        SendInitMessage();
    } catch (const std::exception& error) {
        // A surface that fails here is reported like a failed attach; the attach goes on.
        ReportAttachError(error.what());
    }
    greetingPending = true;
    display.forceSend = true; // the surface shows nothing that was sent before
    if (!commandsLoaded) {
        settings.Load();
        touchStrip.LookUpCommands(settings);
        buttons.LookUpPunchIn(settings);
        commandsLoaded = true;
    }
    attachedOutput = output;
    attachedInput = input;
    return true;
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

void Korvane::WatchSurface() {
    if (!attached) {
        LookForSurface();
        return;
    }
    // Surface input must be outside before the ports close; a gesture in progress delays the
    // detach to a later tick instead of making the Host's thread wait for it.
    if (SurfaceGone() && inputGate.TryShut())
        DetachFromSurface();
}

void Korvane::LookForSurface() {
    if (GetTickCount() - lastPortLook < kPortLookMs)
        return;
    if (!AttachToSurface())
        return;
    char line[128];
    wsprintfA(line, kAttachedFormat, attachedOutput, attachedInput);
    OutputDebugStringA(line);
    // Everything again, as after a track change, behind the greeting and its hold.
    buttons.Refresh(true);
    pages.UpdateFader(true);
    RefreshDisplay();
}

bool Korvane::SurfaceGone() {
    // A send the platform refused because the device is gone says so at once; otherwise the
    // platform's lists are read at most every look period.
    if (midiOut.DeviceGone())
        return true;
    if (GetTickCount() - lastPortLook < kPortLookMs)
        return false;
    lastPortLook = GetTickCount();
    return FindOutputPort() == kNoPort || FindInputPort() == kNoPort;
}

void Korvane::DetachFromSurface() {
    ClosePorts();
    attached = false;
    OutputDebugStringA(kDetachedText);
}

void Korvane::ClosePorts() {
    // The input port goes first, because its callback is the other thread that sends through
    // the output port; and this controller leaves it before, so that a callback the platform
    // begins as the port closes finds no receiver. What the controller still sends meanwhile
    // is dropped rather than reach a port that is closing.
    midiIn.AttachReceiver(nullptr);
    RunGuarded("closing the surface's input port", [this] {
        if (midiIn.IsPortOpen()) {
            if (midiIn.IsListening())
                midiIn.StopListening();
            midiIn.ClosePort();
        }
    });
    midi::CMIDIOutDevice* bound = &midiOut;
    midi::theOutputDevice.compare_exchange_strong(bound, nullptr);
    RunGuarded("closing the surface's output port", [this] {
        if (midiOut.IsPortOpen())
            midiOut.ClosePort();
    });
}
