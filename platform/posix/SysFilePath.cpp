// Mapping of the game's Windows-style paths to the disk, and the executable
// folder.

#include "platform/SysFile.h"

#include <cerrno>
#include <dirent.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char FoldCase(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualIgnoringCase(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
    {
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    }
    return i == a.size() && b[i] == 0;
}

bool ExistsOnDisk(const std::string& path)
{
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

// Separators turned to '/', a drive dropped, "\\" (and any run of
// separators) read as one.
std::string Normalise(const char* path)
{
    std::string text(path);
    for (char& c : text)
    {
        if (c == '\\')
            c = '/';
    }
    if (text.size() >= 2 && IsDriveLetter(text[0]) && text[1] == ':')
        text.erase(0, 2);
    std::string result;
    result.reserve(text.size());
    for (char c : text)
    {
        if (c == '/' && !result.empty() && result.back() == '/')
            continue;
        result += c;
    }
    return result;
}

// The entry of `folder` whose name equals `name` ignoring case; the
// alphabetically first one when several do, "" when none does.
std::string FindEntryIgnoringCase(const std::string& folder, const std::string& name)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return std::string();
    std::string best;
    while (const dirent* entry = ::readdir(dir))
    {
        if (EqualIgnoringCase(name, entry->d_name) && (best.empty() || best > entry->d_name))
            best = entry->d_name;
    }
    ::closedir(dir);
    return best;
}

// Walks the components, replacing each that does not exist by its
// case-insensitive match; from the first unmatched one on the rest is kept.
std::string ResolveComponents(const std::string& path)
{
    std::string resolved = path[0] == '/' ? "/" : "";
    size_t start = resolved.size();
    while (start < path.size())
    {
        size_t end = path.find('/', start);
        const bool last = end == std::string::npos;
        if (last)
            end = path.size();
        const std::string component = path.substr(start, end - start);
        std::string candidate = resolved + component;
        if (component != "." && component != ".." && !ExistsOnDisk(candidate))
        {
            const std::string match = FindEntryIgnoringCase(resolved, component);
            if (match.empty())
                return candidate + path.substr(end);
            candidate = resolved + match;
        }
        resolved = candidate;
        if (!last)
            resolved += '/';
        start = end + 1;
    }
    return resolved;
}

// Far more links than any real chain; beyond it the links go round.
constexpr int kMostLinksFollowed = 40;

// The text a symbolic link holds; false when `path` is no link.
bool ReadLink(const std::string& path, std::string& destination)
{
    std::string buffer(256, '\0');
    for (;;)
    {
        const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (length < 0)
            return false;
        if (static_cast<size_t>(length) < buffer.size())
        {
            destination.assign(buffer.data(), static_cast<size_t>(length));
            return true;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::mutex g_FolderLock;
std::string g_ExecutableFolder;
bool g_ExecutableFolderKnown = false;

std::string ReadExecutableFolder()
{
    std::string executable;
    const std::string folder = ReadLink("/proc/self/exe", executable) ? FolderOf(executable) : std::string();
    return folder.empty() ? std::string("./") : folder;
}
} // namespace

bool SysFile::IsAbsolutePath(const char* path)
{
    if (!path)
        return false;
    if (path[0] == '/')
        return true;
    if (path[0] == '\\' && path[1] == '\\')
        return true;
    return IsDriveLetter(path[0]) && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

std::string SysFile::ToDiskPath(const char* path)
{
    if (!path || !*path)
        return std::string();
    const std::string normal = Normalise(path);
    if (normal.empty() || ExistsOnDisk(normal))
        return normal;
    return ResolveComponents(normal);
}

bool SysFile::FindReplacementTarget(const char* path, std::string& target)
{
    target = ToDiskPath(path);
    if (target.empty())
        return false;
    std::string destination;
    for (int links = 0; ReadLink(target, destination); ++links)
    {
        if (links == kMostLinksFollowed)
            return false;
        target = destination[0] == '/' ? destination : FolderOf(target) + destination;
    }
    struct stat info;
    if (::lstat(target.c_str(), &info) != 0)
        return errno == ENOENT;
    return S_ISREG(info.st_mode);
}

const std::string& SysFile::ExecutableFolder()
{
    std::lock_guard<std::mutex> lock(g_FolderLock);
    if (!g_ExecutableFolderKnown)
    {
        g_ExecutableFolder = ReadExecutableFolder();
        g_ExecutableFolderKnown = true;
    }
    return g_ExecutableFolder;
}

void SysFile::SetExecutableFolderForTests(const char* folder)
{
    std::lock_guard<std::mutex> lock(g_FolderLock);
    if (!folder)
    {
        g_ExecutableFolderKnown = false;
        return;
    }
    g_ExecutableFolder = folder;
    if (g_ExecutableFolder.empty() || g_ExecutableFolder.back() != '/')
        g_ExecutableFolder += '/';
    g_ExecutableFolderKnown = true;
}
