// The measured frame rate as the programs show it, "FPS : ...".
#pragma once

#include <cstdint>

struct FrameRate {
    int32_t passCount = 0;
    uint32_t lastMeasurement = 0; // tick of the last measurement
    double rate = 0.0;
    char text[256] = {};
};

// Counts the pass, measures the rate once a little over a second has gone by
// (the pass that measures counted in), and writes "FPS : ..." into text.
void CountFrameRate(FrameRate& frameRate);
