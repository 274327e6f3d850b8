#pragma once
// Tests whose map owns textures: a hidden window with the suite's drawing device, the map freed after
// every test, game files from a folder, the log captured, and eight players, the local one seeing all.

#include <SDL2/SDL.h>

#include <memory>

#include "WorldTestSupport.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"
#include "platform/SysDevice3DFactory.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

class WorldDeviceTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        SDL_InitSubSystem(SDL_INIT_VIDEO);
        s_Factory = SysCreateDevice3DFactory().release();
        ASSERT_NE(s_Factory, nullptr);
        s_Window = SDL_CreateWindow("world test", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        ASSERT_NE(s_Window, nullptr) << SDL_GetError();
        Sys3DPresentParams params{.backBufferWidth = 64, .backBufferHeight = 64,
                                  .backBufferFormat = Sys3DFormat::X8R8G8B8, .windowed = true};
        std::unique_ptr<SysDevice3D> device;
        ASSERT_EQ(s_Factory->CreateDevice(s_Window, params, device), Sys3DError::Ok);
        s_Device = device.release();
        SetD3DDevice(s_Device);
    }

    static void TearDownTestSuite()
    {
        SetD3DDevice(nullptr);
        delete s_Device;
        s_Device = nullptr;
        if (s_Window != nullptr)
            SDL_DestroyWindow(s_Window);
        s_Window = nullptr;
        delete s_Factory;
        s_Factory = nullptr;
    }

    void SetUp() override
    {
        m_Data = std::make_unique<DiskDataFiles>(m_Folder);
        m_Log = std::make_unique<CTestLog>();
        m_Saved = std::make_unique<CConfig>(g_Config);
        g_Config.logging = 1;
        g_Config.terrainTextureDetail = 2;
        g_Config.buildingShadows = 2;
        g_Config.fogOfWar = 0;
        g_Config.visibilityMode = 2;
        m_Players = std::make_unique<CPlayer[]>(MaxPlayers);
        for (int p = 0; p < MaxPlayers; ++p)
            std::memset(m_Players[p].exploredMap, 255, sizeof(m_Players[p].exploredMap));
        g_Players = m_Players.get();
        g_LocalPlayer = 0;
    }

    void TearDown() override
    {
        g_GameMap.Free();
        g_GameMap.editor = 0;
        g_Players = nullptr;
        g_Config = *m_Saved;
        m_Log.reset();
        m_Data.reset();
    }

    // A theme file of the game files, written with the project's tool.
    void MakeThemeFile(const std::string& theme)
    {
        RunTool("mktheme " + theme, m_Folder.Write("Terrain/Themes/" + theme + ".theme", ""));
    }

    const CTestLog& Log() const { return *m_Log; }
    const CScratchFolder& Folder() const { return m_Folder; }

private:
    static inline SysDevice3DFactory* s_Factory = nullptr;
    static inline SDL_Window* s_Window = nullptr;
    static inline SysDevice3D* s_Device = nullptr;

    CScratchFolder m_Folder;
    std::unique_ptr<DiskDataFiles> m_Data;
    std::unique_ptr<CTestLog> m_Log;
    std::unique_ptr<CConfig> m_Saved;
    std::unique_ptr<CPlayer[]> m_Players;
};
