#include "core/C_LogFile.h"

#include "core/C_Config.h"
#include "core/C_File.h"

CLogFile::CLogFile() = default;

void CLogFile::Create(const char* path)
{
    if (!g_Config.logging)
        return;
    CFile file;
    if (file.OpenWrite(path))
        file.Close();
    m_Path = path;
}

void CLogFile::Write(const char* text)
{
    if (!g_Config.logging)
        return;
    // Opened and closed per line so that every line survives a crash right
    // after it; a missing file loses the line silently.
    CFile file;
    if (!file.OpenAppend(m_Path))
        return;
    file.WriteLine(text);
    file.Close();
}

void DebugReport(const char* message, int line, const char* sourceFile)
{
    if (message)
        g_Log.Write(message);
    g_Log.Write("#DEBUG: breakpoint reached");
    CString place;
    place.FromInt(line);
    place += " in ";
    place += sourceFile;
    g_Log.Write(place);
}
