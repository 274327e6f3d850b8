#include "platform/SysInstanceLock.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
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
