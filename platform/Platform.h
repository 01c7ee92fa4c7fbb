// The one header through which the system code reaches the platform.
// On Windows it is the real Win32 + DirectDraw 7; everywhere else it is our own
// small layer with the same names, records and behaviour the system relies on.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <ddraw.h>
#include <windows.h>
#else
#include "portable/DDraw.h"
#include "portable/Win32.h"
#endif
