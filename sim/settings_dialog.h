// The plug-in's settings dialog as the user in front of it sees it: the key lists with their
// labels, their entries and selections, read and changed through the ordinary dialog calls.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace sim {

struct KeyList {
    std::string label; // the label beside the list, as the template gives it
    int id;
};

// The drop-down lists of the open dialog, in tab order, each with the label before it.
std::vector<KeyList> KeyListsOf(HWND dialog);
std::vector<std::string> EntriesOf(HWND dialog, int id);
int SelectionOf(HWND dialog, int id); // CB_ERR when nothing is selected
std::string CaptionOf(HWND dialog);
// The list whose label matches `label` (case-insensitive), or null.
const KeyList* FindKeyList(const std::vector<KeyList>& lists, const std::string& label);

} // namespace sim
