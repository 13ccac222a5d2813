// The fifteen surface keys that send a Host command of the user's choice, and the module-wide
// table of their assignments that the settings dialog fills and the key actions read.
#pragma once

#include <cstddef>
#include <cstdint>

// The ids of the keys' drop-down lists in the settings dialog, which also name the keys.
namespace KeyId {
enum : int32_t {
    F1 = 1000,
    ShiftF1 = 1001,
    F2 = 1002,
    ShiftF2 = 1003,
    F3 = 1004,
    ShiftF3 = 1005,
    F4 = 1006,
    ShiftF4 = 1007,
    ShiftTrackLeft = 1008,
    ShiftTrackRight = 1009,
    ShiftRewind = 1012,
    ShiftFastForward = 1013,
    ShiftPlay = 1014,
    ShiftRecord = 1015,
    Footswitch = 1016,
};
}

struct KeyAssignment {
    int32_t controlId;          // a KeyId
    int32_t command;            // the assigned Host command number, kNoCommand for none
    const char* valueName;      // the registry value that stores the command's name
    const char* defaultCommand; // the Host command assigned when nothing usable is stored
};

constexpr size_t kKeyAssignmentCount = 15;

// Written by the settings on the Host's thread and read by the key actions on the MIDI input
// thread: each row's command is read and written whole, with the accessors below.
extern KeyAssignment theKeyAssignments[kKeyAssignmentCount];

int32_t LoadAssignedCommand(const KeyAssignment& row);
void StoreAssignedCommand(KeyAssignment& row, int32_t command);
