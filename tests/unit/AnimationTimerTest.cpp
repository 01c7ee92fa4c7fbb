#include "TestSupport.h"

#include "anim/AnimationTimer.h"

#include <gtest/gtest.h>

namespace {

AnimationTimer TwoStepTimer(bool looping) {
    AnimationTimer timer;
    timer.active = 1;
    timer.looping = looping ? 1 : 0;
    timer.stepDurations = {100, 200};
    timer.currentStep = 0;
    timer.lastStepTick = 5000;
    timer.remainingCycles = 1;
    return timer;
}

void UpdateAt(AnimationTimer& timer, uint32_t tick) {
    g_animationTick = tick;
    timer.Update();
}

// What a timer holds after an update at tick.
struct After {
    uint32_t tick;
    int32_t step;
    uint32_t lastStepTick;
    int32_t remainingCycles;
};

void ExpectUpdates(AnimationTimer timer, std::initializer_list<After> updates) {
    for (const After& after : updates) {
        UpdateAt(timer, after.tick);
        EXPECT_EQ(timer.currentStep, after.step) << "at " << after.tick;
        EXPECT_EQ(timer.lastStepTick, after.lastStepTick) << "at " << after.tick;
        EXPECT_EQ(timer.remainingCycles, after.remainingCycles) << "at " << after.tick;
        EXPECT_EQ(timer.active, 1);
    }
}

} // namespace

TEST(AnimationTimer, StepsThroughItsSequenceOnceAndRests) {
    ExpectUpdates(TwoStepTimer(false), {{5099, 0, 5000, 1},
                                        {5100, 1, 5100, 1},
                                        {5299, 1, 5100, 1},
                                        {5300, 0, 5300, 0},
                                        {5400, 0, 5300, 0},
                                        {9000, 0, 5300, 0},
                                        {100000, 0, 5300, 0}});
}

TEST(AnimationTimer, LoopingGoesOnCountingBelowZero) {
    ExpectUpdates(
        TwoStepTimer(true),
        {{5100, 1, 5100, 1}, {5300, 0, 5300, 0}, {5400, 1, 5400, 0}, {5599, 1, 5400, 0}, {5600, 0, 5600, -1}});
}

TEST(AnimationTimer, LateFrameAdvancesOneStepTimedFromNow) {
    ExpectUpdates(TwoStepTimer(false), {{5250, 1, 5250, 1}, {5449, 1, 5250, 1}, {5450, 0, 5450, 0}});
}

TEST(AnimationTimer, ZeroOrNegativeStepAdvancesWhenElapsedIsNotNegative) {
    AnimationTimer timer = TwoStepTimer(true);
    timer.stepDurations = {0, -5};
    // Elapsed -1, then 0, then -4 against a step of -5: the last advances.
    ExpectUpdates(timer, {{4999, 0, 5000, 1}, {5000, 1, 5000, 1}, {4996, 0, 4996, 0}});
}

TEST(AnimationTimer, ElapsedTimeIsRightAcrossTheTickWrap) {
    AnimationTimer timer = TwoStepTimer(false);
    timer.lastStepTick = 0xFFFFFFC0u; // 64 ms before the wrap: 35 is 99 ms later, 36 100 ms
    ExpectUpdates(timer, {{35, 0, 0xFFFFFFC0u, 1}, {36, 1, 36, 1}});
}

TEST(AnimationTimer, IdleTimersNeverChange) {
    AnimationTimer finished = TwoStepTimer(false);
    finished.remainingCycles = 0;
    AnimationTimer inactive = TwoStepTimer(true);
    inactive.active = 0;
    AnimationTimer empty = TwoStepTimer(true);
    empty.stepDurations.clear();
    for (AnimationTimer* timer : {&finished, &inactive, &empty}) {
        UpdateAt(*timer, 900000);
        EXPECT_EQ(timer->currentStep, 0);
        EXPECT_EQ(timer->lastStepTick, 5000u);
    }
}

TEST(AnimationTimer, UpdateAllReadsTheClockOnceForEveryListedTimer) {
    // The last timer is due only at the reading both share.
    AnimationTimer first = TwoStepTimer(false);
    AnimationTimer second = TwoStepTimer(false);
    second.lastStepTick = 5020;
    g_animationTimers.timers.push_back(&first);
    g_animationTimers.timers.push_back(&second);
    ScopedHeadless headless;
    headless.state->tickCount = 5120;
    UpdateAnimationTimers();
    g_animationTimers.timers.clear();
    EXPECT_EQ(g_animationTick, 5120u);
    for (const AnimationTimer* timer : {&first, &second}) {
        EXPECT_EQ(timer->currentStep, 1);
        EXPECT_EQ(timer->lastStepTick, 5120u);
    }
}

TEST(AnimationTimer, TheListGivesItsNodesBackOnlyOnce) {
    AnimationTimer timer = TwoStepTimer(false);
    AnimationTimerList list;
    list.timers.push_back(&timer);
    list.Destroy();
    EXPECT_TRUE(list.timers.empty());
    // A later call returns at once: what is listed now stays listed.
    list.timers.push_back(&timer);
    list.Destroy();
    EXPECT_EQ(list.timers.size(), 1u);
}
