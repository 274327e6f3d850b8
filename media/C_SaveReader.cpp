#include "media/C_SaveReader.h"

#include "core/C_LogFile.h"
#include "core/C_String.h"

void CSaveReader::Flag(uint8_t& value)
{
    value = U8();
    if (value > 1)
    {
        Refuse("a flag is neither 0 nor 1");
        value = 0;
    }
}

void CSaveReader::Count(int32_t& value, int32_t lowest, int32_t highest, const char* what)
{
    value = I32();
    if (Failed())
    {
        value = 0;
        return;
    }
    if (!InRange(value, lowest, highest))
    {
        Refuse(what);
        value = 0;
    }
}

bool CSaveReader::Refuse(const char* reason)
{
    if (!m_Stream.HasError() && !m_Reported)
        g_Log.Write(CString(m_Prefix) + reason);
    m_Reported = true;
    m_Stream.SetError();
    return false;
}

void CSaveReader::ReportCutShort()
{
    if (m_Stream.HasError() && !m_Reported)
        g_Log.Write(CString(m_Prefix) + "the record is cut short");
    m_Reported = true;
}
