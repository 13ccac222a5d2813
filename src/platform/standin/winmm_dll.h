// The platform as the bus sees it when it is built for Windows, as the replacement winmm.dll
// of the Windows tests: the real Windows declarations take the place of the stand-in's. That
// build defines _WINMM_, so that the MIDI functions it defines are not declared as imported;
// its exports, the midi* functions and the far side, are named by winmm.def.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After <windows.h>, whose types it uses.
#include <mmsystem.h>

#define STANDIN_API
