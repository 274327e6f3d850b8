#include "core/C_MemoryBlock.h"

#include <cstring>
#include <limits>
#include <new>
#include <system_error>

#include "core/C_File.h"
#include "core/C_LogFile.h"
#include "platform/SysFile.h"

namespace
{
constexpr int64_t LargestBlock = std::numeric_limits<int>::max();

// An open that failed because nothing is there, as against one that found
// something it may not or cannot open (a folder, a device, no permission).
bool IsMissing(int error)
{
    const std::error_condition condition = std::system_category().default_error_condition(error);
    return condition == std::errc::no_such_file_or_directory || condition == std::errc::not_a_directory;
}

// Opens a name through the data files and else on disk.  On failure `error`
// is the system's error of the first attempt that found something, or of
// the last one when neither did; a name missing from the data files in use
// counts as not found.
bool OpenAnywhere(CFile& file, const char* name, int& error)
{
    if (file.OpenRead(name))
        return true;
    const int first = IsDataFileInUse() ? 0 : SysFile::LastError();
    if (file.OpenReadDisk(name))
        return true;
    const int second = SysFile::LastError();
    error = first != 0 && !IsMissing(first) ? first : second;
    return false;
}
} // namespace

CMemoryBlock::CMemoryBlock(int initialSize)
    : m_Data(nullptr)
    , m_Size(0)
    , m_Capacity(0)
    , m_GrowStep(0)
    , m_Pos(0)
    , m_Error(false)
{
    Init(initialSize);
}

CMemoryBlock::~CMemoryBlock()
{
    Free();
}

void CMemoryBlock::Init(int growStep)
{
    Free();
    m_GrowStep = growStep > 0 ? growStep : DefaultGrowStep;
    m_Data = new uint8_t[m_GrowStep];
    m_Capacity = m_GrowStep;
    m_Size = 0;
    m_Pos = 0;
    m_Error = false;
}

void CMemoryBlock::Free()
{
    delete[] m_Data;
    m_Data = nullptr;
}

bool CMemoryBlock::Reserve(int64_t needed)
{
    // An exact fit grows as well: the capacity always stays above the end.
    if (needed < m_Capacity)
        return true;
    const int64_t step = EffectiveGrowStep();
    const int64_t count = needed - m_Pos;
    int64_t capacity = m_Capacity + (count / step + 1) * step;
    // A position moved far beyond the end needs more than the count alone.
    if (capacity <= needed)
        capacity = (needed / step + 1) * step;
    if (capacity > LargestBlock)
        capacity = LargestBlock;
    if (capacity <= needed)
        return false;
    uint8_t* data = new (std::nothrow) uint8_t[capacity];
    if (!data)
        return false;
    std::memcpy(data, m_Data, m_Size);
    delete[] m_Data;
    m_Data = data;
    m_Capacity = static_cast<int>(capacity);
    return true;
}

int CMemoryBlock::Write(const void* source, int count)
{
    if (!m_Data)
    {
        DEBUG_REPORT_AT("#DEBUG: Memory file wasn't initialized", 29);
        // A fresh buffer, writing on where the block stood.
        const int position = m_Pos;
        Init(DefaultGrowStep);
        m_Pos = position;
    }
    if (count <= 0)
        return m_Pos;
    const int64_t end = static_cast<int64_t>(m_Pos) + count;
    if (!Reserve(end))
    {
        g_Log.Write("#DEBUG: Memory file cannot grow any further");
        m_Error = true;
        return m_Pos;
    }
    if (m_Pos > m_Size)
        std::memset(m_Data + m_Size, 0, m_Pos - m_Size);
    std::memcpy(m_Data + m_Pos, source, count);
    m_Pos += count;
    if (m_Pos > m_Size)
        m_Size = m_Pos;
    return m_Pos;
}

int CMemoryBlock::Read(void* destination, int count)
{
    if (count <= 0)
        return 0;
    if (!m_Data)
    {
        DEBUG_REPORT_AT("#DEBUG: Invalid memory file", 51);
        std::memset(destination, 0, count);
        m_Error = true;
        return 0;
    }
    const int available = m_Pos < m_Size ? m_Size - m_Pos : 0;
    const int copied = count < available ? count : available;
    if (copied > 0)
        std::memcpy(destination, m_Data + m_Pos, copied);
    if (copied < count)
    {
        std::memset(static_cast<uint8_t*>(destination) + copied, 0, count - copied);
        if (!m_Error)
            g_Log.Write("#DEBUG: Read past the end of the memory file");
        m_Error = true;
    }
    const int64_t position = static_cast<int64_t>(m_Pos) + count;
    m_Pos = position > LargestBlock ? static_cast<int>(LargestBlock) : static_cast<int>(position);
    return copied;
}

bool CMemoryBlock::Skip(int count)
{
    const int64_t position = static_cast<int64_t>(m_Pos) + count;
    if (position < 0 || position > LargestBlock)
        return false;
    m_Pos = static_cast<int>(position);
    return true;
}

bool CMemoryBlock::SetPos(int position)
{
    if (position < 0)
        return false;
    m_Pos = position;
    return true;
}

bool CMemoryBlock::SaveToFile(const char* path) const
{
    if (!path || !*path || (m_Size > 0 && !m_Data))
        return false;
    const CString temporary = CString(path) + ".tmp";
    CFile file;
    if (!file.OpenWrite(temporary))
        return false;
    bool written = m_Size == 0 || file.Write(m_Data, m_Size) == m_Size;
    written = file.Flush() && written;
    file.Close();
    if (written && MoveFileReplace(temporary, path))
        return true;
    SysFile::Remove(temporary);
    return false;
}

bool CMemoryBlock::LoadFromFile(const char* name)
{
    CString cause;
    return LoadFromFile(name, LargestBlock, cause) == ELoad::Loaded;
}

CMemoryBlock::ELoad CMemoryBlock::OpenBounded(CFile& file, const char* name, int64_t longestFile, CString& cause)
{
    int error = 0;
    if (!OpenAnywhere(file, name, error))
    {
        if (IsMissing(error))
            return ELoad::Missing;
        cause = std::system_category().message(error).c_str();
        return ELoad::Unreadable;
    }
    // A size beyond what an int holds comes back as the largest int.
    return file.GetSize() > longestFile ? ELoad::TooLong : ELoad::Loaded;
}

CMemoryBlock::ELoad CMemoryBlock::LoadFromFile(const char* name, int64_t longestFile, CString& cause)
{
    CFile file;
    const ELoad opened = OpenBounded(file, name, longestFile, cause);
    if (opened != ELoad::Loaded)
        return opened;
    const int64_t size = file.GetSize();
    const int64_t step = EffectiveGrowStep();
    const int64_t capacity = (size / step + 1) * step;
    if (capacity > LargestBlock)
        return ELoad::TooLong;
    uint8_t* data = new (std::nothrow) uint8_t[capacity];
    if (!data)
    {
        cause = "out of memory";
        return ELoad::Unreadable;
    }
    const int got = file.Read(data, static_cast<int>(size));
    if (got < 0)
    {
        cause = std::system_category().message(SysFile::LastError()).c_str();
        delete[] data;
        return ELoad::Unreadable;
    }
    delete[] m_Data;
    m_Data = data;
    m_Size = got;
    m_Capacity = static_cast<int>(capacity);
    m_GrowStep = static_cast<int>(step);
    m_Pos = 0;
    m_Error = false;
    return ELoad::Loaded;
}
