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

} // namespace

TEST(AnimationTimer, StepsThroughItsSequenceOnceAndRests) {
    AnimationTimer timer = TwoStepTimer(false);
    UpdateAt(timer, 5099);
    EXPECT_EQ(timer.currentStep, 0);
    EXPECT_EQ(timer.lastStepTick, 5000u);
    UpdateAt(timer, 5100);
    EXPECT_EQ(timer.currentStep, 1);
    EXPECT_EQ(timer.lastStepTick, 5100u);
    UpdateAt(timer, 5299);
    EXPECT_EQ(timer.currentStep, 1);
    UpdateAt(timer, 5300);
    EXPECT_EQ(timer.currentStep, 0);
    EXPECT_EQ(timer.remainingCycles, 0);
    EXPECT_EQ(timer.lastStepTick, 5300u);
    for (uint32_t tick : {5400u, 9000u, 100000u}) {
        UpdateAt(timer, tick);
        EXPECT_EQ(timer.currentStep, 0);
        EXPECT_EQ(timer.remainingCycles, 0);
        EXPECT_EQ(timer.lastStepTick, 5300u);
    }
    EXPECT_EQ(timer.active, 1);
}

TEST(AnimationTimer, LoopingGoesOnCountingBelowZero) {
    AnimationTimer timer = TwoStepTimer(true);
    for (uint32_t tick : {5100u, 5300u}) {
        UpdateAt(timer, tick);
    }
    EXPECT_EQ(timer.remainingCycles, 0);
    UpdateAt(timer, 5400);
    EXPECT_EQ(timer.currentStep, 1);
    UpdateAt(timer, 5599);
    EXPECT_EQ(timer.currentStep, 1);
    UpdateAt(timer, 5600);
    EXPECT_EQ(timer.currentStep, 0);
    EXPECT_EQ(timer.remainingCycles, -1);
}

TEST(AnimationTimer, LateFrameAdvancesOneStepTimedFromNow) {
    AnimationTimer timer = TwoStepTimer(false);
    UpdateAt(timer, 5250);
    EXPECT_EQ(timer.currentStep, 1);
    EXPECT_EQ(timer.lastStepTick, 5250u);
    UpdateAt(timer, 5449);
    EXPECT_EQ(timer.currentStep, 1);
    UpdateAt(timer, 5450);
    EXPECT_EQ(timer.currentStep, 0);
}

TEST(AnimationTimer, ZeroOrNegativeStepAdvancesWhenElapsedIsNotNegative) {
    AnimationTimer timer = TwoStepTimer(true);
    timer.stepDurations = {0, -5};
    UpdateAt(timer, 4999); // elapsed -1
    EXPECT_EQ(timer.currentStep, 0);
    UpdateAt(timer, 5000);
    EXPECT_EQ(timer.currentStep, 1);
    UpdateAt(timer, 4996); // elapsed -4 against a step of -5: advances
    EXPECT_EQ(timer.currentStep, 0);
}

TEST(AnimationTimer, ElapsedTimeIsRightAcrossTheTickWrap) {
    AnimationTimer timer = TwoStepTimer(false);
    timer.lastStepTick = 0xFFFFFFC0u; // 64 ms before the wrap
    UpdateAt(timer, 35);              // 99 ms later
    EXPECT_EQ(timer.currentStep, 0);
    UpdateAt(timer, 36); // 100 ms later
    EXPECT_EQ(timer.currentStep, 1);
    EXPECT_EQ(timer.lastStepTick, 36u);
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
