#include "core/C_FileSystem.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "core/C_Config.h"

namespace
{
void SleepForReal(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
} // namespace

CFileSystem::CFileSystem()
    : m_Sleep(SleepForReal)
    , m_LineBuffer(new char[LineBufferSize])
{
    m_LineBuffer[0] = 0;
    for (SFileReader& reader : m_Readers)
        reader.buffer.reset(new uint8_t[SFileReader::BufferSize]);
}

CFileSystem::~CFileSystem() = default;

int CFileSystem::FindRecord(const char* name) const
{
    for (int i = static_cast<int>(m_Directory.size()) - 1; i >= 0; --i)
    {
        if (std::strcmp(m_Directory[i].name, name) == 0)
            return i;
    }
    return -1;
}

void CFileSystem::Shutdown()
{
    m_Directory.clear();
    m_Directory.shrink_to_fit();
    m_DataFiles.Clear();
    m_Path = "";
    m_DataFileInUse = false;
    m_SeekTracker = 0;
    m_LineBuffer.reset();
}

int CFileSystem::CountHeldStrings() const
{
    return m_DataFiles.GetCount() + static_cast<int>(m_Directory.size());
}

void CFileSystem::SeekNotify(uint64_t target)
{
    if (!m_DataFileInUse || !g_Config.dataFileReadDelay)
        return;
    if (target != m_SeekTracker)
        m_Sleep(SeekDelayMilliseconds);
    m_SeekTracker = target;
}

void CFileSystem::SetSleepFunction(SleepFunction sleep)
{
    m_Sleep = sleep ? sleep : SleepForReal;
}

char* CFileSystem::GetLineBuffer()
{
    // Lines read after the shut-down still get a buffer.
    if (!m_LineBuffer)
        m_LineBuffer.reset(new char[LineBufferSize]);
    return m_LineBuffer.get();
}

SFileReader* CFileSystem::BindReader(int index, CFile* owner)
{
    SFileReader& reader = m_Readers[index];
    reader.owner = owner;
    reader.filled = 0;
    reader.readPos = 0;
    return &reader;
}

void CFileSystem::ReleaseReader(SFileReader* reader)
{
    if (!reader)
        return;
    reader->owner = nullptr;
    reader->filled = 0;
    reader->readPos = 0;
}

int CFileSystem::CountFreeReaders() const
{
    int count = 0;
    for (const SFileReader& reader : m_Readers)
    {
        if (!reader.owner)
            ++count;
    }
    return count;
}
