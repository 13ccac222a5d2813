// The drawing of the surface for the README (docs/surface.svg): every control in the rows of
// the simulator's panel, labelled with what it does in track mode, in EQ mode and with Shift.
// It is made from the surface map and the role table only, so it changes exactly when they do.
#pragma once

#include <string>

namespace sim {

// The whole SVG document.
std::string DrawSurfaceSvg();
// Text as it may stand inside an XML element or attribute.
std::string EscapeXml(const std::string& text);

} // namespace sim
