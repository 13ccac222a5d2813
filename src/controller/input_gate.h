// The door surface input passes on the MIDI thread. The close shuts it: input that arrives
// from then on is the user's hand on a surface that is being shut down, and is ignored, so
// that the close sequence is the last thing the surface receives. A surface that is gone has
// it shut too, until it is attached again. The close then waits for the
// input already inside to leave, delivering meanwhile the calls that a Host runs on its own
// thread (a gesture inside such a call cannot finish until this thread serves it).
#pragma once

#include <atomic>

#include "platform/platform.h"

class InputGate {
public:
    // One message of surface input inside the gate; false when the gate was shut.
    class Pass {
    public:
        explicit Pass(InputGate& entered);
        ~Pass();
        Pass(const Pass&) = delete;
        Pass& operator=(const Pass&) = delete;

        explicit operator bool() const { return admitted; }

    private:
        InputGate& gate;
        const bool admitted;
    };

    // Shuts the gate and waits until no input is inside, at most `milliseconds` of real time;
    // false when input is still inside then.
    bool ShutAndWait(DWORD milliseconds);
    // Shuts the gate if no input is inside, without waiting; otherwise leaves it open. True
    // when it is shut.
    bool TryShut();
    // Lets surface input in again.
    void Open();

    // True on a thread that is handling surface input now.
    static bool HandlingInputHere();

private:
    bool Enter();
    void Leave(bool admitted);

    std::atomic<int> inside{0};
    std::atomic<bool> shut{false};
};
