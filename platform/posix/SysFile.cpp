#include "platform/SysFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
thread_local int t_LastError = 0;

int Fail()
{
    t_LastError = errno;
    return -1;
}

int OpenFlags(SysFile::Mode mode)
{
    switch (mode)
    {
    case SysFile::Mode::Read:
        return O_RDONLY;
    case SysFile::Mode::Write:
        return O_WRONLY | O_CREAT | O_TRUNC;
    case SysFile::Mode::Append:
        return O_RDWR;
    }
    return O_RDONLY;
}

int Whence(SysFile::From from)
{
    switch (from)
    {
    case SysFile::From::Begin:
        return SEEK_SET;
    case SysFile::From::Current:
        return SEEK_CUR;
    case SysFile::From::End:
        return SEEK_END;
    }
    return SEEK_SET;
}

constexpr mode_t NewFileMode = 0644;   // narrowed further by the umask

// Whether a file just opened may be used in that mode.  What the game reads
// must be a regular file: a pipe or a device could feed it without end.  A
// written file may be a device (a log sent to a terminal), which then waits
// as a device does: O_NONBLOCK is only for the open.
bool IsUsable(int handle, SysFile::Mode mode)
{
    struct stat info;
    if (::fstat(handle, &info) != 0)
        return Fail(), false;
    if (S_ISDIR(info.st_mode))
    {
        t_LastError = EISDIR;
        return false;
    }
    if (S_ISREG(info.st_mode))
        return true;
    if (mode == SysFile::Mode::Read)
    {
        t_LastError = EINVAL;
        return false;
    }
    const int flags = ::fcntl(handle, F_GETFL);
    return flags >= 0 && ::fcntl(handle, F_SETFL, flags & ~O_NONBLOCK) == 0;
}
} // namespace

int SysFile::Open(const char* path, Mode mode)
{
    if (!path || !*path)
    {
        t_LastError = ENOENT;
        return InvalidHandle;
    }
    const std::string diskPath = ToDiskPath(path);
    // O_NONBLOCK: opening a named pipe would otherwise wait for its other end
    // for ever, deaf to a close request.
    int handle;
    do
        handle = ::open(diskPath.c_str(), OpenFlags(mode) | O_CLOEXEC | O_NONBLOCK, NewFileMode);
    while (handle < 0 && errno == EINTR);
    if (handle < 0)
        return Fail();
    if (!IsUsable(handle, mode))
    {
        ::close(handle);
        return InvalidHandle;
    }
    if (mode == Mode::Append && ::lseek(handle, 0, SEEK_END) < 0)
    {
        Fail();
        ::close(handle);
        return InvalidHandle;
    }
    return handle;
}

int SysFile::Read(int handle, void* buffer, int count)
{
    if (handle < 0 || count < 0)
    {
        t_LastError = EBADF;
        return -1;
    }
    char* out = static_cast<char*>(buffer);
    int done = 0;
    while (done < count)
    {
        const ssize_t got = ::read(handle, out + done, static_cast<size_t>(count - done));
        if (got < 0)
        {
            if (errno == EINTR)
                continue;
            return Fail();
        }
        if (got == 0)
            break;
        done += static_cast<int>(got);
    }
    return done;
}

int SysFile::Write(int handle, const void* buffer, int count)
{
    if (handle < 0 || count < 0)
    {
        t_LastError = EBADF;
        return -1;
    }
    const char* in = static_cast<const char*>(buffer);
    int done = 0;
    while (done < count)
    {
        const ssize_t put = ::write(handle, in + done, static_cast<size_t>(count - done));
        if (put < 0)
        {
            if (errno == EINTR)
                continue;
            return Fail();
        }
        done += static_cast<int>(put);
    }
    return done;
}

int64_t SysFile::Seek(int handle, int64_t offset, From from)
{
    const off_t position = ::lseek(handle, static_cast<off_t>(offset), Whence(from));
    if (position < 0)
        return Fail();
    return static_cast<int64_t>(position);
}

int64_t SysFile::Size(int handle)
{
    struct stat info;
    if (::fstat(handle, &info) != 0)
        return Fail();
    return static_cast<int64_t>(info.st_size);
}

bool SysFile::Flush(int handle)
{
    if (::fsync(handle) != 0)
        return Fail(), false;
    return true;
}

bool SysFile::Close(int handle)
{
    if (handle < 0)
        return false;
    // The descriptor is gone even when close reports an error: never retry.
    if (::close(handle) != 0 && errno != EINTR)
        return Fail(), false;
    return true;
}

int SysFile::LastError()
{
    return t_LastError;
}

bool SysFile::Rename(const char* from, const char* to)
{
    if (!from || !to)
        return false;
    if (std::rename(ToDiskPath(from).c_str(), ToDiskPath(to).c_str()) != 0)
        return Fail(), false;
    return true;
}

bool SysFile::EntryExists(const char* path)
{
    struct stat info;
    return path && *path && ::lstat(ToDiskPath(path).c_str(), &info) == 0;
}

bool SysFile::Remove(const char* path)
{
    if (!path)
        return false;
    if (::unlink(ToDiskPath(path).c_str()) != 0)
        return Fail(), false;
    return true;
}
