// The assignment table, in the order the settings load and save it.
#include "controls/key_assignments.h"

#include "host/host_bridge.h"

KeyAssignment theKeyAssignments[kKeyAssignmentCount] = {
    {KeyId::F1, kNoCommand, "F1", "Mixer panel toggle"},
    {KeyId::F2, kNoCommand, "F2", "Multitrack / Edit View toggle"},
    {KeyId::F3, kNoCommand, "F3", "Save / Save Session"},
    {KeyId::F4, kNoCommand, "F4", "Undo (1)"},
    {KeyId::ShiftF1, kNoCommand, "Shift F1", "Insert: Audio Track"},
    {KeyId::ShiftF2, kNoCommand, "Shift F2", "Insert: MIDI Track"},
    {KeyId::ShiftF3, kNoCommand, "Shift F3", "Save All"},
    {KeyId::ShiftF4, kNoCommand, "Shift F4", "Redo"},
    {KeyId::ShiftTrackLeft, kNoCommand, "Shift Trk<", "Selection Anchor Left when playing"},
    {KeyId::ShiftTrackRight, kNoCommand, "Shift Trk>", "Selection Anchor Right when playing"},
    {KeyId::ShiftRewind, kNoCommand, "Shift Rewind", "Move Cursor to Beginning"},
    {KeyId::ShiftFastForward, kNoCommand, "Shift FForward", "Move Cursor to End"},
    {KeyId::ShiftPlay, kNoCommand, "Shift Play", "Metronome On/Off toggle"},
    {KeyId::ShiftRecord, kNoCommand, "Shift Record", "Monitor Record Level toggle"},
    {KeyId::Footswitch, kNoCommand, "Footswitch", "Record/Stop toggle"},
};

// The table keeps plain ints (the rows are constant data apart from the command); the
// accesses are atomic so that the two threads never see a command half-written.
int32_t LoadAssignedCommand(const KeyAssignment& row) {
    return __atomic_load_n(&row.command, __ATOMIC_RELAXED);
}

void StoreAssignedCommand(KeyAssignment& row, int32_t command) {
    __atomic_store_n(&row.command, command, __ATOMIC_RELAXED);
}
