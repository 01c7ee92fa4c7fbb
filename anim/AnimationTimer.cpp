#include "anim/AnimationTimer.h"

uint32_t g_animationTick = 0;

void AnimationTimer::Update() {
    if (!active || stepDurations.empty() || (remainingCycles <= 0 && !looping)) {
        return;
    }
    // Unsigned difference read as signed: right across the tick counter's wrap.
    const int32_t elapsed = static_cast<int32_t>(g_animationTick - lastStepTick);
    if (elapsed < stepDurations[static_cast<size_t>(currentStep)]) {
        return;
    }
    // The next step is timed from now, so a late frame's delay is not carried over.
    lastStepTick = g_animationTick;
    currentStep++;
    if (static_cast<size_t>(currentStep) >= stepDurations.size()) {
        currentStep = 0;
        // A looping timer goes on counting below zero; wrap rather than overflow.
        remainingCycles = static_cast<int32_t>(static_cast<uint32_t>(remainingCycles) - 1u);
    }
}

void AnimationTimerList::Destroy() {
    if (destroyed) {
        return;
    }
    destroyed = true;
    timers.clear();
}

void UpdateAnimationTimers() {
    g_animationTick = GetTickCount();
    for (AnimationTimer* timer : g_animationTimers.timers) {
        timer->Update();
    }
}
