#pragma once
// The drawing device on a hidden window as the game's device, with the render states the game keeps between draws
// and the vertex batch ready.
//
// Open(w, h) sets the configured screen to the window's size and adds global fonts 0 (letter spacing 2) and 1 (none) of
// 8 x 12 cells, each character a solid block 8 wide but the blank, and the interface pictures as colour blocks.  A text
// of n characters is 10 n pixels wide in font 0, 8 n in 1.

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <utility>

#include "core/C_Config.h"
#include "media/C_2DFont.h"
#include "media/C_2DImage.h"
#include "media/C_Bitmap32.h"
#include "media/C_GUIControl.h"
#include "media/C_VXBuffer.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"
#include "platform/SysDevice3DFactory.h"
#include "tests/media/FileBytes.h"

namespace gui_test
{
constexpr uint32_t kThumbColour = 0x0000FF, kBoxColour = 0x808080, kCheckedColour = 0x00FF00;

class GUIDevice : public ::testing::Test
{
protected:
    static constexpr uint32_t Background = 0x202020;

    void TearDown() override { Close(); }

    void Open(int width, int height)
    {
        ASSERT_NO_FATAL_FAILURE(OpenDevice(width, height, width, height));
        ASSERT_NO_FATAL_FAILURE(LoadFonts({0, 1}));
        SetGUIPicture(EGUIPicture::SliderThumb, Block(12, 24, kThumbColour));
        SetGUIPicture(EGUIPicture::CheckBox, Block(8, 8, kBoxColour));
        SetGUIPicture(EGUIPicture::CheckBoxChecked, Block(8, 8, kCheckedColour));
    }

    // The global fonts of these indexes as the tiny font (letter spacing 2 in font 0), the others empty.
    void LoadFonts(std::initializer_list<int> indexes)
    {
        AllocGlobalFonts();
        m_Gui = true;
        const std::vector<uint8_t> file = BuildFont(
            {8, 12, [](int) { return uint16_t(8); }, [](int c, int, int) { return uint8_t(c == ' ' ? 0 : 255); }});
        for (const int index : indexes)
            ASSERT_TRUE(GetGlobalFont(index)->LoadFromMemory(file.data(), int64_t(file.size()), "tiny.fnt", 8,
                                                             index == 0 ? 2 : 0));
    }

    // The device alone on the caller's window or a hidden one of its own.
    void OpenDevice(int width, int height, int screenWidth, int screenHeight, void* window = nullptr)
    {
        Close();
        // Destroying the last window would unload the OpenGL driver, and the
        // driver's own allocations would then read as leaks of this process.
        [[maybe_unused]] static const bool loaded =
            SDL_InitSubSystem(SDL_INIT_VIDEO) == 0 && SDL_GL_LoadLibrary(nullptr) == 0;
        m_Factory = SysCreateDevice3DFactory();
        ASSERT_TRUE(m_Factory);
        if (window == nullptr)
            window = m_Window = SDL_CreateWindow("test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        Sys3DPresentParams params{.backBufferWidth = width, .backBufferHeight = height,
                                  .backBufferFormat = Sys3DFormat::X8R8G8B8, .windowed = true};
        ASSERT_EQ(m_Factory->CreateDevice(window, params, m_Device), Sys3DError::Ok);
        SetD3DDevice(m_Device.get());
        m_SavedWidth = std::exchange(g_Config.screenWidth, screenWidth);
        m_SavedHeight = std::exchange(g_Config.screenHeight, screenHeight);
        g_VXBuffer.Init(12288);
        using R = Sys3DRenderState;
        for (const auto& [state, value] : {std::pair{R::AlphaTestEnable, 1u}, {R::AlphaRef, 32u},
                                           {R::AlphaFunc, uint32_t(Sys3DCompare::Always)}, {R::LastPixel, 0u},
                                           {R::Lighting, 0u}, {R::SrcBlend, uint32_t(Sys3DBlend::SrcAlpha)},
                                           {R::DestBlend, uint32_t(Sys3DBlend::InvSrcAlpha)}})
            m_Device->SetRenderState(state, value);
        using S = Sys3DStageState;
        for (const auto& [state, value] : {std::pair{S::ColourOp, uint32_t(Sys3DTextureOp::Modulate)},
                                           {S::ColourArg1, uint32_t(Sys3DTextureArg::Texture)},
                                           {S::ColourArg2, uint32_t(Sys3DTextureArg::Diffuse)},
                                           {S::AddressU, uint32_t(Sys3DAddress::Clamp)},
                                           {S::AddressV, uint32_t(Sys3DAddress::Clamp)}})
            m_Device->SetTextureStageState(0, state, value);
        Clear();
    }

    void Close()
    {
        if (!m_Device)
            return;
        if (m_Gui)
        {
            for (EGUIPicture which : {EGUIPicture::CheckBox, EGUIPicture::CheckBoxChecked, EGUIPicture::SliderThumb})
                SetGUIPicture(which, nullptr);
            m_Pictures.clear();
            FreeGlobalFonts();
            m_Gui = false;
        }
        g_VXBuffer.Free();
        SetD3DDevice(nullptr);
        m_Device.reset();
        if (m_Window != nullptr)
            SDL_DestroyWindow(m_Window);
        m_Window = nullptr;
        m_Factory.reset();
        g_Config.screenWidth = m_SavedWidth;
        g_Config.screenHeight = m_SavedHeight;
    }

    void Clear(uint32_t colour = Background)
    {
        m_Device->Clear(Sys3DClear::Target | Sys3DClear::ZBuffer, colour, 1.0f);
    }

    // The back buffer as 0xRRGGBB pixels, top row first.
    const std::vector<uint32_t>& ReadBack()
    {
        m_Device->ReadBackBuffer(m_Pixels, m_Width, m_Height);
        for (uint32_t& p : m_Pixels) p &= 0xFFFFFF;
        return m_Pixels;
    }

    uint32_t Pixel(int x, int y) const { return m_Pixels.at(size_t(y) * size_t(m_Width) + size_t(x)); }

    // n pixels from (x, y) on in steps of (dx, dy), each as the letter of its colour in `key` ('?' for another).
    std::string Strip(int x, int y, int dx, int dy, int n, const std::map<uint32_t, char>& key) const
    {
        std::string letters;
        for (int i = 0; i < n; ++i)
        {
            const auto found = key.find(Pixel(x + i * dx, y + i * dy));
            letters += found != key.end() ? found->second : '?';
        }
        return letters;
    }

    // Some pixel within one of (x, y) has each channel within `tolerance`.
    bool ColourNear(int x, int y, uint32_t colour, int tolerance = 0) const
    {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (Close(Pixel(x + dx, y + dy), colour, tolerance))
                    return true;
        return false;
    }

    static bool Close(uint32_t a, uint32_t b, int tolerance)
    {
        for (int shift = 0; shift < 24; shift += 8)
            if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
                return false;
        return true;
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
    C2DImage* Block(int w, int h, uint32_t colour)
    {
        CBitmap32 bitmap;
        bitmap.Create(w, h);
        bitmap.FillRect(0, 0, w - 1, h - 1, 0xFF000000u | colour);
        m_Pictures.push_back(std::make_unique<C2DImage>());
        EXPECT_TRUE(m_Pictures.back()->CreateFromBitmap(bitmap));
        return m_Pictures.back().get();
    }

    std::unique_ptr<SysDevice3DFactory> m_Factory;
    SDL_Window* m_Window = nullptr;
    std::unique_ptr<SysDevice3D> m_Device;
    std::vector<std::unique_ptr<C2DImage>> m_Pictures;
    std::vector<uint32_t> m_Pixels;
    int32_t m_Width = 0, m_Height = 0;
    int32_t m_SavedWidth = 0, m_SavedHeight = 0;
    bool m_Gui = false;
};
}  // namespace gui_test

// A 64 x 64 back buffer with the configured screen at 1024 x 768, so that
// virtual coordinates are back-buffer pixels, cleared to a grey of its own.
class MediaDevice : public gui_test::GUIDevice
{
protected:
    static constexpr int Side = 64;
    static constexpr uint32_t Background = 0x404040;

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(OpenDevice(Side, Side, 1024, 768));
        Clear(Background);
    }
};
