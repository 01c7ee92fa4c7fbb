// The demo scene: what is loaded at start, the eighteen sprite draws of every
// frame, and the measured frame rate in the top-left corner.
#pragma once

#include "display/FrameRate.h"

#include <cstdint>

// The files the scene loads from the working directory. Fixed in the program;
// only tools that render the scene from other files change them.
extern const char* g_girlFileName;
extern const char* g_backgroundFileName;

// Loads both sprite sets (a failed load leaves its set empty) and builds the blend table.
void StartScene();

// The sprite draws of one frame into the back buffer, following the pointer.
void DrawScene();

// CountFrameRate, and its "FPS : ..." written over everything else.
void DrawFrameRate(FrameRate& frameRate);
