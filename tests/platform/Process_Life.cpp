#include <gtest/gtest.h>

#include <sys/prctl.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/SysCloseSignals.h"
#include "platform/SysForkGuard.h"
#include "platform/SysInstanceLock.h"
#include "tests/platform/Child_Process.h"
#include "tests/support/ScratchFolder.h"

namespace
{
// Sets an environment variable (null: unsets it) for the life of the object.
class CEnvironmentValue
{
public:
    CEnvironmentValue(const char* name, const char* value) : m_Name(name)
    {
        if (const char* old = std::getenv(name))
            m_Old = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~CEnvironmentValue() { m_Old ? setenv(m_Name, m_Old->c_str(), 1) : unsetenv(m_Name); }

private:
    const char* m_Name;
    std::optional<std::string> m_Old;
};
}  // namespace

// The lock file goes to the runtime folder, else to the temporary folder with the user id in its name;
// a second holder is refused wherever the first one's lock lies, and only when neither folder can hold
// the file does the game run unguarded.
TEST(SysInstanceLock, AMissingRuntimeFolderFallsBackToTheTemporaryFolderAndOnlyNoFolderAtAllLeavesItUnguarded)
{
    using Result = SysInstanceLock::Result;
    CScratchFolder folder;
    folder.MakeFolder("run");
    folder.MakeFolder("tmp");
    const std::string run = folder / "run", tmp = folder / "tmp", missing = folder / "missing";
    const std::string inTemporary = "tmp/TESTLOCK-" + std::to_string(getuid()) + ".lock";
    const struct { const char* runtime; const char* temporary; Result first, second; const char* file; } cases[] = {
        {run.c_str(), tmp.c_str(), Result::Acquired, Result::HeldElsewhere, "run/TESTLOCK.lock"},
        {missing.c_str(), tmp.c_str(), Result::Acquired, Result::HeldElsewhere, inTemporary.c_str()},
        {nullptr, tmp.c_str(), Result::Acquired, Result::HeldElsewhere, inTemporary.c_str()},
        {"run", tmp.c_str(), Result::Acquired, Result::HeldElsewhere, inTemporary.c_str()},   // not absolute
        {missing.c_str(), missing.c_str(), Result::Unavailable, Result::Unavailable, nullptr},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.runtime ? c.runtime : "(unset)") + " " + c.temporary);
        const CEnvironmentValue runtime("XDG_RUNTIME_DIR", c.runtime);
        const CEnvironmentValue temporary("TMPDIR", c.temporary);
        SysInstanceLock first, second;
        EXPECT_TRUE(c.first == first.Acquire("TESTLOCK") && c.second == second.Acquire("TESTLOCK"));
        EXPECT_TRUE(first.IsHeld() == (c.first == Result::Acquired) && !second.IsHeld());
        EXPECT_TRUE(!c.file || CScratchFolder::Exists(folder / c.file));
        first.Release();
        EXPECT_EQ(c.first, second.Acquire("TESTLOCK"));   // free again once given up
        std::remove((folder / "run/TESTLOCK.lock").c_str());
        std::remove((folder / inTemporary).c_str());
    }
}

// Another user may plant the lock file in a shared folder and hold it: only a regular file of the user's own that no
// one else can write is taken, what stands there stays as it was, and a new one (mode 0) is the user's alone whatever
// the umask.  Without root, the decision on owner and mode stands for another user's file.
TEST(SysInstanceLock, OnlyARegularFileOfTheUserThatNoOneElseCanWriteIsTaken)
{
    CScratchFolder folder;
    const std::string path = folder / "V2KRN.lock";
    const uid_t user = geteuid();
    const struct { mode_t mode; uid_t owner; bool taken; } cases[] = {
        {S_IFREG | 0600, user, true},  {S_IFREG | 0644, user, true},      {S_IFREG | 0666, user, false},
        {S_IFREG | 0620, user, false}, {S_IFREG | 0600, user + 1, false}, {S_IFLNK | 0777, user, false},
        {S_IFDIR | 0700, user, false}, {0, user, true}};
    const mode_t mask = umask(0);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << std::oct << c.mode << std::dec << " of " << c.owner);
        EXPECT_TRUE(!c.mode || c.taken == SysInstanceLock::IsTrustworthyFile(c.owner, c.mode, user));
        std::filesystem::remove_all(path);
        const int made = S_ISLNK(c.mode)   ? symlink(folder.Write("own.lock", "").c_str(), path.c_str())
                         : S_ISDIR(c.mode) ? mkdir(path.c_str(), 0700)
                         : c.mode          ? chmod(folder.Write("V2KRN.lock", "").c_str(), c.mode & 07777) : 0;
        ASSERT_EQ(0, made);
        if (c.owner != user && chown(path.c_str(), c.owner, gid_t(-1)) != 0)
            continue;
        struct stat before{}, after{};
        lstat(path.c_str(), &before);
        SysInstanceLock lock;
        EXPECT_EQ(c.taken ? SysInstanceLock::Result::Acquired : SysInstanceLock::Result::Unavailable,
                  lock.AcquireFile(path));
        EXPECT_TRUE(lstat(path.c_str(), &after) == 0 && after.st_mode == (c.mode ? c.mode : S_IFREG | 0600) &&
                    after.st_uid == c.owner && (!c.mode || after.st_ino == before.st_ino));
    }
    umask(mask);
}

// A close signal is a request that the game takes when it can; a second one before that ends it, and
// once the game only ends, the first one does.
TEST(SysCloseSignals, EachSignalIsARequestUntilTheGameOnlyEndsThenTheFirstEndsIt)
{
    for (const int signal : {SIGINT, SIGTERM})
    {
        SCOPED_TRACE(signal);
        EXPECT_EQ(0, child_test::RunInChild([signal] {
                      SysCloseSignals::Install();
                      for (int i = 0; i < 3; ++i)
                      {
                          raise(signal);
                          if (!SysCloseSignals::TakeRequest() || SysCloseSignals::TakeRequest())
                              return 1;
                      }
                      return 0;
                  }));
        for (const bool onlyEnding : {false, true})
            EXPECT_EQ(128 + signal, child_test::RunInChild([signal, onlyEnding] {
                          SysCloseSignals::Install();
                          if (onlyEnding)
                              SysCloseSignals::EndProcessOnSignal();
                          else
                              raise(signal);
                          raise(signal);
                          return 0;
                      })) << onlyEnding;
    }
}

// A stand-in for the game forks a child that waits for ever, as a message box shown from a child process does, and is
// then killed.  The orphan comes to this test process (a subreaper), which learns how it ended: with the guard, by
// the SIGKILL that the game's end sends it; without, it still waits and only the test's own SIGTERM ends it.
TEST(SysForkGuard, AChildForkedUnderTheGuardEndsWithTheGameOneForkedWithoutOutlivesIt)
{
    ASSERT_EQ(0, prctl(PR_SET_CHILD_SUBREAPER, 1));
    for (const bool guarded : {true, false})
    {
        SCOPED_TRACE(guarded);
        int pipeEnds[2];
        ASSERT_EQ(0, pipe(pipeEnds));
        const pid_t game = fork();
        if (game == 0)
        {
            std::optional<SysForkGuard> guard;
            if (guarded)
                guard.emplace();
            const pid_t box = fork();
            if (box == 0)
                for (;;)
                    pause();
            guard.reset();
            (void)!write(pipeEnds[1], &box, sizeof box);
            for (;;)
                pause();
        }
        pid_t box = -1;
        ASSERT_EQ(ssize_t(sizeof box), read(pipeEnds[0], &box, sizeof box));
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        kill(game, SIGKILL);
        int status = 0;
        ASSERT_EQ(game, waitpid(game, &status, 0));
        if (!guarded)
            kill(box, SIGTERM);
        // Bounded: a box that outlives the game must not hold the test up.
        for (int polls = 0; waitpid(box, &status, WNOHANG) == 0; ++polls)
        {
            if (polls == 1000)
                kill(box, SIGTERM);
            usleep(10000);
        }
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == (guarded ? SIGKILL : SIGTERM)) << status;
    }
}
