#include "core/C_File.h"

#include <cstring>
#include <limits>

#include "core/C_FileSystem.h"
#include "core/C_LogFile.h"
#include "platform/SysFile.h"

namespace
{
constexpr int LineReadStep = 256;
constexpr int NoLineEnd = -1;
constexpr int LineEndLength = 2;   // CR LF or LF CR

int ClampToInt(int64_t value)
{
    if (value < 0)
        return 0;
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

// Finds the first line end, a CR LF or a LF CR pair, in text[from..size); a
// lone CR or LF is part of the line.  A CR or LF in the last byte cannot be
// judged before the next byte is known: `pending` then holds its index (else
// `size`), where the next look has to start.
int FindLineEnd(const char* text, int size, int from, int& pending)
{
    pending = size;
    for (int i = from; i < size; ++i)
    {
        const char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        if (i + 1 == size)
        {
            pending = i;
            return NoLineEnd;
        }
        const char next = text[i + 1];
        if ((c == '\r' && next == '\n') || (c == '\n' && next == '\r'))
            return i;
    }
    return NoLineEnd;
}
} // namespace

CFile::CFile()
    : m_Handle(-1)
    , m_Reader(nullptr)
    , m_EntryIndex(-1)
    , m_EntryOffset(0)
    , m_EntrySize(0)
{
}

CFile::~CFile()
{
    // An open file would keep its handle and its reader slot for ever.
    Close();
}

bool CFile::OpenOnDisk(const char* path, EDiskMode mode)
{
    static const SysFile::Mode modes[] = {SysFile::Mode::Read, SysFile::Mode::Write, SysFile::Mode::Append};
    Close();
    m_Name = path;
    m_Handle = SysFile::Open(path, modes[static_cast<int>(mode)]);
    return m_Handle != -1;
}

bool CFile::OpenRead(const char* name)
{
    if (!name)
        name = "";
    if (!g_FileSystem.IsDataFileInUse())
    {
        const CString path = g_FileSystem.GetPath() + name;
        if (!OpenOnDisk(path, EDiskMode::Read))
            return false;
        m_Name = name;
        const int slot = FindFreeReader();
        if (slot >= 0)
        {
            m_Reader = g_FileSystem.BindReader(slot, this);
            FillReader();
        }
        return true;
    }

    Close();
    m_Name = name;
    CString key = m_Name.ToUpper();
    NormalizePath(key);
    const int index = g_FileSystem.FindRecord(key);
    if (index < 0)
        return false;
    const SDataFileRecord& record = g_FileSystem.GetDirectory()[index];
    const CString& dataFile = g_FileSystem.GetDataFiles()[record.dataFile];
    m_Handle = SysFile::Open(dataFile, SysFile::Mode::Read);
    if (m_Handle == -1)
        return false;
    m_EntryIndex = index;
    m_EntryOffset = record.offset;
    m_EntrySize = record.size;
    SeekDisk(record.offset);
    g_FileSystem.SeekNotify(record.offset);
    return true;
}

int CFile::FindFreeReader()
{
    for (int slot = 0; slot < CFileSystem::ReaderCount; ++slot)
    {
        if (!g_FileSystem.GetReader(slot).owner)
            return slot;
    }
    return -1;
}

bool CFile::OpenReadDisk(const char* path)
{
    return OpenOnDisk(path, EDiskMode::Read);
}

bool CFile::OpenWrite(const char* path)
{
    return OpenOnDisk(path, EDiskMode::Write);
}

bool CFile::OpenAppend(const char* path)
{
    return OpenOnDisk(path, EDiskMode::Append);
}

void CFile::Close()
{
    // Writes go straight to the system, so a closed file survives the process
    // dying right after; Flush is for files that must survive the machine.
    g_FileSystem.ReleaseReader(m_Reader);
    m_Reader = nullptr;
    if (m_Handle != -1)
        SysFile::Close(m_Handle);
    m_Handle = -1;
    m_EntryIndex = -1;
    m_EntryOffset = 0;
    m_EntrySize = 0;
}

bool CFile::Flush()
{
    return m_Handle != -1 && SysFile::Flush(m_Handle);
}

bool CFile::Exists(const char* name)
{
    if (!name)
        return false;
    CFile file;
    const bool found = SysFile::IsAbsolutePath(name) ? file.OpenReadDisk(name) : file.OpenRead(name);
    file.Close();
    return found;
}

int CFile::Read(void* buffer, int count)
{
    if (m_Handle == -1 || count < 0)
        return -1;
    if (m_EntryIndex >= 0)
        return ReadEntry(buffer, count);
    if (m_Reader)
        return ReadBuffered(buffer, count);
    return SysFile::Read(m_Handle, buffer, count);
}

int CFile::ReadEntry(void* buffer, int count)
{
    // Cut at the entry's end; a position beyond it leaves nothing to read.
    const int64_t position = GetDiskPos() - m_EntryOffset;
    const int64_t remaining = static_cast<int64_t>(m_EntrySize) - position;
    if (remaining <= 0)
        count = 0;
    else if (count > remaining)
        count = static_cast<int>(remaining);
    g_FileSystem.AdvanceSeekTracker(static_cast<uint64_t>(count));
    return count > 0 ? SysFile::Read(m_Handle, buffer, count) : 0;
}

int CFile::ReadBuffered(void* buffer, int count)
{
    uint8_t* out = static_cast<uint8_t*>(buffer);
    int delivered = 0;
    while (delivered < count)
    {
        if (m_Reader->readPos >= m_Reader->filled)
        {
            if (!FillReader())
                return delivered > 0 ? delivered : -1;
            if (m_Reader->filled == 0)
                break;
        }
        int chunk = m_Reader->filled - m_Reader->readPos;
        if (chunk > count - delivered)
            chunk = count - delivered;
        std::memcpy(out + delivered, m_Reader->buffer.get() + m_Reader->readPos, chunk);
        m_Reader->readPos += chunk;
        delivered += chunk;
    }
    return delivered;
}

bool CFile::FillReader()
{
    const int got = SysFile::Read(m_Handle, m_Reader->buffer.get(), SFileReader::BufferSize);
    m_Reader->readPos = 0;
    m_Reader->filled = got > 0 ? got : 0;
    return got >= 0;
}

int CFile::Write(const void* buffer, int count)
{
    if (m_Handle == -1 || count < 0)
        return -1;
    return SysFile::Write(m_Handle, buffer, count);
}

bool CFile::WriteString(const char* text)
{
    const int length = text ? static_cast<int>(std::strlen(text)) : 0;
    return Write(text, length) == length;
}

bool CFile::WriteLine(const char* text)
{
    // One write per line, so that a line is never torn by a failure between
    // its text and its end.
    CString line(text);
    line += "\r\n";
    return WriteString(line);
}

const char* CFile::ReadLine()
{
    int length = 0;
    bool ended = false;
    return ReadLine(length, ended);
}

const char* CFile::ReadLine(int& length, bool& ended)
{
    char* buffer = g_FileSystem.GetLineBuffer();
    buffer[0] = 0;
    length = 0;
    ended = false;
    if (m_Handle == -1)
        return buffer;
    const int start = GetPos();
    const int limit = CFileSystem::LineBufferSize - 1;
    int total = 0;
    int scanFrom = 0;
    bool fileEnded = false;
    for (;;)
    {
        const int wanted = limit - total < LineReadStep ? limit - total : LineReadStep;
        int got = wanted > 0 ? Read(buffer + total, wanted) : 0;
        if (got < 0)
            got = 0;
        total += got;
        fileEnded = got < wanted;
        const int end = FindLineEnd(buffer, total, scanFrom, scanFrom);
        if (end != NoLineEnd)
        {
            buffer[end] = 0;
            length = end;
            ended = true;
            Seek(start + end + LineEndLength);
            return buffer;
        }
        if (fileEnded || total == limit)
            break;
    }
    // No line end: everything read is the line.  A full buffer keeps a CR or
    // LF in its last byte for the next piece, so that a line end is never
    // torn in two.
    length = !fileEnded && scanFrom < total ? scanFrom : total;
    buffer[length] = 0;
    if (length < total)
        Seek(start + length);
    return buffer;
}

int64_t CFile::GetDiskPos() const
{
    return SysFile::Seek(m_Handle, 0, SysFile::From::Current);
}

void CFile::SeekDisk(int64_t position)
{
    SysFile::Seek(m_Handle, position, SysFile::From::Begin);
}

bool CFile::Seek(int position)
{
    if (m_Handle == -1 || position < 0)
        return false;
    const int64_t target = m_EntryIndex >= 0 ? static_cast<int64_t>(m_EntryOffset) + position : position;
    if (m_Reader)
    {
        // A target inside the buffered window needs no new read.
        const int64_t windowEnd = GetDiskPos();
        const int64_t windowStart = windowEnd - m_Reader->filled;
        if (target >= windowStart && target <= windowEnd)
        {
            m_Reader->readPos = static_cast<int>(target - windowStart);
            return true;
        }
    }
    if (SysFile::Seek(m_Handle, target, SysFile::From::Begin) < 0)
        return false;
    if (m_EntryIndex >= 0)
        g_FileSystem.SeekNotify(static_cast<uint64_t>(target));
    if (m_Reader)
        FillReader();
    return true;
}

bool CFile::Skip(int count)
{
    if (m_Handle == -1)
        return false;
    if (m_Reader && count >= 0 && m_Reader->filled - m_Reader->readPos > count)
    {
        m_Reader->readPos += count;
        return true;
    }
    return Seek(GetPos() + count);
}

int CFile::GetSize() const
{
    if (m_Handle == -1)
        return 0;
    if (m_EntryIndex >= 0)
        return static_cast<int>(m_EntrySize);
    return ClampToInt(SysFile::Size(m_Handle));
}

int CFile::GetPos() const
{
    if (m_Handle == -1)
        return 0;
    int64_t position = GetDiskPos();
    if (m_EntryIndex >= 0)
        position -= m_EntryOffset;
    else if (m_Reader)
        position -= m_Reader->filled - m_Reader->readPos;
    return ClampToInt(position);
}

bool CFile::IsEOF() const
{
    if (m_Handle == -1)
        return true;
    return GetPos() >= GetSize();
}

void CFile::NormalizePath(CString& name)
{
    for (int p = name.Find("..\\"); p >= 0; p = name.Find("..\\"))
    {
        if (p == 0)
        {
            // Nothing above the root of the data files.
            DEBUG_REPORT_AT(nullptr, 522);
            return;
        }
        const int q = name.ReverseFind("\\", p - 2);
        if (q >= 0)
            name.Delete(q, p - q + 2);
        else
            name.Delete(0, p + 3);
    }
    for (int p = name.Find(".\\"); p >= 0; p = name.Find(".\\"))
        name.Delete(p, 2);
}
