/* The module's version and web address, for its version record and the settings dialog.
 * Plain preprocessor definitions only: the resource compiler reads this file too. */
#ifndef KORVANE_VERSION_H
#define KORVANE_VERSION_H

#define KORVANE_VERSION_MAJOR 1
#define KORVANE_VERSION_MINOR 0
#define KORVANE_VERSION_PATCH 0
#define KORVANE_VERSION_TEXT "1.0.0"
#define KORVANE_WEB_ADDRESS "korvane.example.org"

#endif
