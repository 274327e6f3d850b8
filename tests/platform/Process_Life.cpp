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
        if (const char* old = std::getenv(name)) m_Old = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~CEnvironmentValue() { m_Old ? setenv(m_Name, m_Old->c_str(), 1) : unsetenv(m_Name); }

private:
    const char* m_Name;
    std::optional<std::string> m_Old;
};
}  // namespace

// The lock file goes to the runtime folder, else to the temporary folder with the user id in its name; a second
// holder is refused wherever the first one's lock lies, and only when neither folder gives a lock file does the game
// run unguarded.  A file found there (its mode, 0 for none, and owner) may be planted by another user who holds it: it
// is taken only when it is a regular file of the user's own that no one else can write, and is left as it was.  A new
// one is the user's alone whatever the umask.  Without root, the decision on owner and mode stands for another's file.
TEST(SysInstanceLock, AMissingRuntimeFolderFallsBackToTheTemporaryFolderAndOnlyAnOwnPrivateFileIsTaken)
{
    using Result = SysInstanceLock::Result;
    const Result A = Result::Acquired, H = Result::HeldElsewhere, U = Result::Unavailable;
    CScratchFolder folder;
    folder.MakeFolder("run"), folder.MakeFolder("tmp");
    const std::string run = folder / "run", tmp = folder / "tmp", missing = folder / "missing";
    const std::string inTemporary = "tmp/TESTLOCK-" + std::to_string(getuid()) + ".lock";
    const uid_t user = geteuid();
    const char *r = run.c_str(), *t = tmp.c_str(), *m = missing.c_str(), *inT = inTemporary.c_str();
    const struct { const char* runtime; const char* temporary; mode_t found; uid_t owner; Result first, second;
                   const char* file; } cases[] = {
        {r, t, 0, user, A, H, "run/TESTLOCK.lock"}, {m, t, 0, user, A, H, inT}, {nullptr, t, 0, user, A, H, inT},
        {"run", t, 0, user, A, H, inT},   // not absolute
        {m, m, 0, user, U, U, nullptr},   {m, t, S_IFREG | 0600, user, A, H, inT},
        {m, t, S_IFREG | 0644, user, A, H, inT},     {m, t, S_IFREG | 0666, user, U, U, inT},
        {m, t, S_IFREG | 0620, user, U, U, inT},     {m, t, S_IFREG | 0600, user + 1, U, U, inT},
        {m, t, S_IFLNK | 0777, user, U, U, inT},     {m, t, S_IFDIR | 0700, user, U, U, inT},
    };
    const mode_t mask = umask(0);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << (c.runtime ? c.runtime : "(unset)") << " " << c.temporary << " "
                                        << std::oct << c.found << std::dec << " of " << c.owner);
        const CEnvironmentValue runtime("XDG_RUNTIME_DIR", c.runtime), temporary("TMPDIR", c.temporary);
        const std::string path = folder / inTemporary;
        EXPECT_TRUE(!c.found || (c.first == A) == SysInstanceLock::IsTrustworthyFile(c.owner, c.found, user));
        const int made = S_ISLNK(c.found)   ? symlink(folder.Write("own.lock", "").c_str(), path.c_str())
                         : S_ISDIR(c.found) ? mkdir(path.c_str(), 0700)
                         : c.found          ? chmod(folder.Write(inTemporary, "").c_str(), c.found & 07777) : 0;
        ASSERT_EQ(0, made);
        if (c.owner != user && chown(path.c_str(), c.owner, gid_t(-1)) != 0) continue;
        struct stat before{}, after{};
        lstat(path.c_str(), &before);
        SysInstanceLock first, second;
        EXPECT_TRUE(c.first == first.Acquire("TESTLOCK") && c.second == second.Acquire("TESTLOCK"));
        EXPECT_TRUE(first.IsHeld() == (c.first == A) && !second.IsHeld());
        EXPECT_TRUE(!c.file || (lstat((folder / c.file).c_str(), &after) == 0 && after.st_uid == c.owner &&
                                after.st_mode == (c.found ? c.found : S_IFREG | 0600) &&
                                (!c.found || after.st_ino == before.st_ino)));
        first.Release();
        EXPECT_TRUE(!first.IsHeld() && c.first == second.Acquire("TESTLOCK"));   // free again once given up
        std::filesystem::remove_all(folder / "run/TESTLOCK.lock"), std::filesystem::remove_all(path);
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
                          if (!SysCloseSignals::TakeRequest() || SysCloseSignals::TakeRequest()) return 1;
                      }
                      return 0;
                  }));
        for (const bool onlyEnding : {false, true})
            EXPECT_EQ(128 + signal, child_test::RunInChild([signal, onlyEnding] {
                          SysCloseSignals::Install();
                          if (onlyEnding) SysCloseSignals::EndProcessOnSignal();
                          else raise(signal);
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
            if (guarded) guard.emplace();
            // The box tells its pid once it runs, that is once the fork has tied it to the game: a game
            // killed before that would end the box by another path.
            if (fork() == 0)
            {
                const pid_t self = getpid();
                (void)!write(pipeEnds[1], &self, sizeof self);
                for (;;) pause();
            }
            guard.reset();
            for (;;) pause();
        }
        pid_t box = -1;
        ASSERT_EQ(ssize_t(sizeof box), read(pipeEnds[0], &box, sizeof box));
        close(pipeEnds[0]), close(pipeEnds[1]), kill(game, SIGKILL);
        int status = 0;
        ASSERT_EQ(game, waitpid(game, &status, 0));
        if (!guarded) kill(box, SIGTERM);
        // Bounded: a box that outlives the game must not hold the test up.
        for (int polls = 0; waitpid(box, &status, WNOHANG) == 0; ++polls)
        {
            if (polls == 1000) kill(box, SIGTERM);
            usleep(10000);
        }
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == (guarded ? SIGKILL : SIGTERM)) << status;
    }
}
