// What each control of the surface does in track mode, in EQ mode and with Shift latched: the
// one table that the simulator's help and the drawing of the surface (docs/surface.svg) read.
// The commands of the assignable keys are the defaults of the plug-in's key-assignment table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct ControlRole {
    const char* control;      // a control name of the surface map (FindControl)
    const char* trackMode;    // what it does in track mode
    const char* eqMode;       // in EQ mode (EQ band mode included); null: as in track mode
    const char* withShift;    // with Shift latched, in either mode; null: as without Shift
    int32_t plainKey;         // an assignable key (KeyId) whose command it sends without Shift
    int32_t shiftedKey;       // an assignable key whose command it sends with Shift
    const char* shiftCommand; // a fixed Host command it sends with Shift
};

// A role's texts with the commands filled in. An empty `eq` or `shift` means "as in track
// mode" or "as without Shift".
struct RoleTexts {
    std::string track;
    std::string eq;
    std::string shift;
};

// Every control with a role of its own, in the order of the surface's panel. The encoders'
// push switches and the strip's second touch are part of their encoder and the strip.
const std::vector<ControlRole>& ControlRoles();
const ControlRole* FindRole(const std::string& control);
RoleTexts TextsOf(const ControlRole& role);

// How a command shows in a role's text; an assignable key's default is marked with a star.
std::string CommandText(const std::string& command, bool assignable);
// What the star means, for the help and the drawing's legend.
extern const char kAssignableNote[];

} // namespace sim
