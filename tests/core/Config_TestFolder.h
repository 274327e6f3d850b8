#pragma once
// Fixture of the configuration, locale and global-function tests: a scratch
// folder that stands in for the executable folder and for the disk prefix of
// the data files, a captured log, and the global configuration put back after
// each test.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/C_Config.h"
#include "core/C_File.h"
#include "platform/SysFile.h"
#include "world/C_Player.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestLog.h"

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
    std::vector<std::string> LogLines() const { return m_Log.Lines(); }

    CScratchFolder m_Folder;
    CTestLog m_Log;

private:
    CConfig m_SavedConfig;
    int32_t m_SavedLocalPlayer = 0;
};
