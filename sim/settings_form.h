// The plug-in's settings dialog presented as a terminal form: the user picks a Host command for
// each key, and OK lets the plug-in store the choices in the registry.
#pragma once

#include <string>

#include "session.h"

namespace sim {

struct FormOutcome {
    bool shown = false; // the plug-in showed its dialog
    std::string summary;
};

// Runs ConfigureController with the form in front of its dialog. The terminal must be in curses
// mode (a Screen).
FormOutcome ShowSettingsForm(Session& session);

} // namespace sim
