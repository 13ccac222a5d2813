#include "controller/input_gate.h"

#include <chrono>

namespace {

// The close looks at the gate again at least this often; a message sent to the closing thread
// wakes it earlier.
constexpr DWORD kWaitStepMs = 10;

thread_local int inputDepth = 0;

// Delivers the messages other threads have sent to this one (none of its posted messages).
void DeliverSentMessages() {
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

} // namespace

InputGate::Pass::Pass(InputGate& entered) : gate(entered), admitted(entered.Enter()) {}

InputGate::Pass::~Pass() {
    gate.Leave(admitted);
}

bool InputGate::Enter() {
    // Counted before the look at the gate: the close shuts the gate before it counts, so
    // either it sees this input inside or this input sees the gate shut.
    inside.fetch_add(1);
    if (shut.load())
        return false;
    ++inputDepth;
    return true;
}

void InputGate::Leave(bool admitted) {
    if (admitted)
        --inputDepth;
    inside.fetch_sub(1);
}

bool InputGate::ShutAndWait(DWORD milliseconds) {
    shut.store(true);
    const auto start = std::chrono::steady_clock::now();
    const auto limit = std::chrono::milliseconds(milliseconds);
    while (inside.load() != 0) {
        if (std::chrono::steady_clock::now() - start >= limit)
            return false;
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, kWaitStepMs, QS_SENDMESSAGE) ==
            WAIT_OBJECT_0)
            DeliverSentMessages();
    }
    return true;
}

bool InputGate::TryShut() {
    // Shut before the count is read, as in ShutAndWait: input that enters after this sees the
    // gate shut, and input inside is counted.
    shut.store(true);
    if (inside.load() == 0)
        return true;
    shut.store(false);
    return false;
}

void InputGate::Open() {
    shut.store(false);
}

bool InputGate::HandlingInputHere() {
    return inputDepth > 0;
}
