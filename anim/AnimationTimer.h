// Step timers advanced once per frame from the millisecond tick count.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <list>
#include <vector>

struct AnimationTimer {
    uint8_t active = 0;
    uint8_t looping = 0;
    int32_t currentStep = 0;
    uint32_t lastStepTick = 0;
    int32_t remainingCycles = 0;
    std::vector<int32_t> stepDurations;

    // Moves on at most one step, timed from this frame's g_animationTick.
    void Update();
};

// The timers to update each frame. It owns its nodes, not the timers.
struct AnimationTimerList {
    std::list<AnimationTimer*> timers;
    bool destroyed = false;

    // Frees the nodes once; later calls do nothing.
    void Destroy();
    ~AnimationTimerList() { Destroy(); }
};

extern AnimationTimerList g_animationTimers;
extern uint32_t g_animationTick;

// One tick reading for the frame, then every listed timer in order.
void UpdateAnimationTimers();
