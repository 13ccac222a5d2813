#include "support/host_commands.h"

#include <algorithm>

const std::vector<std::string>& StandardCommandNames() {
    static const std::vector<std::string> names = {
        "Zoom Out Horizontally",
        "Mixer panel toggle",
        "Multitrack / Edit View toggle",
        "Save / Save Session",
        "Undo (1)",
        "Insert: Audio Track",
        kInvalidHostCommand,
        "Insert: MIDI Track",
        "Save All",
        "Redo",
        "Selection Anchor Left when playing",
        "Selection Anchor Right when playing",
        "Move Cursor to Beginning",
        "Move Cursor to End",
        "Metronome On/Off toggle",
        "Monitor Record Level toggle",
        "Record/Stop toggle",
        "Zoom In Horizontally",
        "Zoom Out Vertically",
        "Zoom In Vertically",
        "Clips: Punch In",
        "Edit: Cut",
        "Edit: Copy",
        "Edit: Paste",
        "Transport: Loop",
    };
    return names;
}

int32_t CommandIndex(const std::string& name) {
    const auto& names = StandardCommandNames();
    const auto found = std::find(names.begin(), names.end(), name);
    return found == names.end() ? -1 : static_cast<int32_t>(found - names.begin());
}
