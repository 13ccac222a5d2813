// The simulator's Host: a small project (tracks with level, pan, EQ and states, transport,
// markers, scrolling, zoom, a command list) that answers the plug-in's callback table as the
// behaviour of a fake Host, records every call, and queues the notifications a real Host sends
// back through UpdateController.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "host/host_api.h"
#include "kept_log.h"
#include "support/fake_host.h"

namespace sim {

constexpr int kBandCount = 3; // 0 High, 1 Mid, 2 Low

struct Track {
    std::string name;
    double level = 0.0; // dB
    int pan = 0;        // -100 hard left .. 100 hard right
    std::array<double, kBandCount> eqGain{};
    std::array<double, kBandCount> eqFrequency{};
    std::array<double, kBandCount> eqQ{};
    bool state16 = false;
    bool solo = false;
    bool state20 = false;
    bool touched = false; // the surface reports a control editing this track as touched
};

struct Command {
    std::string name;
    bool valid;
};

// One call across the callback table or back through UpdateController, as the trace and the
// expectations see it.
struct HostEvent {
    enum Kind { Set, Command, Notify };
    Kind kind;
    int32_t first;  // Set: id; Command: command number; Notify: code
    int32_t second; // Set: value; Command: event; Notify: first argument
    int32_t third;  // Set: track; Command: unused; Notify: second argument
    std::string ToString() const;
};

struct Notification {
    int32_t code;
    int32_t first;
    int32_t second;
};

// Value steps of the relative parameters: the Host's own choice.
struct HostSteps {
    static constexpr double kGainDb = 0.1;              // per EQ gain step
    static constexpr double kOctavesPerStep = 0.01;     // per EQ frequency step
    static constexpr double kQ = 0.01;                  // per EQ Q step
    static constexpr double kScrollFraction = 1.0 / 32; // of the visible width per scroll step
};

// The newest HostModel constructed answers the table until it is destroyed (see FakeHost).
class HostModel : private HostBehaviour {
public:
    HostModel();
    HostModel(const HostModel&) = delete;
    HostModel& operator=(const HostModel&) = delete;

    // The table to hand to OpenController; its functions reach this Host.
    HostCallbackTable Table() const { return fake.Table(); }

    // Moves the cursor while playing or winding; `now` is the platform's tick count.
    void Advance(uint32_t now);

    // The notifications queued since the last call, in order. A Host sends them on its own
    // thread, never from inside a call the plug-in made.
    std::vector<Notification> TakeNotifications();

    // Changes made on the Host's side, each followed by the notification a Host sends.
    void SetLevel(int track, double db);
    void SetPan(int track, int pan);
    bool Rename(int track, const std::string& name);
    void SetState(int track, int id, bool on);
    void SetCurrentTrack(int track);
    void SetRecording(bool on);
    void SetEq(int track, int band, int id, double value);
    // The notifications that tell a freshly opened plug-in the current state.
    void AnnounceState();

    // Snapshots for the panels and the expectations.
    struct Snapshot {
        std::vector<Track> tracks;
        int currentTrack;
        bool playing, playMode5, recording, metronome, punchIn;
        int winding; // -1 rewinding, 1 fast-forwarding, 0 neither
        double cursor;
        std::vector<double> markers;
        double scroll;
        int zoomHorizontal, zoomVertical;
        uint32_t reads; // GetParameter calls so far
    };
    Snapshot Snap() const;
    // The Set, Command and Notify events from absolute position `from` on (the oldest kept
    // when older ones were dropped); `from` becomes the position after the last one.
    std::vector<HostEvent> EventsFrom(size_t& from) const;
    std::vector<HostEvent> RecentEvents(size_t count) const;
    uint64_t Version() const; // grows with every change
    const std::vector<Command>& Commands() const { return commands; }
    std::string CommandName(int32_t index) const;

    // Called from the notification drain when the plug-in has been told.
    void RecordNotify(const Notification& notification);

private:
    // The plug-in's calls through the table.
    int32_t DoSetParameter(int32_t id, int32_t value, int32_t track) override;
    int32_t DoGetParameter(int32_t id, int32_t track, void* result) override;
    int32_t DoEnumCommand(int32_t index, char* name, int32_t size, int32_t* valid) override;
    int32_t DoSendCommand(int32_t command, int32_t event) override;
    int32_t CommandCount() const override { return static_cast<int32_t>(commands.size()); }

    void ApplySet(int32_t id, int16_t value, int32_t track);
    void ApplyTransport(int32_t id, int16_t value);
    void ApplyMarker(int32_t id);
    void ApplyTrackSet(int32_t id, int16_t value, int32_t track);
    void ApplyEqStep(int32_t id, int16_t steps, Track& track);
    void ApplyCommand(int32_t command);
    void Read(int32_t id, int32_t track, void* result);
    void StopRecording();
    void SelectTrack(int32_t track);
    void AnnounceTrackStates();
    void AddTrack(const std::string& prefix);
    void Queue(int32_t code, int32_t first, int32_t second);
    void Log(HostEvent event);
    Track* TrackAt(int32_t track);
    double VisibleSeconds() const;

    mutable std::mutex lock;
    std::vector<Track> tracks;
    std::vector<Command> commands;
    int currentTrack = 0;
    bool playing = false;
    bool playMode5 = false;
    bool recording = false;
    bool metronome = false;
    bool punchIn = false;
    int winding = 0;
    double cursor = 0.0;
    std::vector<double> markers;
    double scroll = 0.0;
    int zoomHorizontal = 4;
    int zoomVertical = 2;
    uint32_t lastAdvance = 0;
    bool advanced = false;
    uint32_t reads = 0;
    uint64_t version = 0;
    KeptLog<HostEvent> events;
    std::deque<Notification> pending;
    // Last: the Host answers only once everything above exists, and stops before it goes.
    FakeHost fake{*this};
};

} // namespace sim
