#include "core/C_ReplacingFile.h"

#include <cstring>

#include "platform/SysFile.h"

CReplacingFile::CReplacingFile(const char* temporaryPath)
    : m_Path(temporaryPath)
    , m_Handle(SysFile::Open(temporaryPath, SysFile::Mode::Write))
    , m_Failed(m_Handle == SysFile::InvalidHandle)
    , m_Error(m_Failed ? SysFile::LastError() : 0)
{
}

CReplacingFile::~CReplacingFile()
{
    if (m_Handle == SysFile::InvalidHandle)
        return;
    SysFile::Close(m_Handle);
    SysFile::Remove(m_Path);
}

bool CReplacingFile::IsOpen() const
{
    return m_Handle != SysFile::InvalidHandle;
}

void CReplacingFile::Write(const void* data, int size)
{
    if (m_Failed || size <= 0)
        return;
    if (SysFile::Write(m_Handle, data, size) != size)
        Fail();
}

void CReplacingFile::Fail()
{
    if (!m_Failed)
        m_Error = SysFile::LastError();
    m_Failed = true;
}

void CReplacingFile::WriteLine(const char* text)
{
    Write(text, static_cast<int>(std::strlen(text)));
    Write("\r\n", 2);
}

bool CReplacingFile::Commit(const char* targetPath)
{
    if (m_Handle == SysFile::InvalidHandle)
        return false;
    if (!m_Failed && !SysFile::Flush(m_Handle))
        Fail();
    if (!SysFile::Close(m_Handle))
        Fail();
    m_Handle = SysFile::InvalidHandle;
    if (!m_Failed && SysFile::Rename(m_Path, targetPath))
        return true;
    Fail();
    SysFile::Remove(m_Path);
    return false;
}
