// Runs the real program (WinMain, exit, exit-time destruction of the globals)
// in a child process on the headless screen, in a working directory of its
// own, with the headless state in memory shared with the test, so the test
// can read what happened after the child has gone.
#pragma once

#include "TestSupport.h"

#include "platform/portable/headless/Headless.h"

#include <gtest/gtest.h>

#include <functional>

struct ChildResult {
    bool exited;          // false: killed by a signal or by the time limit
    int exitStatus;       // 0-255, as the shell sees it
    HeadlessState* state; // the child's headless state, valid until the ChildRun goes

    testing::AssertionResult ExitedWith(int status) const;
};

struct ChildRun {
    TempDir dir; // the child's working directory ("ErrLog.txt", sprite files)
    HeadlessState* shared;

    ChildRun();
    ~ChildRun();
    ChildRun(const ChildRun&) = delete;
    ChildRun& operator=(const ChildRun&) = delete;

    // In a child, in dir: reset the headless state, let setup script it,
    // then exit(body()). The child is killed after timeoutSeconds.
    ChildResult Run(const std::function<void(HeadlessState&)>& setup, const std::function<int()>& body,
                    int timeoutSeconds = 30);
};
