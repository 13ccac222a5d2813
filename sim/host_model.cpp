#include "host_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

namespace sim {

namespace {

constexpr int kMaxTracks = 16;
constexpr double kProjectSeconds = 240.0;
constexpr double kWindSpeed = 8.0;        // seconds of project per second held
constexpr double kMarkerTolerance = 0.05; // seconds: a marker this close to the cursor is "at" it
constexpr int kZoomHorizontalMax = 16;
constexpr int kZoomVerticalMax = 8;
constexpr double kVisibleSecondsAtZoom1 = 256.0;
constexpr size_t kKeptEvents = 5000;
constexpr double kMinLevel = -300.0;
constexpr double kMaxLevel = 15.0;
constexpr int kMaxPan = 100;
constexpr double kMinFrequency = 20.0, kMaxFrequency = 20000.0;
constexpr double kMinGain = -18.0, kMaxGain = 18.0;
constexpr double kMinQ = 0.1, kMaxQ = 18.0;

struct TrackSeed {
    const char* name;
    double level;
    int pan;
    bool state16, state20;
};

// Names of every length: short ones the pages pad, long ones they abbreviate, one longer than
// the 15 characters the plug-in reads, one with bytes outside ASCII (UTF-8 "Chœur Alto").
const TrackSeed kTrackSeeds[] = {
    {"Lead Vocals", -6.0, 0, false, false},
    {"Acoustic Guitar", -3.5, -35, false, true},
    {"Drums (L+R)", 0.0, 0, false, false},
    {"Bass", -9.0, 10, true, false},
    {"Track 12 Guitar", -12.0, 40, false, false},
    {"Strings-Hi", -18.0, -60, false, false},
    {"Kick", -2.0, 0, false, false},
    {"Piano Grand Left Hand", -7.5, -20, false, false},
    {"Ch\xC5\x93ur Alto", -10.0, 25, false, false},
    {"FX Return", -24.0, 0, false, true},
    {"Room Mics", -15.0, 100, false, false},
    {"Pad", -30.0, -100, false, false},
};

// The command list: every name the plug-in looks up (the fifteen defaults, the punch-in and the
// four zoom commands), some others, and a few indices the Host reports as invalid.
const Command kCommands[] = {
    {"File: New Session", true},
    {"Mixer panel toggle", true},
    {"Multitrack / Edit View toggle", true},
    {"Save / Save Session", true},
    {"Undo (1)", true},
    {"Insert: Audio Track", true},
    {"Insert: MIDI Track", true},
    {"Save All", true},
    {"Redo", true},
    {"", false},
    {"Selection Anchor Left when playing", true},
    {"Selection Anchor Right when playing", true},
    {"Move Cursor to Beginning", true},
    {"Move Cursor to End", true},
    {"Metronome On/Off toggle", true},
    {"Monitor Record Level toggle", true},
    {"Record/Stop toggle", true},
    {"Clips: Punch In", true},
    {"Zoom Out Horizontally", true},
    {"Zoom In Horizontally", true},
    {"Zoom Out Vertically", true},
    {"Zoom In Vertically", true},
    {"Zoom: Old Preset", false},
    {"Zoom Full", true},
    {"Edit: Cut", true},
    {"Edit: Copy", true},
    {"Edit: Paste", true},
    {"Edit: Select All", true},
    {"Transport: Loop toggle", true},
    {"Markers: Add Marker", true},
    {"Markers: Delete All", true},
    {"", false},
    {"View: Track Meters", true},
    {"Clips: Split", true},
    {"Clips: Punch Out", true},
    {"Normalize...", true},
};

constexpr double kBandFrequencies[kBandCount] = {8000.0, 1000.0, 100.0};
constexpr double kDefaultQ = 0.7;

Track MakeTrack(const std::string& name, double level, int pan) {
    Track track;
    track.name = name;
    track.level = level;
    track.pan = pan;
    for (int band = 0; band < kBandCount; ++band) {
        track.eqFrequency[static_cast<size_t>(band)] = kBandFrequencies[band];
        track.eqQ[static_cast<size_t>(band)] = kDefaultQ;
    }
    return track;
}

bool* StateOf(Track& track, int32_t id) {
    switch (id) {
    case HostParam::TrackState16:
        return &track.state16;
    case HostParam::Solo:
        return &track.solo;
    case HostParam::TrackState20:
        return &track.state20;
    default:
        return nullptr;
    }
}

// The parameter family (gain, frequency, Q) and band of an EQ identifier; band -1 otherwise.
std::pair<int32_t, int> EqFamily(int32_t id) {
    for (int32_t base : {HostParam::EqGain, HostParam::EqFrequency, HostParam::EqQ})
        if (id >= base && id < base + kBandCount)
            return {base, static_cast<int>(id - base)};
    return {0, -1};
}

double& EqValue(Track& track, int32_t base, int band) {
    const auto index = static_cast<size_t>(band);
    if (base == HostParam::EqGain)
        return track.eqGain[index];
    if (base == HostParam::EqFrequency)
        return track.eqFrequency[index];
    return track.eqQ[index];
}

const char* EventName(int32_t event) {
    if (event == kCommandKeyDown)
        return "down";
    return event == kCommandKeyUp ? "up" : "?";
}

} // namespace

std::string HostEvent::ToString() const {
    char text[96];
    switch (kind) {
    case Set:
        std::snprintf(text, sizeof text, "SetParameter(%d, %d, track %d)", first, second, third);
        break;
    case Command:
        std::snprintf(text, sizeof text, "SendCommand(%d, %s)", first, EventName(second));
        break;
    case Notify:
        std::snprintf(text, sizeof text, "UpdateController(%d, %d, %d)", first, second, third);
        break;
    }
    return text;
}

HostModel::HostModel() : commands(std::begin(kCommands), std::end(kCommands)), events(kKeptEvents) {
    for (const TrackSeed& seed : kTrackSeeds) {
        tracks.push_back(MakeTrack(seed.name, seed.level, seed.pan));
        tracks.back().state16 = seed.state16;
        tracks.back().state20 = seed.state20;
    }
    markers = {4.0, 16.0, 32.5, 60.0, 95.25};
}

// ---- The callback table ----------------------------------------------------------------------

int32_t HostModel::DoSetParameter(int32_t id, int32_t value, int32_t track) {
    // Only the low 16 bits of the value carry meaning.
    const auto value16 = static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF));
    std::lock_guard<std::mutex> guard(lock);
    Log({HostEvent::Set, id, value16, track});
    ApplySet(id, value16, track);
    return 1;
}

int32_t HostModel::DoGetParameter(int32_t id, int32_t track, void* result) {
    if (result == nullptr)
        return 0;
    std::lock_guard<std::mutex> guard(lock);
    ++reads;
    Read(id, track, result);
    return 1;
}

int32_t HostModel::DoEnumCommand(int32_t index, char* name, int32_t size, int32_t* valid) {
    const bool known = index >= 0 && static_cast<size_t>(index) < commands.size();
    if (name != nullptr && size > 0) {
        const std::string text = known ? commands[static_cast<size_t>(index)].name : "";
        const size_t length = std::min(text.size(), static_cast<size_t>(size) - 1);
        std::memcpy(name, text.data(), length);
        name[length] = '\0';
    }
    if (valid != nullptr)
        *valid = known && commands[static_cast<size_t>(index)].valid ? 1 : 0;
    return known ? 1 : 0;
}

int32_t HostModel::DoSendCommand(int32_t command, int32_t event) {
    std::lock_guard<std::mutex> guard(lock);
    Log({HostEvent::Command, command, event, 0});
    if (event == kCommandKeyDown)
        ApplyCommand(command);
    return 1;
}

// ---- What the plug-in's calls do -------------------------------------------------------------

void HostModel::ApplySet(int32_t id, int16_t value, int32_t track) {
    switch (id) {
    case HostParam::Rewind:
    case HostParam::FastForward:
    case HostParam::Stop:
    case HostParam::Play:
    case HostParam::PlayAlternative:
    case HostParam::Record:
        ApplyTransport(id, value);
        break;
    case HostParam::Marker:
    case HostParam::MarkerNext:
    case HostParam::MarkerPrevious:
        ApplyMarker(id);
        break;
    case HostParam::Scroll:
        scroll = std::max(0.0, scroll + value * VisibleSeconds() * HostSteps::kScrollFraction);
        ++version;
        break;
    case HostParam::CurrentTrack:
        SelectTrack(track);
        break;
    default:
        ApplyTrackSet(id, value, track);
        break;
    }
}

void HostModel::ApplyTransport(int32_t id, int16_t value) {
    const int direction = id == HostParam::Rewind ? -1 : 1;
    switch (id) {
    case HostParam::Rewind:
    case HostParam::FastForward:
        if (value != 0)
            winding = direction;
        else if (winding == direction)
            winding = 0;
        break;
    case HostParam::Stop:
        StopRecording();
        playing = false;
        playMode5 = false;
        break;
    case HostParam::Play:
    case HostParam::PlayAlternative:
        playing = true;
        playMode5 = id == HostParam::PlayAlternative;
        break;
    default: // record: starts recording, or ends it while recording
        if (recording) {
            StopRecording();
        } else {
            recording = true;
            playing = true;
            Queue(HostParam::Record, 1, 0);
        }
        break;
    }
    ++version;
}

void HostModel::ApplyMarker(int32_t id) {
    if (id == HostParam::Marker) {
        const auto at = std::find_if(markers.begin(), markers.end(), [this](double marker) {
            return std::fabs(marker - cursor) < kMarkerTolerance;
        });
        if (at != markers.end())
            markers.erase(at);
        else
            markers.insert(std::upper_bound(markers.begin(), markers.end(), cursor), cursor);
    } else if (id == HostParam::MarkerNext) {
        const auto next =
            std::upper_bound(markers.begin(), markers.end(), cursor + kMarkerTolerance);
        if (next != markers.end())
            cursor = *next;
    } else {
        const auto next =
            std::lower_bound(markers.begin(), markers.end(), cursor - kMarkerTolerance);
        if (next != markers.begin())
            cursor = *(next - 1);
    }
    ++version;
}

void HostModel::ApplyTrackSet(int32_t id, int16_t value, int32_t index) {
    Track* track = TrackAt(index);
    if (track == nullptr)
        return; // a track the project does not have: nothing to change
    if (bool* state = StateOf(*track, id)) {
        if (value != 1)
            return; // states are toggled with value 1; other values mean nothing
        *state = !*state;
        Queue(id, index, *state ? 1 : 0);
    } else if (id == HostParam::Level) {
        track->level = value / 100.0;
        Queue(HostParam::Level, index, value);
    } else if (id == HostParam::Touch) {
        track->touched = value != 0;
    } else if (id == HostParam::Pan) {
        track->pan = std::clamp(track->pan + value, -kMaxPan, kMaxPan);
        Queue(HostParam::Pan, index, track->pan);
    } else {
        ApplyEqStep(id, value, *track);
    }
    ++version;
}

void HostModel::ApplyEqStep(int32_t id, int16_t steps, Track& track) {
    const auto [base, band] = EqFamily(id);
    if (band < 0)
        return;
    double& value = EqValue(track, base, band);
    if (base == HostParam::EqGain)
        value = std::clamp(value + steps * HostSteps::kGainDb, kMinGain, kMaxGain);
    else if (base == HostParam::EqFrequency)
        value = std::clamp(value * std::exp2(steps * HostSteps::kOctavesPerStep), kMinFrequency,
                           kMaxFrequency);
    else
        value = std::clamp(value + steps * HostSteps::kQ, kMinQ, kMaxQ);
    // Keep the stored values on the step grid the Host shows.
    value = std::round(value * 100.0) / 100.0;
}

void HostModel::ApplyCommand(int32_t command) {
    const std::string name = CommandName(command);
    if (name.empty())
        return;
    if (name == "Insert: Audio Track") {
        AddTrack("Audio");
    } else if (name == "Insert: MIDI Track") {
        AddTrack("MIDI");
    } else if (name == "Move Cursor to Beginning") {
        cursor = 0.0;
    } else if (name == "Move Cursor to End") {
        cursor = kProjectSeconds;
    } else if (name == "Metronome On/Off toggle") {
        metronome = !metronome;
    } else if (name == "Record/Stop toggle") {
        ApplyTransport(recording ? HostParam::Stop : HostParam::Record, 1);
    } else if (name == "Clips: Punch In") {
        punchIn = !punchIn;
    } else if (name == "Zoom In Horizontally" || name == "Zoom Out Horizontally") {
        zoomHorizontal =
            std::clamp(zoomHorizontal + (name[5] == 'I' ? 1 : -1), 1, kZoomHorizontalMax);
    } else if (name == "Zoom In Vertically" || name == "Zoom Out Vertically") {
        zoomVertical = std::clamp(zoomVertical + (name[5] == 'I' ? 1 : -1), 1, kZoomVerticalMax);
    } else if (name == "Zoom Full") {
        zoomHorizontal = 1;
        scroll = 0.0;
    } else if (name == "Markers: Add Marker") {
        ApplyMarker(HostParam::Marker);
    } else if (name == "Markers: Delete All") {
        markers.clear();
    }
    ++version;
}

void HostModel::Read(int32_t id, int32_t index, void* result) {
    static const Track kNoSuchTrack = MakeTrack("", 0.0, 0);
    const Track* found = TrackAt(index);
    const Track& track = found != nullptr ? *found : kNoSuchTrack;
    if (id == HostParam::Name) {
        // At most 100 bytes with the terminator.
        char* text = static_cast<char*>(result);
        const size_t length = std::min(track.name.size(), static_cast<size_t>(kHostNameSize - 1));
        std::memcpy(text, track.name.data(), length);
        text[length] = '\0';
        return;
    }
    if (id == HostParam::Pan) {
        *static_cast<int32_t*>(result) = track.pan;
        return;
    }
    if (id == HostParam::Level) {
        *static_cast<double*>(result) = track.level;
        return;
    }
    Track copy = track;
    if (bool* state = StateOf(copy, id)) {
        *static_cast<int32_t*>(result) = *state ? 1 : 0;
        return;
    }
    const auto [base, band] = EqFamily(id);
    if (band >= 0)
        *static_cast<double*>(result) = EqValue(copy, base, band);
    // Any other identifier leaves the result as it is.
}

void HostModel::StopRecording() {
    if (!recording)
        return;
    recording = false;
    Queue(HostParam::Record, 0, 0);
}

// Indices without a track (200 after the last step, 9998 from "no track", -1) select the
// nearest track there is.
void HostModel::SelectTrack(int32_t track) {
    const int last = static_cast<int>(tracks.size()) - 1;
    const int chosen = std::clamp(track, 0, last);
    if (chosen == currentTrack)
        return;
    currentTrack = chosen;
    ++version;
    Queue(HostParam::CurrentTrack, chosen, 0);
    AnnounceTrackStates();
}

// After a track change a Host tells the per-track states of the new current track.
void HostModel::AnnounceTrackStates() {
    if (Track* track = TrackAt(currentTrack)) {
        for (int32_t id : {HostParam::TrackState16, HostParam::Solo, HostParam::TrackState20})
            Queue(id, currentTrack, *StateOf(*track, id) ? 1 : 0);
    }
}

void HostModel::AddTrack(const std::string& prefix) {
    if (tracks.size() >= static_cast<size_t>(kMaxTracks))
        return;
    const int index = static_cast<int>(tracks.size());
    tracks.push_back(MakeTrack(prefix + " " + std::to_string(index + 1), 0.0, 0));
    Queue(HostParam::Name, index, 0);
}

void HostModel::Queue(int32_t code, int32_t first, int32_t second) {
    pending.push_back({code, first, second});
}

void HostModel::Log(HostEvent event) {
    events.Add(std::move(event));
    ++version;
}

Track* HostModel::TrackAt(int32_t track) {
    if (track < 0 || static_cast<size_t>(track) >= tracks.size())
        return nullptr;
    return &tracks[static_cast<size_t>(track)];
}

double HostModel::VisibleSeconds() const {
    return kVisibleSecondsAtZoom1 / zoomHorizontal;
}

// ---- The Host's own side ---------------------------------------------------------------------

void HostModel::Advance(uint32_t now) {
    std::lock_guard<std::mutex> guard(lock);
    const double seconds = advanced ? static_cast<uint32_t>(now - lastAdvance) / 1000.0 : 0.0;
    lastAdvance = now;
    advanced = true;
    const double speed = winding != 0 ? winding * kWindSpeed : (playing ? 1.0 : 0.0);
    if (speed == 0.0 || seconds == 0.0)
        return;
    cursor = std::clamp(cursor + speed * seconds, 0.0, kProjectSeconds);
    ++version;
}

std::vector<Notification> HostModel::TakeNotifications() {
    std::lock_guard<std::mutex> guard(lock);
    std::vector<Notification> taken(pending.begin(), pending.end());
    pending.clear();
    return taken;
}

void HostModel::SetLevel(int index, double db) {
    std::lock_guard<std::mutex> guard(lock);
    if (Track* track = TrackAt(index)) {
        track->level = db;
        ++version;
        Queue(HostParam::Level, index, static_cast<int32_t>(db * 100.0));
    }
}

void HostModel::SetPan(int index, int pan) {
    std::lock_guard<std::mutex> guard(lock);
    if (Track* track = TrackAt(index)) {
        track->pan = pan;
        ++version;
        Queue(HostParam::Pan, index, pan);
    }
}

bool HostModel::Rename(int index, const std::string& name) {
    std::lock_guard<std::mutex> guard(lock);
    Track* track = TrackAt(index);
    if (track == nullptr)
        return false;
    track->name = name;
    ++version;
    Queue(HostParam::Name, index, 0);
    return true;
}

void HostModel::SetState(int index, int id, bool on) {
    std::lock_guard<std::mutex> guard(lock);
    Track* track = TrackAt(index);
    bool* state = track != nullptr ? StateOf(*track, id) : nullptr;
    if (state == nullptr)
        return;
    *state = on;
    ++version;
    Queue(id, index, on ? 1 : 0);
}

// Unlike a selection from the surface, the Host may also leave no track current.
void HostModel::SetCurrentTrack(int track) {
    std::lock_guard<std::mutex> guard(lock);
    if (track != kNoTrack && TrackAt(track) == nullptr)
        return;
    currentTrack = track;
    ++version;
    Queue(HostParam::CurrentTrack, track, 0);
    AnnounceTrackStates();
}

void HostModel::SetRecording(bool on) {
    std::lock_guard<std::mutex> guard(lock);
    if (on == recording)
        return;
    if (on)
        ApplyTransport(HostParam::Record, 1);
    else
        StopRecording();
}

void HostModel::SetEq(int index, int band, int base, double value) {
    std::lock_guard<std::mutex> guard(lock);
    Track* track = TrackAt(index);
    if (track == nullptr || band < 0 || band >= kBandCount)
        return;
    EqValue(*track, base, band) = value;
    ++version;
}

void HostModel::AnnounceState() {
    std::lock_guard<std::mutex> guard(lock);
    Queue(HostParam::CurrentTrack, currentTrack, 0);
    Queue(HostParam::Record, recording ? 1 : 0, 0);
    AnnounceTrackStates();
}

void HostModel::RecordNotify(const Notification& notification) {
    std::lock_guard<std::mutex> guard(lock);
    Log({HostEvent::Notify, notification.code, notification.first, notification.second});
}

HostModel::Snapshot HostModel::Snap() const {
    std::lock_guard<std::mutex> guard(lock);
    return Snapshot{tracks,    currentTrack,   playing,      playMode5, recording,
                    metronome, punchIn,        winding,      cursor,    markers,
                    scroll,    zoomHorizontal, zoomVertical, reads};
}

std::vector<HostEvent> HostModel::EventsFrom(size_t& from) const {
    std::lock_guard<std::mutex> guard(lock);
    return events.From(from);
}

std::vector<HostEvent> HostModel::RecentEvents(size_t count) const {
    std::lock_guard<std::mutex> guard(lock);
    return events.Latest(count);
}

uint64_t HostModel::Version() const {
    std::lock_guard<std::mutex> guard(lock);
    return version;
}

std::string HostModel::CommandName(int32_t index) const {
    if (index < 0 || static_cast<size_t>(index) >= commands.size())
        return "";
    const Command& command = commands[static_cast<size_t>(index)];
    return command.valid ? command.name : "";
}

} // namespace sim
