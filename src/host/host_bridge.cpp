// The bridge: thin operations over the module-wide copy of the Host's callback table.
#include "host/host_bridge.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

HostCallbackTable hostTable = {};

// Before the first controller binds the table every entry is null; a call then does nothing
// instead of jumping to address zero.
void SetParameter(int32_t id, int32_t value, int32_t track) {
    if (hostTable.SetParameter != nullptr)
        hostTable.SetParameter(id, value, track, 0);
}

void GetParameter(int32_t id, int32_t track, void* result) {
    if (hostTable.GetParameter != nullptr)
        hostTable.GetParameter(id, track, result, 0);
}

void SendCommand(int32_t command, int32_t event) {
    if (command != kNoCommand && hostTable.SendCommand != nullptr)
        hostTable.SendCommand(command, event);
}

bool IsEqBand(int32_t band) {
    return band >= 0 && band < kEqBandCount;
}

int32_t EqParameter(EqKind kind, int32_t band) {
    switch (kind) {
    case EqKind::Gain:
        return HostParam::EqGain + band;
    case EqKind::Frequency:
        return HostParam::EqFrequency + band;
    case EqKind::Q:
        break;
    }
    return HostParam::EqQ + band;
}

// The value slot carries a signed 16-bit number; anything wider is clamped to it.
int32_t ClampToValueSlot(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int16_t>::min(),
                                                    std::numeric_limits<int16_t>::max()));
}

} // namespace

void BindHostCallbacks(const HostCallbackTable* table) {
    if (table != nullptr)
        hostTable = *table;
}

void TriggerAction(int32_t id) {
    SetParameter(id, 1, 0);
}

void HoldAction(int32_t id, bool held) {
    SetParameter(id, held ? 1 : 0, 0);
}

void SelectTrack(int32_t track) {
    SetParameter(HostParam::CurrentTrack, 0, track);
}

void SelectPreviousTrack(int16_t current) {
    const int32_t previous = current - 1;
    SelectTrack(previous < 0 ? 0 : previous);
}

void SelectNextTrack(int16_t current) {
    const int32_t next = current + 1;
    SelectTrack(next > kTrackCount ? kTrackCount : next);
}

bool GetTrackState(int32_t id, int32_t track) {
    int32_t state = 0;
    GetParameter(id, track, &state);
    return state == 1;
}

void ToggleTrackState(int32_t id, int32_t track) {
    SetParameter(id, 1, track);
}

void ClearTrackStateOnAll(int32_t id) {
    for (int32_t track = 0; track < kTrackCount; ++track) {
        if (GetTrackState(id, track))
            ToggleTrackState(id, track);
    }
}

void ClearLastSolo() {
    for (int32_t track = kTrackCount - 1; track >= 0; --track) {
        if (GetTrackState(HostParam::Solo, track)) {
            ToggleTrackState(HostParam::Solo, track);
            return;
        }
    }
}

bool AnyTrackSoloed() {
    for (int32_t track = 0; track < kTrackCount; ++track) {
        if (GetTrackState(HostParam::Solo, track))
            return true;
    }
    return false;
}

double GetTrackLevel(int32_t track) {
    double level = 0.0;
    GetParameter(HostParam::Level, track, &level);
    return level;
}

void SetTrackLevel(int32_t track, double levelDb) {
    // Hundredths of a dB, truncated toward zero. A level that is not a number has no
    // hundredths to send; one beyond the value slot is clamped before the conversion.
    if (std::isnan(levelDb))
        return;
    const double hundredths = std::clamp(levelDb * 100.0, -32768.0, 32767.0);
    SetParameter(HostParam::Level, static_cast<int32_t>(hundredths), track);
}

void SetTrackTouch(int32_t track, bool touched) {
    SetParameter(HostParam::Touch, touched ? 1 : 0, track);
}

int16_t GetTrackPan(int32_t track) {
    int32_t pan = 0;
    GetParameter(HostParam::Pan, track, &pan);
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(pan) & 0xFFFFu));
}

void NudgeTrackPan(int32_t track, int32_t steps, bool fine) {
    const int64_t delta = fine ? steps : int64_t{steps} * 10;
    SetParameter(HostParam::Pan, ClampToValueSlot(delta), track);
}

void SetTrackPan(int32_t track, int32_t target) {
    int32_t current = 0;
    GetParameter(HostParam::Pan, track, &current);
    SetParameter(HostParam::Pan, ClampToValueSlot(int64_t{target} - current), track);
}

double GetEqValue(EqKind kind, int32_t track, int32_t band) {
    double value = 0.0;
    if (IsEqBand(band))
        GetParameter(EqParameter(kind, band), track, &value);
    return value;
}

void NudgeEqValue(EqKind kind, int32_t track, int32_t band, int32_t steps) {
    if (IsEqBand(band))
        SetParameter(EqParameter(kind, band), steps, track);
}

void GetTrackName(int32_t track, char* destination, int16_t size) {
    if (destination == nullptr || size <= 0)
        return;
    // Cleared so that a Host that writes nothing leaves an empty name, and measured within
    // the buffer so that one that writes 100 bytes without a terminator is not read past.
    char name[kHostNameSize] = {};
    GetParameter(HostParam::Name, track, name);
    const size_t room = static_cast<size_t>(size) - 1;
    const size_t length =
        std::min(static_cast<size_t>(std::find(name, name + sizeof name, '\0') - name), room);
    std::memcpy(destination, name, length);
    std::memset(destination + length, 0, room - length + 1);
}

int32_t LastNamedTrack() {
    char name[kHostNameSize] = {};
    for (int32_t track = kTrackCount; track >= 0; --track) {
        GetParameter(HostParam::Name, track, name);
        if (name[0] != '\0')
            return track;
    }
    return -1;
}

void ScrollBy(int32_t steps) {
    SetParameter(HostParam::Scroll, steps, 0);
}

void PressCommand(int32_t command, bool pressed) {
    SendCommand(command, pressed ? kCommandKeyDown : kCommandKeyUp);
}

void TapCommand(int32_t command) {
    SendCommand(command, kCommandKeyDown);
    SendCommand(command, kCommandKeyUp);
}
