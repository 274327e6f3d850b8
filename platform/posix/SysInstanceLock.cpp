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
    return AcquireFile(DefaultLockPath(name));
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

std::string SysInstanceLock::DefaultLockPath(const char* name)
{
    const char* runtimeFolder = std::getenv("XDG_RUNTIME_DIR");
    if (runtimeFolder != nullptr && runtimeFolder[0] == '/')
        return std::string(runtimeFolder) + "/" + name + ".lock";
    // /tmp is shared by every user: one user's game must not block another's.
    return std::string("/tmp/") + name + "-" + std::to_string(getuid()) + ".lock";
}
