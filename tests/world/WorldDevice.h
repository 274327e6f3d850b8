#pragma once
// Tests whose map owns textures, on the media tests' drawing device; the local player of eight sees all.

#include <memory>

#include "WorldTestSupport.h"
#include "tests/media/GUIDevice.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

class WorldDeviceTest : public gui_test::GUIDevice
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(OpenDevice(64, 64, g_Config.screenWidth, g_Config.screenHeight));
        m_Data = std::make_unique<DiskDataFiles>(m_Folder), m_Log = std::make_unique<CTestLog>();
        m_Saved = std::make_unique<CConfig>(g_Config);
        g_Config.logging = 1, g_Config.fogOfWar = 0;
        g_Config.terrainTextureDetail = g_Config.buildingShadows = g_Config.visibilityMode = 2;
        m_Players = std::make_unique<CPlayer[]>(MaxPlayers);
        for (int p = 0; p < MaxPlayers; ++p)
            std::memset(m_Players[p].exploredMap, 255, sizeof(m_Players[p].exploredMap));
        g_Players = m_Players.get(), g_LocalPlayer = 0;
    }

    void TearDown() override
    {
        g_GameMap.Free();
        g_GameMap.editor = 0, g_Players = nullptr, g_Config = *m_Saved;
        m_Log.reset(), m_Data.reset();
        GUIDevice::TearDown();
    }

    // A theme file of the game files, written with the project's tool.
    void MakeThemeFile(const std::string& theme)
    {
        RunTool("mktheme " + theme, m_Folder.Write("Terrain/Themes/" + theme + ".theme", ""));
    }

    const CTestLog& Log() const { return *m_Log; }
    const CScratchFolder& Folder() const { return m_Folder; }

private:
    CScratchFolder m_Folder;
    std::unique_ptr<DiskDataFiles> m_Data;
    std::unique_ptr<CTestLog> m_Log;
    std::unique_ptr<CConfig> m_Saved;
    std::unique_ptr<CPlayer[]> m_Players;
};
