#include "control_roles.h"

#include <cstring>

#include "controls/button_bank.h"
#include "controls/key_assignments.h"

namespace sim {

const char kAssignableNote[] =
    "* the default command of an assignable key; the settings dialog (F9) assigns another";

namespace {

constexpr const char* kSame = nullptr;
constexpr int32_t kNoKey = 0;

// What the buttons do is in controls/button_actions.cpp, what the fader, the encoders and the
// strip do in display/display_pages.cpp and controls/touch_strip.cpp; this table says it in
// words. Shift means latched: a click latches it, and a gesture made while it is held counts
// as latched too.
const std::vector<ControlRole> kRoles = {
    {"shift", "click: latch Shift (its LED blinks); hold: Shift for the keys pressed meanwhile",
     kSame, "click: unlatch", kNoKey, kNoKey, nullptr},
    {"mode1", "track mode", "back to track mode", kSame, kNoKey, kNoKey, nullptr},
    {"mode2", "no function", kSame, kSame, kNoKey, kNoKey, nullptr},
    {"mode3", "EQ mode", "EQ band mode and back (blinks in band mode)", kSame, kNoKey, kNoKey,
     nullptr},
    {"mode4", "no function", kSame, kSame, kNoKey, kNoKey, nullptr},
    {"mode5", "no function", kSame, kSame, kNoKey, kNoKey, nullptr},
    {"state16", "toggle track state 16 of the current track", kSame,
     "clear state 16 on every track", kNoKey, kNoKey, nullptr},
    {"solo", "toggle solo of the current track", kSame, "unsolo the highest soloed track", kNoKey,
     kNoKey, nullptr},
    {"state20", "toggle track state 20 of the current track", kSame,
     "clear state 20 on every track", kNoKey, kNoKey, nullptr},
    {"anysolo", "LED: blinks while any track is soloed", kSame, kSame, kNoKey, kNoKey, nullptr},
    {"f1", kSame, kSame, kSame, KeyId::F1, KeyId::ShiftF1, nullptr},
    {"f2", kSame, kSame, kSame, KeyId::F2, KeyId::ShiftF2, nullptr},
    {"f3", kSame, kSame, kSame, KeyId::F3, KeyId::ShiftF3, nullptr},
    {"f4", kSame, kSame, kSame, KeyId::F4, KeyId::ShiftF4, nullptr},
    {"trk<", "previous track (its name shows for 3 s)", kSame, kSame, kNoKey, KeyId::ShiftTrackLeft,
     nullptr},
    {"trk>", "next track (its name shows for 3 s)", kSame, kSame, kNoKey, KeyId::ShiftTrackRight,
     nullptr},
    {"rewind", "rewind while held", kSame, kSame, kNoKey, KeyId::ShiftRewind, nullptr},
    {"ffwd", "fast-forward while held", kSame, kSame, kNoKey, KeyId::ShiftFastForward, nullptr},
    {"stop", "stop", kSame, kSame, kNoKey, kNoKey, nullptr},
    {"play", "play; the alternative play while PlayMode is lit", kSame, kSame, kNoKey,
     KeyId::ShiftPlay, nullptr},
    {"record", "record", kSame, kSame, kNoKey, KeyId::ShiftRecord, nullptr},
    {"playmode", "latch: Play starts the alternative play", kSame, kSame, kNoKey, kNoKey,
     ButtonBank::kPunchInCommandName},
    {"faderfn", "latch the flip: the fader edits the pan, encoder 3 the level",
     "hold it and touch an encoder: that encoder's area shows the level while it is latched",
     "return to the last named track, and back", kNoKey, kNoKey, nullptr},
    {"footswitch", kSame, kSame, kSame, KeyId::Footswitch, kNoKey, nullptr},
    {"fader", "level of the current track; its pan while flipped (FaderFn)",
     "level of the current track", kSame, kNoKey, kNoKey, nullptr},
    {"enc1", "turn: previous or next track (pushed: always next)",
     "turn: frequency of the band, pushed for fine steps; a push is one step up. Band mode: turn "
     "to pick Low, Mid or High",
     "turn: previous or next track", kNoKey, kNoKey, nullptr},
    {"enc2", "turn: previous or next marker; push: the marker action",
     "turn: gain of the band, pushed for fine steps; a push is one step up. Band mode: nothing",
     kSame, kNoKey, kNoKey, nullptr},
    {"enc3",
     "turn: pan, pushed for fine steps; push twice: pan to the centre. Flipped: the level, and "
     "twice: 0 dB",
     "turn: Q of the band, pushed for fine steps; a push is one step up. Band mode: nothing",
     "turn or push: switch the fader off or on", kNoKey, kNoKey, nullptr},
    {"strip",
     "slide: scroll; tap an end: previous or next marker; rest at an end: keep scrolling; slide "
     "a second finger: zoom",
     kSame, "a second finger zooms vertically", kNoKey, kNoKey, nullptr},
};

const char* DefaultCommandOf(int32_t key) {
    for (const KeyAssignment& row : theKeyAssignments)
        if (row.controlId == key)
            return row.defaultCommand;
    return nullptr;
}

// The role's own text, or the command its key sends.
std::string TextOf(const char* text, int32_t key) {
    if (key != kNoKey) {
        const char* command = DefaultCommandOf(key);
        return command != nullptr ? CommandText(command, true) : "";
    }
    return text != nullptr ? text : "";
}

} // namespace

const std::vector<ControlRole>& ControlRoles() {
    return kRoles;
}

const ControlRole* FindRole(const std::string& control) {
    for (const ControlRole& role : kRoles)
        if (control == role.control)
            return &role;
    return nullptr;
}

std::string CommandText(const std::string& command, bool assignable) {
    return "command \"" + command + "\"" + (assignable ? "*" : "");
}

RoleTexts TextsOf(const ControlRole& role) {
    RoleTexts texts;
    texts.track = TextOf(role.trackMode, role.plainKey);
    texts.eq = TextOf(role.eqMode, kNoKey);
    if (role.shiftCommand != nullptr)
        texts.shift = CommandText(role.shiftCommand, false);
    else
        texts.shift = TextOf(role.withShift, role.shiftedKey);
    return texts;
}

} // namespace sim
