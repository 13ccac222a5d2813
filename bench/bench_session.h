// A controller opened through OpenController on the virtual MIDI bus, as the Host opens it,
// with the benchmark Host, an in-memory registry and the test clock, driven past its greeting
// so that the surface shows the composed page. What the module sends to the surface is counted
// on the bus's output sink, without being stored.
#pragma once

#include <cstdint>

#include "controller/korvane.h"
#include "host/host_interface.h"
#include "support/surface_messages.h"

struct OutputCounts {
    uint64_t messages;
    uint64_t longMessages; // system-exclusive: the display's lines, the initialisation
    uint64_t bytes;
};

// Just past the slow refresh's period: a refresh timer tick after it runs a slow refresh.
constexpr DWORD kPastSlowRefreshMs = 301;

class BenchSession {
public:
    BenchSession();
    ~BenchSession();
    BenchSession(const BenchSession&) = delete;
    BenchSession& operator=(const BenchSession&) = delete;

    // One run of the Host's refresh timer at the clock as it stands.
    void Tick() { theController->OnRefreshTimer(); }
    // One message as the input port's callback hands it over, on the calling thread.
    void Receive(DWORD word) { theController->OnShortMsg(word, 0); }
    void Press(uint8_t note) { Receive(NoteOn(note, kPressedVelocity)); }
    void Release(uint8_t note) { Receive(NoteOn(note, kReleasedVelocity)); }
    void Click(uint8_t note) {
        Press(note);
        Release(note);
    }
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
