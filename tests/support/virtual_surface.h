// The surface on the virtual MIDI bus, for tests: its two ports, what it sends (injected on
// the module's input port and delivered on the bus thread) and what it received.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/standin/midi_bus.h"

struct SurfaceMessage {
    bool isLong;
    DWORD word;                 // a short message
    std::vector<uint8_t> bytes; // a long message
};

DWORD ShortWord(uint8_t status, uint8_t data1, uint8_t data2);
inline DWORD NoteOn(uint8_t note, uint8_t velocity) {
    return ShortWord(0x90, note, velocity);
}
// The display message that shows `text` (16 characters) at `position`: 0x00 for line 1, 0x10
// for line 2.
std::vector<uint8_t> DisplayLineMessage(uint8_t position, const std::string& text);

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
    void Send(uint8_t status, uint8_t data1, uint8_t data2) {
        Send(ShortWord(status, data1, data2));
    }
    void Press(uint8_t note) { Send(NoteOn(note, 127)); }
    void Release(uint8_t note) { Send(NoteOn(note, 0)); }
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
    // The 16 characters of the last display message for the line at `position` (0x00 for
    // line 1, 0x10 for line 2); empty when none came.
    std::string LastLine(uint8_t position) const;

    // Removes both ports, as unplugging the surface does.
    void Unplug();

    int inputPort;  // the module's input: what the surface sends
    int outputPort; // the module's output: what the surface receives

private:
    static void Sink(int port, DWORD word, const BYTE* bytes, DWORD length, void* context);

    mutable std::mutex lock;
    std::vector<SurfaceMessage> received;
};
