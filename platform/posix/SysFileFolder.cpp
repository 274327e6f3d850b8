// Folder listings with the wildcard rules of the game's file finder.

#include "platform/SysFile.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
char FoldCase(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool Match(const char* name, const char* pattern)
{
    // Iterative '*' matching with one back-track point.
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name)
    {
        if (*pattern == '*')
        {
            starPattern = ++pattern;
            starName = name;
        }
        else if (*pattern == '?' || (*pattern && FoldCase(*pattern) == FoldCase(*name)))
        {
            ++pattern;
            ++name;
        }
        else if (starPattern)
        {
            pattern = starPattern;
            name = ++starName;
        }
        else
        {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == 0;
}

uint32_t AttributesOf(const std::string& name, const std::string& diskPath, const struct stat& info)
{
    uint32_t attributes = 0;
    if (S_ISDIR(info.st_mode))
        attributes |= SysFile::AttrDirectory;
    if (name[0] == '.' && name != "." && name != "..")
        attributes |= SysFile::AttrHidden;
    if (::access(diskPath.c_str(), W_OK) != 0)
        attributes |= SysFile::AttrReadOnly;
    return attributes;
}

void FillTime(time_t when, SysFile::FolderEntry& entry)
{
    struct tm local;
    if (!::localtime_r(&when, &local))
        return;
    entry.year = local.tm_year + 1900;
    entry.month = local.tm_mon + 1;
    entry.day = local.tm_mday;
    entry.hour = local.tm_hour;
    entry.minute = local.tm_min;
}
} // namespace

bool SysFile::MatchesWildcard(const char* name, const char* pattern)
{
    if (!name || !pattern)
        return false;
    // "*.*" means every name, also those without a dot.
    if (std::strcmp(pattern, "*.*") == 0)
        return true;
    return Match(name, pattern);
}

bool SysFile::ListFolder(const char* pattern, std::vector<FolderEntry>& entries)
{
    entries.clear();
    if (!pattern)
        return false;
    std::string text(pattern);
    std::replace(text.begin(), text.end(), '\\', '/');
    const size_t slash = text.rfind('/');
    const std::string folderPart = slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
    const std::string namePattern = slash == std::string::npos ? text : text.substr(slash + 1);

    std::string folder = folderPart.empty() ? std::string() : ToDiskPath(folderPart.c_str());
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return false;
    while (const dirent* found = ::readdir(dir))
    {
        const std::string name = found->d_name;
        if (!MatchesWildcard(name.c_str(), namePattern.c_str()))
            continue;
        const std::string diskPath = folder + name;
        struct stat info;
        if (::stat(diskPath.c_str(), &info) != 0)
            continue;   // a dangling link or an entry removed meanwhile
        FolderEntry entry;
        entry.name = name;
        entry.attributes = AttributesOf(name, diskPath, info);
        entry.size = S_ISDIR(info.st_mode) ? 0 : static_cast<uint64_t>(info.st_size);
        FillTime(info.st_mtime, entry);
        entries.push_back(entry);
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return true;
}
