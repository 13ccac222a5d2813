// A controller opened through OpenController on the virtual MIDI bus, as the Host opens it,
// with the benchmark Host, an in-memory registry and the test clock, driven past its greeting
// so that the surface shows the composed page. What the module sends to the surface is counted
// on the bus's output sink, without being stored.
#pragma once

#include <cstdint>

#include "controller/korvane.h"
#include "host/host_interface.h"

struct OutputCounts {
    uint64_t messages;
    uint64_t longMessages; // system-exclusive: the display's lines, the initialisation
    uint64_t bytes;
};

// MIDI words as the surface sends them.
DWORD NoteOn(uint8_t note, uint8_t velocity);
DWORD ControlChange(uint8_t controller, uint8_t value);
// A 10-bit position on pitch bend, as the fader and the touch strip send it.
DWORD PitchBend(uint8_t channel, int position);

class BenchSession {
public:
    static constexpr uint8_t kPressed = 127;

    BenchSession();
    ~BenchSession();
    BenchSession(const BenchSession&) = delete;
    BenchSession& operator=(const BenchSession&) = delete;

    // One run of the Host's refresh timer at the clock as it stands.
    void Tick() { theController->OnRefreshTimer(); }
    // One message as the input port's callback hands it over, on the calling thread.
    void Receive(DWORD word) { theController->OnShortMsg(word, 0); }
    void Press(uint8_t note) { Receive(NoteOn(note, kPressed)); }
    void Release(uint8_t note) { Receive(NoteOn(note, 0)); }
    // Moves the test clock and runs the refresh timer as the Host's message loop would.
    void Advance(DWORD milliseconds);
    // Enough timer periods for one slow refresh.
    void SlowRefresh();
    // Queues a message on the bus, to be delivered on the bus's thread.
    void Inject(DWORD word);
    static void WaitIdle();

    static OutputCounts Sent();

private:
    int inputPort;
    int outputPort;
};
