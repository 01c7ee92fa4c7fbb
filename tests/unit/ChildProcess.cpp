#include "ChildProcess.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

testing::AssertionResult ChildResult::ExitedWith(int status) const {
    if (!exited) {
        return testing::AssertionFailure() << "the child was killed (a signal or the time limit)";
    }
    if (exitStatus != status) {
        return testing::AssertionFailure() << "the child exited " << exitStatus << ", not " << status;
    }
    return testing::AssertionSuccess();
}

ChildRun::ChildRun() {
    void* memory = mmap(nullptr, sizeof(HeadlessState), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    shared = memory == MAP_FAILED ? nullptr : static_cast<HeadlessState*>(memory);
}

ChildRun::~ChildRun() {
    if (shared != nullptr) {
        munmap(shared, sizeof(HeadlessState));
    }
}

ChildResult ChildRun::Run(const std::function<void(HeadlessState&)>& setup, const std::function<int()>& body,
                          int timeoutSeconds) {
    ChildResult result = {false, -1, shared};
    if (shared == nullptr) {
        return result;
    }
    std::fflush(nullptr); // nothing buffered may be written twice
    const pid_t pid = fork();
    if (pid < 0) {
        return result;
    }
    if (pid == 0) {
        alarm(static_cast<unsigned>(timeoutSeconds));
        if (chdir(dir.path.c_str()) != 0) {
            std::_Exit(127);
        }
        HeadlessReset(shared);
        setup(*shared);
        std::exit(body());
    }
    int status = 0;
    if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        result.exited = true;
        result.exitStatus = WEXITSTATUS(status);
    }
    return result;
}
