// A hostile Host for the fuzzer: it answers every question with what the fuzzer stored (NaN,
// infinities, pans far outside their range, names and command names without a terminator,
// command counts that disagree with its list), may notify the module from inside its own
// callbacks, runs its calls as any kind of Host does (at once, under its own lock, or on its
// own thread while it pumps), and checks what the module asks of it.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "fuzz_input.h"
#include "host/host_api.h"
#include "support/fake_host.h"

class FuzzHost : private HostBehaviour {
public:
    static constexpr size_t kCommandNameSize = 128;
    static constexpr size_t kMaxCommands = 48;

    // One Host per process: the table holds plain function pointers.
    static FuzzHost& Instance();
    // The table to open or configure with; its count joins the numbers the Host has listed.
    HostCallbackTable Table();

    // Back to a Host with the usual command list and every track at zero.
    void Reset();

    // Hostile values, picked from edge cases or taken raw from the input.
    static int32_t PickInt(FuzzInput& input);
    static double PickDouble(FuzzInput& input);
    static int32_t PickTrack(FuzzInput& input);

    void SetInt(int32_t id, int32_t track, int32_t value) { ints[{id, track}] = value; }
    void SetDouble(int32_t id, int32_t track, double value) { doubles[{id, track}] = value; }
    // The 100 bytes are written as they are: with a terminator only if the input has one.
    void SetName(int32_t track, const std::array<char, kHostNameSize>& bytes) {
        names[track] = bytes;
    }
    // Replaces or appends (index past the end) a command; the name fills the whole buffer.
    void SetCommand(size_t index, const std::array<char, kCommandNameSize>& name, int32_t valid);
    // What the table claims, whatever the list holds.
    void SetCommandCount(int32_t count) { commandCount = count; }
    // When on, every SetParameter notifies the module back before it returns, on whichever
    // thread it was called, as a Host that reports a change at once does.
    void SetReentrant(bool on) { reentrant = on; }
    // How the Host runs its calls (see HostKind); the calling thread is the Host's own.
    void BecomeKind(HostKind kind) { fake.BecomeKind(kind); }
    HostKind Kind() const { return fake.Kind(); }
    // The Host tells the module of a change, as its kind does.
    void Notify(int32_t code, int32_t first, int32_t second, int32_t third);

private:
    struct Command {
        std::array<char, kCommandNameSize> name;
        int32_t valid;
    };

    FuzzHost() = default;

    // What the module asks is checked; what it is told is what the fuzzer stored.
    int32_t DoSetParameter(int32_t id, int32_t value, int32_t track) override;
    int32_t DoGetParameter(int32_t id, int32_t track, void* result) override;
    int32_t DoEnumCommand(int32_t index, char* name, int32_t size, int32_t* valid) override;
    int32_t DoSendCommand(int32_t command, int32_t event) override;
    int32_t CommandCount() const override { return commandCount; }

    std::map<std::pair<int32_t, int32_t>, int32_t> ints;
    std::map<std::pair<int32_t, int32_t>, double> doubles;
    std::map<int32_t, std::array<char, kHostNameSize>> names;
    std::vector<Command> commands;
    int32_t commandCount = 0;
    int32_t listedCount = 0; // the largest count handed to the module since the reset
    bool reentrant = false;
    // Last: the Host answers only once everything above exists.
    FakeHost fake{*this};
};

// Ends the run with a message: a finding that is not a sanitizer's.
[[noreturn]] void FuzzFinding(const char* what, long long detail);
