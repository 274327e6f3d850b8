#pragma once

#include <gtest/gtest.h>

#include "core/C_Config.h"
#include "core/C_File.h"
#include "platform/SysFile.h"
#include "world/C_Player.h"
#include "tests/support/StringTexts.h"
#include "tests/support/TestLog.h"

using Lines = std::vector<std::string>;

inline Lines Breakpoint(int line, const std::string& file, const std::string& message = "")
{
    Lines lines = {"#DEBUG: breakpoint reached", std::to_string(line) + " in " + file};
    if (!message.empty())
        lines.insert(lines.begin(), message);
    return lines;
}

// A file read whole through the game's file layer, "<missing>" or "<short>" when it cannot be.
inline std::string ReadEntry(const char* name)
{
    CFile file;
    if (!file.OpenRead(name))
        return "<missing>";
    std::string body(file.GetSize(), '\0');
    const int got = file.Read(body.data(), file.GetSize());
    file.Close();
    return got == static_cast<int>(body.size()) ? body : "<short>";
}

class ConfigTestBase : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_SavedConfig = g_Config;
        m_SavedLocalPlayer = g_LocalPlayer;
        SysFile::SetExecutableFolderForTests(m_Folder.Path().c_str());
        InitDataFile(m_Folder.Path().c_str(), 0);
    }
    void TearDown() override
    {
        g_Config = m_SavedConfig;
        g_LocalPlayer = m_SavedLocalPlayer;
        SysFile::SetExecutableFolderForTests(nullptr);
        InitDataFile("", 0);
    }

    void Write(const std::string& name, const std::string& bytes) const { m_Folder.Write(name, bytes); }
    std::string Read(const std::string& name) const { return CScratchFolder::ReadFile(m_Folder / name); }
    bool Exists(const std::string& name) const { return CScratchFolder::Exists(m_Folder / name); }
    Lines LogLines() const { return m_Log.Lines(); }

    CScratchFolder m_Folder;
    CTestLog m_Log;

private:
    CConfig m_SavedConfig;
    int32_t m_SavedLocalPlayer = 0;
};
