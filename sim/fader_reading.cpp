#include "fader_reading.h"

#include <cstdio>

#include "display/fader_laws.h"

namespace sim {

std::string PanText(int pan) {
    if (pan == 0)
        return "C";
    return (pan < 0 ? "L" : "R") + std::to_string(pan < 0 ? -pan : pan);
}

std::string FaderReading(int position, bool pan) {
    if (pan)
        return "pan " + PanText(static_cast<int>(PositionToValue(PanLaw, position)));
    char level[32];
    std::snprintf(level, sizeof level, "level %.1f dB", PositionToValue(LevelLaw, position));
    return level;
}

bool FaderEditsPan(const VirtualKorvane& surface, uint32_t now) {
    return surface.Led(FindControl("mode1")->note, now).lit &&
           surface.Led(FindControl("faderfn")->note, now).lit;
}

} // namespace sim
