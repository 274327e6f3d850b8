#include "platform/SysInstanceLock.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr mode_t kOwnerOnly = 0600;

int OpenLockFile(const std::string& path)
{
    // O_NOFOLLOW: in a shared folder like /tmp a planted link must not make
    // us create or lock some other file.
    int fd;
    do
        fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kOwnerOnly);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool IsAbsoluteFolder(const char* folder)
{
    return folder != nullptr && folder[0] == '/';
}

// The open file is the user's own lock file, made by a game of this user;
// anything else in a shared folder may have been planted to block the game.
bool IsOpenFileTrustworthy(int fd)
{
    struct stat info;
    return fstat(fd, &info) == 0 && SysInstanceLock::IsTrustworthyFile(info.st_uid, info.st_mode, geteuid());
}

int LockWithoutWaiting(int fd)
{
    int result;
    do
        result = flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    return result;
}
}  // namespace

SysInstanceLock::~SysInstanceLock()
{
    Release();
}

SysInstanceLock::Result SysInstanceLock::Acquire(const char* name)
{
    for (const std::string& path : LockPaths(name))
    {
        const Result result = AcquireFile(path);
        if (result != Result::Unavailable)
            return result;
    }
    return Result::Unavailable;
}

SysInstanceLock::Result SysInstanceLock::AcquireFile(const std::string& path)
{
    if (descriptor >= 0)
        return Result::Acquired;
    const int fd = OpenLockFile(path);
    if (fd < 0)
        return Result::Unavailable;
    if (!IsOpenFileTrustworthy(fd))
    {
        close(fd);
        return Result::Unavailable;
    }
    if (LockWithoutWaiting(fd) != 0)
    {
        const bool heldElsewhere = errno == EWOULDBLOCK;
        close(fd);
        return heldElsewhere ? Result::HeldElsewhere : Result::Unavailable;
    }
    descriptor = fd;
    return Result::Acquired;
}

void SysInstanceLock::Release()
{
    if (descriptor < 0)
        return;
    flock(descriptor, LOCK_UN);
    close(descriptor);
    descriptor = -1;
}

bool SysInstanceLock::IsTrustworthyFile(uint32_t owner, uint32_t mode, uint32_t user)
{
    return S_ISREG(mode) && owner == user && (mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool SysInstanceLock::IsHeld() const
{
    return descriptor >= 0;
}

std::vector<std::string> SysInstanceLock::LockPaths(const char* name)
{
    std::vector<std::string> paths;
    const char* runtimeFolder = std::getenv("XDG_RUNTIME_DIR");
    if (IsAbsoluteFolder(runtimeFolder))
        paths.push_back(std::string(runtimeFolder) + "/" + name + ".lock");
    // The temporary folder is shared by every user: one user's game must not
    // block another's.
    const char* temporaryFolder = std::getenv("TMPDIR");
    if (!IsAbsoluteFolder(temporaryFolder))
        temporaryFolder = "/tmp";
    paths.push_back(std::string(temporaryFolder) + "/" + name + "-" + std::to_string(getuid()) + ".lock");
    return paths;
}
