#pragma once
// The drawing device on a hidden window of a chosen size, with the configured
// screen set to that size, the resting render states, the vertex batch, a
// small generated font as global fonts 0 (letter spacing 2) and 1 (letter
// spacing 0), and the interface pictures as plain colour blocks.
//
// The font has 8 x 12 cells; every character advances 8 pixels and is a solid
// block except the blank, which is empty.  So a text of n characters is 10 x n
// pixels wide in font 0 and 8 x n in font 1, and a line is 12 pixels high.

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/C_Config.h"
#include "media/C_2DFont.h"
#include "media/C_2DImage.h"
#include "media/C_Bitmap32.h"
#include "media/C_GUIControl.h"
#include "media/C_VXBuffer.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"
#include "platform/SysDevice3DFactory.h"
#include "tests/media/RestingStates.h"

namespace gui_test
{
constexpr int kCellWidth = 8;
constexpr int kCellHeight = 12;
constexpr int kAdvance = 8;
constexpr int kFontSpacing = 2;  // font 0; font 1 has none
constexpr uint32_t kThumbColour = 0x0000FF;
constexpr uint32_t kBoxColour = 0x808080;
constexpr uint32_t kCheckedColour = 0x00FF00;

// A font file: 802 bytes of header with the cell size at 16 and 18, then one
// record per character code 1 to 255 (advance, 4 unused bytes, coverage).
inline std::vector<uint8_t> TinyFontFile()
{
    std::vector<uint8_t> bytes(802, 0);
    bytes[16] = kCellWidth;
    bytes[18] = kCellHeight;
    for (int code = 1; code <= 255; ++code)
    {
        bytes.push_back(kAdvance);
        bytes.insert(bytes.end(), 5, 0);
        bytes.insert(bytes.end(), kCellWidth * kCellHeight, code == ' ' ? 0 : 255);
    }
    return bytes;
}

class GUIDevice : public ::testing::Test
{
protected:
    static constexpr uint32_t Background = 0x202020;

    void TearDown() override { Close(); }

    // Opens the device at width x height; the configured screen is the same.
    void Open(int width, int height)
    {
        Close();
        ASSERT_NO_FATAL_FAILURE(media_test::OpenDevice("gui test", width, height, m_Factory, m_Window, m_Device));
        m_SavedWidth = g_Config.screenWidth;
        m_SavedHeight = g_Config.screenHeight;
        g_Config.screenWidth = width;
        g_Config.screenHeight = height;
        g_VXBuffer.Init(12288);
        media_test::SetRestingStates(*m_Device);
        LoadFonts();
        MakePictures();
        Clear();
    }

    void Close()
    {
        if (!m_Device)
            return;
        for (EGUIPicture which : {EGUIPicture::CheckBox, EGUIPicture::CheckBoxChecked, EGUIPicture::SliderThumb})
            SetGUIPicture(which, nullptr);
        m_Pictures.clear();
        FreeGlobalFonts();
        g_VXBuffer.Free();
        SetD3DDevice(nullptr);
        m_Device.reset();
        SDL_DestroyWindow(m_Window);
        m_Window = nullptr;
        m_Factory.reset();
        g_Config.screenWidth = m_SavedWidth;
        g_Config.screenHeight = m_SavedHeight;
    }

    void Clear() { m_Device->Clear(Sys3DClear::Target | Sys3DClear::ZBuffer, Background, 1.0f); }

    // The back buffer as 0xRRGGBB pixels, row after row from the top.
    void ReadBack()
    {
        m_Device->ReadBackBuffer(m_Pixels, m_Width, m_Height);
    }

    uint32_t Pixel(int x, int y) const
    {
        return m_Pixels.at(size_t(y) * size_t(m_Width) + size_t(x)) & 0xFFFFFF;
    }

    // True when some pixel within one of (x, y) is within `tolerance` of the
    // colour in each channel.
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
        {
            const int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
            if (d > tolerance || d < -tolerance)
                return false;
        }
        return true;
    }

private:
    void LoadFonts()
    {
        AllocGlobalFonts();
        const std::vector<uint8_t> file = TinyFontFile();
        const int spacings[] = {kFontSpacing, 0};
        for (int index = 0; index < 2; ++index)
            ASSERT_TRUE(GetGlobalFont(index)->LoadFromMemory(file.data(), int64_t(file.size()), "tiny.fnt",
                                                             kAdvance, spacings[index]));
    }

    C2DImage* Block(int w, int h, uint32_t colour)
    {
        CBitmap32 bitmap;
        bitmap.Create(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                bitmap.PutPixel(x, y, 0xFF000000u | colour);
        m_Pictures.push_back(std::make_unique<C2DImage>());
        EXPECT_TRUE(m_Pictures.back()->CreateFromBitmap(bitmap));
        return m_Pictures.back().get();
    }

    // A thumb 12 x 24 and check boxes 8 x 8.
    void MakePictures()
    {
        SetGUIPicture(EGUIPicture::SliderThumb, Block(12, 24, kThumbColour));
        SetGUIPicture(EGUIPicture::CheckBox, Block(8, 8, kBoxColour));
        SetGUIPicture(EGUIPicture::CheckBoxChecked, Block(8, 8, kCheckedColour));
    }

    std::unique_ptr<SysDevice3DFactory> m_Factory;
    SDL_Window* m_Window = nullptr;
    std::unique_ptr<SysDevice3D> m_Device;
    std::vector<std::unique_ptr<C2DImage>> m_Pictures;
    std::vector<uint32_t> m_Pixels;
    int32_t m_Width = 0;
    int32_t m_Height = 0;
    int32_t m_SavedWidth = 0;
    int32_t m_SavedHeight = 0;
};
}  // namespace gui_test
