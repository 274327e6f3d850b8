#include "core/C_File.h"

#include <vector>

#include "platform/SysFile.h"

// The entries of one listing and the next one to hand out.
struct SSearch
{
    std::vector<SysFile::FolderEntry> entries;
    size_t next = 0;
};

namespace
{
constexpr int ErrorPathNotFound = 3;
constexpr uint32_t ExcludableAttributes = CFileFinder::AttrHidden | CFileFinder::AttrSystem |
                                          CFileFinder::AttrVolume | CFileFinder::AttrDirectory;
} // namespace

CFileFinder::CFileFinder()
    : size(0)
    , attributes(0)
    , year(0)
    , month(0)
    , day(0)
    , hour(0)
    , minute(0)
    , m_ExcludeMask(0)
    , m_Search(nullptr)
{
}

CFileFinder::~CFileFinder()
{
    Close();
}

int CFileFinder::FindFirst(const char* pattern, uint32_t wantedAttributes)
{
    Close();
    m_ExcludeMask = ExcludableAttributes & ~wantedAttributes;
    SSearch* search = new SSearch;
    if (!SysFile::ListFolder(pattern, search->entries))
    {
        delete search;
        return ErrorPathNotFound;
    }
    if (search->entries.empty())
    {
        delete search;
        return ErrorFileNotFound;
    }
    m_Search = search;
    return FindMatch();
}

int CFileFinder::FindNext()
{
    if (!m_Search)
        return ErrorNoMoreFiles;
    return FindMatch();
}

int CFileFinder::FindMatch()
{
    while (m_Search->next < m_Search->entries.size())
    {
        const SysFile::FolderEntry& entry = m_Search->entries[m_Search->next++];
        if (entry.attributes & m_ExcludeMask)
            continue;
        size = static_cast<uint32_t>(entry.size);   // the low 32 bits
        attributes = entry.attributes;
        name = entry.name.c_str();
        year = entry.year;
        month = entry.month;
        day = entry.day;
        hour = entry.hour;
        minute = entry.minute;
        return 0;
    }
    return ErrorNoMoreFiles;
}

void CFileFinder::Close()
{
    delete m_Search;
    m_Search = nullptr;
}
