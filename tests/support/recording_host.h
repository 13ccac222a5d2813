// A fake Host for tests: it keeps per-track values that GetParameter answers from, and records
// every call the module makes through the callback table, in order, from any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "host/host_api.h"
#include "support/fake_host.h"

struct HostCall {
    enum Kind { Set, Get, Command, Enum };
    Kind kind;
    int32_t id;    // parameter id, command number or enumerated index
    int32_t value; // Set: the value; Command: the event; otherwise 0
    int32_t track; // Set and Get: the track; otherwise 0

    bool operator==(const HostCall& other) const {
        return kind == other.kind && id == other.id && value == other.value && track == other.track;
    }
    std::string ToString() const;
};

HostCall SetCall(int32_t id, int32_t value, int32_t track = 0);
HostCall GetCall(int32_t id, int32_t track);
HostCall CommandCall(int32_t command, int32_t event);

// The newest RecordingHost constructed answers the table until it is destroyed (see FakeHost).
class RecordingHost : private HostBehaviour {
public:
    RecordingHost() = default;
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    // The table to hand to OpenController or BindHostCallbacks; CommandCount is the number of
    // commands added so far.
    HostCallbackTable Table() const { return fake.Table(); }
    // The table's EnumCommand on its own, as ConfigureController takes it.
    static int32_t EnumCommand(int32_t index, char* name, int32_t size, int32_t* unused,
                               int32_t* valid) {
        return FakeHost::EnumCommand(index, name, size, unused, valid);
    }

    // Values that GetParameter answers with; unset values read as 0, 0.0 or "".
    void SetInt(int32_t id, int32_t track, int32_t value);
    void SetDouble(int32_t id, int32_t track, double value);
    void SetName(int32_t track, const std::string& name);
    // The bytes are written as they are, without a terminator (at most 100).
    void SetRawName(int32_t track, const std::string& bytes);

    // Commands that EnumCommand lists, index by index.
    void AddCommand(const std::string& name, bool valid = true);
    // The bytes are written into the whole 128-byte buffer without a terminator.
    void AddRawCommand(const std::string& bytes);
    int32_t CommandCount() const override;

    // How the Host runs its calls (see HostKind); for OwnThread the calling thread becomes the
    // Host's own thread, and must stay the one that destroys this Host.
    void BecomeKind(HostKind kind) { fake.BecomeKind(kind); }
    // Runs the Host's side of a notification (a call of UpdateController) as its kind does.
    void RunNotifying(const std::function<void()>& notify) { fake.RunNotifying(notify); }

    // Runs after each recorded SetParameter, without the Host's lock held.
    void OnSet(std::function<void(int32_t id, int32_t value, int32_t track)> hook);
    // Whether GetParameter and EnumCommand calls are recorded (they are by default).
    void RecordReads(bool on);

    std::vector<HostCall> Calls() const;
    // The calls of one kind only.
    std::vector<HostCall> CallsOf(HostCall::Kind kind) const;
    void ClearCalls();

private:
    struct CommandEntry {
        std::string name;
        bool valid;
        bool raw;
    };
    int32_t DoSetParameter(int32_t id, int32_t value, int32_t track) override;
    int32_t DoGetParameter(int32_t id, int32_t track, void* result) override;
    int32_t DoEnumCommand(int32_t index, char* name, int32_t size, int32_t* valid) override;
    int32_t DoSendCommand(int32_t command, int32_t event) override;
    void Record(const HostCall& call);
    // The track's name as GetParameter answers it, with the lock held.
    void WriteName(int32_t track, char* buffer) const;

    mutable std::mutex lock;
    std::map<std::pair<int32_t, int32_t>, int32_t> ints;
    std::map<std::pair<int32_t, int32_t>, double> doubles;
    std::map<int32_t, std::pair<std::string, bool>> names; // text, raw
    std::vector<CommandEntry> commands;
    std::vector<HostCall> calls;
    std::function<void(int32_t, int32_t, int32_t)> setHook;
    bool recordReads = true;
    // Last: the Host answers only once everything above exists, and stops before it goes.
    FakeHost fake{*this};
};

// Adds the tests' command list (support/host_commands.h), its invalid entry as invalid.
void OfferHostCommands(RecordingHost& host);
