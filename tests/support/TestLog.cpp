#include "tests/support/TestLog.h"

#include <algorithm>

#include "core/C_Config.h"
#include "core/C_LogFile.h"

CTestLog::CTestLog() : m_Path(m_Folder / "test.log"), m_PreviousLogging(g_Config.logging)
{
    g_Config.logging = 1, g_Log.Create(m_Path.c_str());
}

CTestLog::~CTestLog() { g_Config.logging = m_PreviousLogging; }

std::vector<std::string> CTestLog::SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

int CTestLog::Count(const std::string& line) const
{
    const std::vector<std::string> lines = Lines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

void CTestLog::Clear() const { g_Log.Create(m_Path.c_str()); }
