// The settings dialog's template for the Linux builds: the same layout the resource compiler
// puts into the Windows DLL, registered with the stand-in when the module loads.
#include "platform/standin/dialog_user.h"

#include <iterator>

#include "controls/modal_dialog.h"
#include "resources/settings_dialog_layout.h"

namespace {

constexpr StandinDialogControl Label(const char* text, short x, short y, short width) {
    return {"STATIC", text,  KORVANE_LABEL_ID,     x,
            y,        width, KORVANE_LABEL_HEIGHT, KORVANE_LABEL_STYLE};
}

constexpr StandinDialogControl KeyList(int id, short x, short y) {
    return {"COMBOBOX",
            "",
            id,
            x,
            y,
            KORVANE_KEY_LIST_WIDTH,
            KORVANE_KEY_LIST_HEIGHT,
            static_cast<DWORD>(KORVANE_KEY_LIST_STYLE)};
}

constexpr StandinDialogControl Button(const char* text, int id, short x, DWORD style) {
    return {"BUTTON", text, id, x, KORVANE_BUTTONS_Y, KORVANE_BUTTON_WIDTH, KORVANE_BUTTON_HEIGHT,
            style};
}

// Each key's label, then its list, as the resource script lays them out.
#define KORVANE_STANDIN_KEY_LIST(id, x, y, label, labelX, labelY, labelWidth)                      \
    Label(label, labelX, labelY, labelWidth), KeyList(id, x, y),

const StandinDialogControl kSettingsControls[] = {
    // clang-format off
    KORVANE_SETTINGS_KEY_LISTS(KORVANE_STANDIN_KEY_LIST)
    // clang-format on
    Button("OK", IDOK, KORVANE_OK_X, static_cast<DWORD>(KORVANE_OK_STYLE)),
    Button("Cancel", IDCANCEL, KORVANE_CANCEL_X, static_cast<DWORD>(KORVANE_CANCEL_STYLE)),
    Label(KORVANE_VERSION_LABEL, KORVANE_VERSION_LABEL_X, KORVANE_VERSION_LABEL_Y,
          KORVANE_VERSION_LABEL_WIDTH),
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
