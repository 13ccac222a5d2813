// The one door from module code to the operating system.
//
// On Windows this is the real Windows API. Elsewhere it is the stand-in library, which
// declares the same names, types, constants and result codes, so that the module's own code
// is the same text on every build.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// mmsystem.h needs the types of windows.h.
#include <mmsystem.h>
// The exports are named by the module definition file; nothing else is exported.
#define KORVANE_EXPORT
#else
#include "standin/windows_api.h"
#define KORVANE_EXPORT __attribute__((visibility("default")))
#endif
