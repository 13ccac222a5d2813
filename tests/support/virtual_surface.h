// The surface on the virtual MIDI bus, for tests: its two ports, what it sends (injected on
// the module's input port and delivered on the bus thread) and what it received.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/standin/midi_bus.h"
#include "support/surface_messages.h"

struct SurfaceMessage {
    bool isLong;
    DWORD word;                 // a short message
    std::vector<uint8_t> bytes; // a long message
};

// The bus's counters as they stand now.
StandinBusCounters BusCounters();

class VirtualSurface {
public:
    // Creates an input and an output port named `name` and starts recording what the module
    // sends to the output port. The bus keeps one observer: one surface at a time.
    explicit VirtualSurface(const std::string& name = "Korvane");
    ~VirtualSurface();
    VirtualSurface(const VirtualSurface&) = delete;
    VirtualSurface& operator=(const VirtualSurface&) = delete;

    // Queues a message from the surface and waits until the bus has delivered it.
    void Send(DWORD word);
    void Press(uint8_t note) { Send(NoteOn(note, kPressedVelocity)); }
    void Release(uint8_t note) { Send(NoteOn(note, kReleasedVelocity)); }
    // Queues without waiting.
    void Inject(DWORD word);
    // Waits until every queued message is delivered and due completions reported.
    static void WaitIdle();

    std::vector<SurfaceMessage> Received() const;
    std::vector<DWORD> ShortMessages() const;
    std::vector<std::vector<uint8_t>> LongMessages() const;
    void ClearReceived();
    // The velocity of the last note-on the surface received for `note` (the LED it shows);
    // -1 when none came.
    int LastNoteValue(uint8_t note) const;
    // The characters of the last display message for the line at `position`
    // (SysEx::kLine1Position or kLine2Position); empty when none came.
    std::string LastLine(uint8_t position) const;

    // Removes both ports, as unplugging the surface does: handles open on them refuse from now
    // on with the platform's device-gone result.
    void Unplug();
    // Plugs the surface in again: new ports of the same name after every port the bus has now
    // (at other indices when other ports came meanwhile), only the directions asked for.
    void Plug(bool withInput = true, bool withOutput = true);

    // The module's input (what the surface sends) and output (what it receives); 0 while
    // unplugged. The bus's thread reads the output's number as it delivers.
    std::atomic<int> inputPort;
    std::atomic<int> outputPort;

private:
    const std::string portName;

    static void Sink(int port, DWORD word, const BYTE* bytes, DWORD length, void* context);

    mutable std::mutex lock;
    std::vector<SurfaceMessage> received;
};
