#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Single-instance guard: a named lock that at most one process of the user
// holds at a time.  The operating system releases it when the holder ends,
// however it ends, so a crashed game never blocks the next start.
//
// The lock lives in a file named after the lock in $XDG_RUNTIME_DIR.  When
// that is not set, or the file cannot be made there (a folder that does not
// exist), it lives in the temporary folder ($TMPDIR, else /tmp) with the user
// id in the name.  The file itself is left in place; only holding it counts.
// A new file is made for the user alone.  Another user can put a file of
// that name in a shared folder first and hold it, so a link, a folder, or a
// file that is not the user's own or that others can write is never taken:
// it counts as a file that cannot be made.
class SysInstanceLock
{
public:
    enum class Result
    {
        Acquired,       // this object holds the lock now
        HeldElsewhere,  // another holder (any process, or another object) has it
        Unavailable     // no lock file of the user's own could be opened or locked: run unguarded
    };

    SysInstanceLock() = default;
    ~SysInstanceLock();
    SysInstanceLock(const SysInstanceLock&) = delete;
    SysInstanceLock& operator=(const SysInstanceLock&) = delete;

    // Takes the lock `name` without waiting, trying its files in order;
    // Unavailable only when none of them can be made or taken.
    Result Acquire(const char* name);
    // The same with the lock file at `path` (tests use their own folder).
    Result AcquireFile(const std::string& path);

    // Gives the lock up; nothing when it is not held.
    void Release();
    bool IsHeld() const;

    // Whether a lock file may be taken: a regular file of `user` that no one
    // else can write.  `mode` holds the file's type and permission bits as
    // the system reports them.
    static bool IsTrustworthyFile(uint32_t owner, uint32_t mode, uint32_t user);

    // The files Acquire(name) tries, in its order.
    static std::vector<std::string> LockPaths(const char* name);

private:
    int descriptor = -1;
};
