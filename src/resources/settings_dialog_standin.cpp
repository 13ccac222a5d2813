// The settings dialog's template for the Linux builds: the same layout the resource compiler
// puts into the Windows DLL, registered with the stand-in when the module loads.
#include "platform/standin/dialog_user.h"

#include <iterator>

#include "controls/modal_dialog.h"
#include "resources/settings_dialog_layout.h"

namespace {

#define KORVANE_STANDIN_KEY_LIST(id, x, y, label, labelX, labelY, labelWidth)                    \
    {"STATIC", label, KORVANE_LABEL_ID, labelX, labelY, labelWidth, KORVANE_LABEL_HEIGHT,         \
     KORVANE_LABEL_STYLE},                                                                        \
        {"COMBOBOX", "", id, x, y, KORVANE_KEY_LIST_WIDTH, KORVANE_KEY_LIST_HEIGHT,               \
         static_cast<DWORD>(KORVANE_KEY_LIST_STYLE)},

const StandinDialogControl kSettingsControls[] = {
    KORVANE_SETTINGS_KEY_LISTS(KORVANE_STANDIN_KEY_LIST)
    {"BUTTON", "OK", IDOK, KORVANE_OK_X, KORVANE_BUTTONS_Y, KORVANE_BUTTON_WIDTH,
     KORVANE_BUTTON_HEIGHT, static_cast<DWORD>(KORVANE_OK_STYLE)},
    {"BUTTON", "Cancel", IDCANCEL, KORVANE_CANCEL_X, KORVANE_BUTTONS_Y, KORVANE_BUTTON_WIDTH,
     KORVANE_BUTTON_HEIGHT, static_cast<DWORD>(KORVANE_CANCEL_STYLE)},
    {"STATIC", KORVANE_VERSION_LABEL, KORVANE_LABEL_ID, KORVANE_VERSION_LABEL_X,
     KORVANE_VERSION_LABEL_Y, KORVANE_VERSION_LABEL_WIDTH, KORVANE_LABEL_HEIGHT,
     KORVANE_LABEL_STYLE},
};

#undef KORVANE_STANDIN_KEY_LIST

const StandinDialogTemplate kSettingsDialog = {
    KORVANE_SETTINGS_CAPTION,
    KORVANE_SETTINGS_FONT_NAME,
    KORVANE_SETTINGS_FONT_POINTS,
    KORVANE_SETTINGS_WIDTH,
    KORVANE_SETTINGS_HEIGHT,
    static_cast<DWORD>(KORVANE_SETTINGS_STYLE),
    kSettingsControls,
    static_cast<int>(std::size(kSettingsControls)),
};

// Runs when the module is loaded, as the Windows loader makes a DLL's resources available.
const bool registered = [] {
    StandinRegisterDialogTemplate(ModuleInstance(), KORVANE_SETTINGS_DIALOG_ID, &kSettingsDialog);
    return true;
}();

} // namespace
