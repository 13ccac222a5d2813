// The bridge: the operations through which the module asks and tells the Host everything
// (parameters, actions, commands and the scans over all tracks), over the module-wide copy of
// the Host's callback table.
#pragma once

#include <cstdint>

#include "host/host_api.h"

enum class EqKind { Gain, Frequency, Q };

void BindHostCallbacks(const HostCallbackTable* table);

void TriggerAction(int32_t id);
void HoldAction(int32_t id, bool held);

void SelectTrack(int32_t track);
void SelectPreviousTrack(int16_t current);
void SelectNextTrack(int16_t current);

// Whether the track's state (16, 17 or 20) reads 1.
bool GetTrackState(int32_t id, int32_t track);
void ToggleTrackState(int32_t id, int32_t track);
void ClearTrackStateOnAll(int32_t id);
void ClearLastSolo();
bool AnyTrackSoloed();

double GetTrackLevel(int32_t track);
void SetTrackLevel(int32_t track, double levelDb);
void SetTrackTouch(int32_t track, bool touched);

int16_t GetTrackPan(int32_t track);
void NudgeTrackPan(int32_t track, int32_t steps, bool fine);
void SetTrackPan(int32_t track, int32_t target);

double GetEqValue(EqKind kind, int32_t track, int32_t band);
void NudgeEqValue(EqKind kind, int32_t track, int32_t band, int32_t steps);

// Copies at most size - 1 characters of the track's name into destination, fills the rest
// with NULs and terminates it at size - 1.
void GetTrackName(int32_t track, char* destination, int16_t size);
// The highest track, from 200 down to 0, whose name is not empty; -1 when none has a name.
int32_t LastNamedTrack();

void ScrollBy(int32_t steps);

void PressCommand(int32_t command, bool pressed);
void TapCommand(int32_t command);
