#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/SysInstanceLock.h"

namespace
{
using Result = SysInstanceLock::Result;

// A child process reports its lock result as exit code 10 + result.
constexpr int kFirstResultCode = 10;

class InstanceLock : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/v2krn-lock-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        folder = pattern;
        lockPath = folder + "/V2KRN.lock";
    }

    void TearDown() override
    {
        unlink(lockPath.c_str());
        rmdir(folder.c_str());
    }

    // Starts a second process that tries the lock once and ends, and returns
    // what it got.
    Result TryInAnotherProcess() const
    {
        const pid_t child = fork();
        if (child == 0)
        {
            SysInstanceLock lock;
            _exit(kFirstResultCode + static_cast<int>(lock.AcquireFile(lockPath)));
        }
        int status = 0;
        EXPECT_EQ(child, waitpid(child, &status, 0));
        EXPECT_TRUE(WIFEXITED(status));
        return static_cast<Result>(WEXITSTATUS(status) - kFirstResultCode);
    }

    std::string folder;
    std::string lockPath;
};
}  // namespace

TEST_F(InstanceLock, ASecondProcessIsRefusedWhileTheFirstHoldsTheLock)
{
    SysInstanceLock first;
    ASSERT_EQ(Result::Acquired, first.AcquireFile(lockPath));
    EXPECT_TRUE(first.IsHeld());
    EXPECT_EQ(Result::HeldElsewhere, TryInAnotherProcess());

    first.Release();
    EXPECT_FALSE(first.IsHeld());
    EXPECT_EQ(Result::Acquired, TryInAnotherProcess());
}

TEST_F(InstanceLock, TheLockEndsWithTheProcessThatHeldIt)
{
    int ready[2];
    ASSERT_EQ(0, pipe(ready));
    const pid_t holder = fork();
    if (holder == 0)
    {
        SysInstanceLock lock;
        const char answer = lock.AcquireFile(lockPath) == Result::Acquired ? 'y' : 'n';
        (void)!write(ready[1], &answer, 1);
        pause();  // holds the lock until it is killed
        _exit(0);
    }
    close(ready[1]);
    char answer = 0;
    ASSERT_EQ(1, read(ready[0], &answer, 1));
    close(ready[0]);
    ASSERT_EQ('y', answer);

    SysInstanceLock second;
    EXPECT_EQ(Result::HeldElsewhere, second.AcquireFile(lockPath));
    // Killed without any chance to let go: the kernel releases the lock.
    kill(holder, SIGKILL);
    int status = 0;
    waitpid(holder, &status, 0);
    EXPECT_EQ(Result::Acquired, second.AcquireFile(lockPath));
}

TEST_F(InstanceLock, ALockFileThatCannotBeMadeLeavesTheGameUnguarded)
{
    SysInstanceLock lock;
    EXPECT_EQ(Result::Unavailable, lock.AcquireFile(folder + "/missing-folder/V2KRN.lock"));
    EXPECT_FALSE(lock.IsHeld());
    // A link planted where the lock file belongs is not followed.
    const std::string target = folder + "/elsewhere";
    ASSERT_EQ(0, symlink(target.c_str(), lockPath.c_str()));
    EXPECT_EQ(Result::Unavailable, lock.AcquireFile(lockPath));
    struct stat info{};
    EXPECT_NE(0, stat(target.c_str(), &info));
}

TEST_F(InstanceLock, LockFileLivesInTheRuntimeFolderOrInTmpPerUser)
{
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedValue = saved != nullptr ? saved : "";

    setenv("XDG_RUNTIME_DIR", "/run/user/1234", 1);
    EXPECT_EQ("/run/user/1234/V2KRN.lock", SysInstanceLock::DefaultLockPath("V2KRN"));
    unsetenv("XDG_RUNTIME_DIR");
    // A relative folder is no safe place for a lock.
    setenv("XDG_RUNTIME_DIR", "relative", 1);
    EXPECT_EQ("/tmp/V2KRN-" + std::to_string(getuid()) + ".lock", SysInstanceLock::DefaultLockPath("V2KRN"));

    if (saved != nullptr)
        setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
}
