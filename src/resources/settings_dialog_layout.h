/* The one description of the settings dialog's layout (dialog units), read by the resource
 * compiler for the Windows template and by the stand-in template of the Linux builds, so the
 * two cannot drift apart. Plain preprocessor definitions only: the resource compiler reads
 * this file too. */
#ifndef KORVANE_SETTINGS_DIALOG_LAYOUT_H
#define KORVANE_SETTINGS_DIALOG_LAYOUT_H

#include "version.h"

#define KORVANE_SETTINGS_DIALOG_ID 1000
#define KORVANE_SETTINGS_CAPTION "Korvane User Settings"
#define KORVANE_SETTINGS_FONT_NAME "MS Sans Serif"
#define KORVANE_SETTINGS_FONT_POINTS 8
#define KORVANE_SETTINGS_WIDTH 377
#define KORVANE_SETTINGS_HEIGHT 258
#define KORVANE_SETTINGS_STYLE (DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU)

/* Each key's drop-down list: an edit field, sorted entries, a vertical scroll bar, a tab stop.
 * The height is the height of the dropped-down list. */
#define KORVANE_KEY_LIST_STYLE                                                                     \
    (WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_SORT | WS_VSCROLL | WS_TABSTOP)
#define KORVANE_KEY_LIST_WIDTH 173
#define KORVANE_KEY_LIST_HEIGHT 78
#define KORVANE_LABEL_STYLE (WS_CHILD | WS_VISIBLE | SS_LEFT)
#define KORVANE_LABEL_HEIGHT 8
/* Labels are not addressed by the code. */
#define KORVANE_LABEL_ID (-1)

/* The lists in tab order: KEY(list id, x, y, label, label x, label y, label width). A label
 * stands 8 units above its list and 4 further right; the footswitch's stands to its left. */
#define KORVANE_SETTINGS_KEY_LISTS(KEY)                                                            \
    KEY(1000, 6, 15, "F1", 10, 7, 80)                                                              \
    KEY(1001, 197, 15, "Shift-F1", 201, 7, 80)                                                     \
    KEY(1002, 6, 43, "F2", 10, 35, 80)                                                             \
    KEY(1003, 197, 43, "Shift-F2", 201, 35, 80)                                                    \
    KEY(1004, 6, 71, "F3", 10, 63, 80)                                                             \
    KEY(1005, 197, 71, "Shift-F3", 201, 63, 80)                                                    \
    KEY(1006, 6, 99, "F4", 10, 91, 80)                                                             \
    KEY(1007, 197, 99, "Shift-F4", 201, 91, 80)                                                    \
    KEY(1008, 6, 127, "Shift-Trk<", 10, 119, 80)                                                   \
    KEY(1009, 197, 127, "Shift-Trk>", 201, 119, 80)                                                \
    KEY(1012, 6, 154, "Shift-Rewind", 10, 146, 80)                                                 \
    KEY(1013, 197, 154, "Shift-FFoward", 201, 146, 80)                                             \
    KEY(1014, 6, 182, "Shift-Play", 10, 174, 80)                                                   \
    KEY(1015, 197, 182, "Shift-Record", 201, 174, 80)                                              \
    KEY(1016, 103, 209, "Footswitch", 64, 211, 36)

#define KORVANE_BUTTON_WIDTH 50
#define KORVANE_BUTTON_HEIGHT 14
#define KORVANE_OK_X 254
#define KORVANE_CANCEL_X 320
#define KORVANE_BUTTONS_Y 237
#define KORVANE_OK_STYLE (WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON)
#define KORVANE_CANCEL_STYLE (WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON)

/* The version label: the version, four blanks and the project's web address. */
#define KORVANE_VERSION_LABEL "v" KORVANE_VERSION_TEXT "    " KORVANE_WEB_ADDRESS
#define KORVANE_VERSION_LABEL_X 10
#define KORVANE_VERSION_LABEL_Y 243
#define KORVANE_VERSION_LABEL_WIDTH 104

#endif
