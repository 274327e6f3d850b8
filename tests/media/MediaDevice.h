#pragma once
// A hidden window with the drawing device on it, handed to the media classes
// as the game's device, with the resting render states the game keeps and
// the vertex batch ready.  The configured screen is 1024 x 768, so virtual
// coordinates are back-buffer pixels.

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/C_Config.h"
#include "media/C_VXBuffer.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"
#include "platform/SysDevice3DFactory.h"
#include "tests/media/RestingStates.h"

class MediaDevice : public ::testing::Test
{
protected:
    static constexpr int Side = 64;
    static constexpr uint32_t Background = 0x404040;

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(media_test::OpenDevice("media test", Side, Side, m_Factory, m_Window, m_Device));
        m_SavedWidth = g_Config.screenWidth;
        m_SavedHeight = g_Config.screenHeight;
        g_Config.screenWidth = 1024;
        g_Config.screenHeight = 768;
        g_VXBuffer.Init(12288);
        media_test::SetRestingStates(*m_Device);
        Clear(Background);
    }

    void TearDown() override
    {
        g_VXBuffer.Free();
        SetD3DDevice(nullptr);
        m_Device.reset();
        if (m_Window != nullptr)
            SDL_DestroyWindow(m_Window);
        m_Factory.reset();
        g_Config.screenWidth = m_SavedWidth;
        g_Config.screenHeight = m_SavedHeight;
    }

    void Clear(uint32_t colour)
    {
        m_Device->Clear(Sys3DClear::Target | Sys3DClear::ZBuffer, colour, 1.0f);
    }

    uint32_t Pixel(int x, int y)
    {
        std::vector<uint32_t> pixels;
        int32_t w = 0;
        int32_t h = 0;
        m_Device->ReadBackBuffer(pixels, w, h);
        return pixels.at(size_t(y) * size_t(w) + size_t(x));
    }

    uint32_t RenderState(Sys3DRenderState state)
    {
        uint32_t value = 0;
        m_Device->GetRenderState(state, value);
        return value;
    }

    uint32_t StageState(Sys3DStageState state)
    {
        uint32_t value = 0;
        m_Device->GetTextureStageState(0, state, value);
        return value;
    }

    SysDevice3D& Device() { return *m_Device; }

private:
    std::unique_ptr<SysDevice3DFactory> m_Factory;
    SDL_Window* m_Window = nullptr;
    std::unique_ptr<SysDevice3D> m_Device;
    int32_t m_SavedWidth = 0;
    int32_t m_SavedHeight = 0;
};
