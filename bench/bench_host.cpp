#include "bench_host.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "support/fake_host.h"

namespace bench_host {

namespace {

// Tracks 0 to 200: the module reads one past its last track when it looks for named ones.
constexpr int32_t kTracks = kTrackCount + 1;
constexpr int kEqSlots = 3;

constexpr const char* kCommands[] = {
    "Zoom Out Horizontally", "Zoom In Horizontally", "Zoom Out Vertically",
    "Zoom In Vertically",    "Clips: Punch In",      "Transport: Loop",
};

struct TrackValues {
    double level;
    int32_t pan;
    int32_t states[3]; // TrackState16, Solo, TrackState20
    double eq[3][kEqSlots];
    char name[kHostNameSize];
};

void Count(std::atomic<uint64_t>& counter) {
    counter.store(counter.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

int32_t* StateOf(TrackValues& values, int32_t id) {
    switch (id) {
    case HostParam::TrackState16:
        return &values.states[0];
    case HostParam::Solo:
        return &values.states[1];
    case HostParam::TrackState20:
        return &values.states[2];
    default:
        return nullptr;
    }
}

double* EqOf(TrackValues& values, int32_t id) {
    if (id >= HostParam::EqGain && id < HostParam::EqGain + 3 * kEqSlots) {
        const int32_t offset = id - HostParam::EqGain;
        return &values.eq[offset / kEqSlots][offset % kEqSlots];
    }
    return nullptr;
}

void Answer(TrackValues& values, int32_t id, void* result) {
    if (id == HostParam::Level) {
        *static_cast<double*>(result) = values.level;
    } else if (id == HostParam::Pan) {
        *static_cast<int32_t*>(result) = values.pan;
    } else if (id == HostParam::Name) {
        std::memcpy(result, values.name, sizeof values.name);
    } else if (int32_t* state = StateOf(values, id)) {
        *static_cast<int32_t*>(result) = *state;
    } else if (double* eq = EqOf(values, id)) {
        *static_cast<double*>(result) = *eq;
    }
}

// Fixed answers and counted calls.
class FixedHost final : public HostBehaviour {
public:
    int32_t DoGetParameter(int32_t id, int32_t track, void* result) override {
        Count(reads);
        TrackValues* values = Track(track);
        if (values != nullptr && result != nullptr)
            Answer(*values, id, result);
        return 1;
    }

    int32_t DoSetParameter(int32_t, int32_t, int32_t) override {
        if (stampSets.load(std::memory_order_relaxed)) {
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            lastSetNanos.store(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count(),
                               std::memory_order_relaxed);
        }
        // Released after the stamp, so that a reader who sees the new count sees its time.
        sets.store(sets.load(std::memory_order_relaxed) + 1, std::memory_order_release);
        return 1;
    }

    int32_t DoEnumCommand(int32_t index, char* name, int32_t size, int32_t* valid) override {
        const bool known = index >= 0 && index < CommandCount();
        if (valid != nullptr)
            *valid = known ? 1 : 0;
        if (known && name != nullptr && size > 0)
            std::snprintf(name, static_cast<size_t>(size), "%s", kCommands[index]);
        return known ? 1 : 0;
    }

    int32_t DoSendCommand(int32_t, int32_t) override {
        Count(commands);
        return 1;
    }

    int32_t CommandCount() const override { return static_cast<int32_t>(std::size(kCommands)); }

    TrackValues* Track(int32_t track) {
        return track >= 0 && track < kTracks ? &tracks[track] : nullptr;
    }

    TrackValues tracks[kTracks];
    // The module calls the Host from one thread at a time (its lock serialises them), but that
    // may be the Host's thread or the MIDI thread: relaxed atomics keep the counts well defined
    // without a locked instruction in the measured path.
    std::atomic<uint64_t> reads{0};
    std::atomic<uint64_t> sets{0};
    std::atomic<uint64_t> commands{0};
    std::atomic<bool> stampSets{false};
    std::atomic<int64_t> lastSetNanos{0};
};

struct BenchHost {
    FixedHost answers;
    FakeHost fake{answers};
};

BenchHost& Host() {
    static BenchHost host;
    return host;
}

FixedHost& Answers() {
    return Host().answers;
}

} // namespace

HostCallbackTable Table() {
    return Host().fake.Table();
}

void Reset() {
    for (int32_t track = 0; track < kTracks; ++track) {
        TrackValues& values = Answers().tracks[track];
        values = TrackValues{};
        std::snprintf(values.name, sizeof values.name, "Track %d", track + 1);
    }
}

void SetLevel(int32_t track, double levelDb) {
    if (TrackValues* values = Answers().Track(track))
        values->level = levelDb;
}

void SetPan(int32_t track, int32_t pan) {
    if (TrackValues* values = Answers().Track(track))
        values->pan = pan;
}

void SetName(int32_t track, const char* name) {
    if (TrackValues* values = Answers().Track(track))
        std::snprintf(values->name, sizeof values->name, "%s", name);
}

void SetSolo(int32_t track, bool soloed) {
    if (TrackValues* values = Answers().Track(track))
        values->states[1] = soloed ? 1 : 0;
}

CallCounts Counts() {
    const FixedHost& answers = Answers();
    return {answers.reads.load(std::memory_order_relaxed),
            answers.sets.load(std::memory_order_acquire),
            answers.commands.load(std::memory_order_relaxed)};
}

void StampSets(bool on) {
    Answers().stampSets.store(on);
}

int64_t LastSetNanos() {
    return Answers().lastSetNanos.load(std::memory_order_relaxed);
}

} // namespace bench_host
