// What the fader's position stands for: the level of the current track, or its pan while the
// fader is flipped. The surface shows the flip only by its LEDs: FaderFn lit in track mode.
#pragma once

#include <cstdint>
#include <string>

#include "virtual_korvane.h"

namespace sim {

// A pan as the Host panel shows it: C, L35, R100.
std::string PanText(int pan);
// "level -2.7 dB" or "pan L35": the reading the plug-in gives the position (its fader laws).
std::string FaderReading(int position, bool pan);
// Whether the fader edits the pan: the track-mode and FaderFn LEDs are both lit.
bool FaderEditsPan(const VirtualKorvane& surface, uint32_t now);

} // namespace sim
