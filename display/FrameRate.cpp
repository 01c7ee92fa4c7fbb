#include "display/FrameRate.h"

#include "platform/Platform.h"

#include <cstdio>

void CountFrameRate(FrameRate& frameRate) {
    frameRate.passCount++;
    if (static_cast<uint32_t>(GetTickCount() - frameRate.lastMeasurement) > 1000) {
        frameRate.rate = frameRate.passCount;
        const uint32_t elapsed = GetTickCount() - frameRate.lastMeasurement;
        frameRate.passCount = 0;
        frameRate.rate = frameRate.rate / elapsed * 1000.0;
        frameRate.lastMeasurement = GetTickCount();
    }
    std::snprintf(frameRate.text, sizeof(frameRate.text), "FPS : %f", frameRate.rate);
}
