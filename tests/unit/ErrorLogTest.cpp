// The error log: one line replacing the file, lines appended, messages kept
// verbatim, and a log that cannot be opened costing only the message.
#include "ChildProcess.h"
#include "TestSupport.h"

#include "display/ErrorLog.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

TEST(ErrorLog, ReplacesAppendsAndKeepsMessagesVerbatim) {
    TempDir dir;
    ScopedWorkingDir cwd(dir.path);
    LogErrorCode("created by an append", 7);
    EXPECT_EQ(ReadFileText(kErrorLog), "created by an append : 7\n");

    LogError("first");
    LogError("100% sure: %s %d %n");
    EXPECT_EQ(ReadFileText(kErrorLog), "100% sure: %s %d %n\n");

    LogErrorCode("Create direct draw faild with err number", static_cast<int32_t>(0x88760050u));
    LogErrorCode("zero", 0);
    EXPECT_EQ(ReadFileText(kErrorLog),
              "100% sure: %s %d %n\nCreate direct draw faild with err number : -2005532592\nzero : 0\n");
}

TEST(ErrorLog, UnopenableFileCostsOnlyTheMessage) {
    TempDir dir;
    ScopedWorkingDir cwd(dir.path);
    // A directory in the file's place cannot be opened for writing, even by root.
    ASSERT_EQ(mkdir(kErrorLog, 0755), 0);
    LogError("lost");
    LogErrorCode("lost too", -1);
    struct stat info;
    ASSERT_EQ(stat(kErrorLog, &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));

    // A read-only working directory binds every user but root, so a child
    // run by root gives root up first (to nobody).
    ChildRun child;
    ASSERT_EQ(chmod(child.dir.path.c_str(), 0555), 0);
    const ChildResult result = child.Run([](HeadlessState&) {},
                                         [] {
                                             if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
                                                 return 2;
                                             }
                                             LogError("lost");
                                             LogErrorCode("lost too", -1);
                                             return 0;
                                         });
    chmod(child.dir.path.c_str(), 0755);
    EXPECT_TRUE(result.ExitedWith(0)) << "2: the child could not give up root";
    EXPECT_FALSE(FileExists(child.dir.File(kErrorLog)));
}
