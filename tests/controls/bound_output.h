// An output device on the virtual surface's port, bound as theOutputDevice, so that the sends
// of control objects can be observed without a controller.
#pragma once

#include <memory>

#include "midi/midi_msg.h"
#include "midi/midi_out_device.h"
#include "platform/standin/far_side.h"
#include "support/virtual_surface.h"

class BoundOutput {
public:
    BoundOutput() {
        StandinBusReset();
        surface = std::make_unique<VirtualSurface>();
        device.OpenPort(0);
        midi::theOutputDevice = &device;
    }
    ~BoundOutput() { midi::theOutputDevice = nullptr; }
    BoundOutput(const BoundOutput&) = delete;
    BoundOutput& operator=(const BoundOutput&) = delete;

    std::vector<DWORD> Sent() const { return surface->ShortMessages(); }
    void Clear() { surface->ClearReceived(); }

    std::unique_ptr<VirtualSurface> surface;
    midi::CMIDIOutDevice device;
};
