// The cursor set: the shadow's alpha, and on the game's own window and
// drawing device the drawn cursor and its shadow read back from a real
// frame, the system modes the offscreen window cannot show, and the slots
// and pictures it refuses.

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/C_Config.h"
#include "media/C_Cursors.h"
#include "media/C_VXBuffer.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"
#include "platform/SysDevice3DFactory.h"
#include "platform/SysWindow.h"
#include "tests/media/TgaBytes.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestLog.h"

namespace
{
constexpr uint32_t kRed = 0xFF0000;

struct SBlock
{
    int x0, y0, x1, y1;  // inclusive
    uint32_t colour;
};

inline std::vector<uint32_t> Picture(const std::vector<SBlock>& blocks, int side = CCursors::Side)
{
    std::vector<uint32_t> pixels(size_t(side * side), kRed);
    for (const SBlock& b : blocks)
        for (int y = b.y0; y <= b.y1; ++y)
            for (int x = b.x0; x <= b.x1; ++x)
                pixels[size_t(y * side + x)] = b.colour;
    return pixels;
}

inline std::vector<uint8_t> Tga24(const std::vector<uint32_t>& pixels, int side)
{
    TgaLayout t;
    t.width = t.height = uint16_t(side);
    t.depth = 24;
    for (uint32_t p : pixels)
        t.pixels.insert(t.pixels.end(), {uint8_t(p), uint8_t(p >> 8), uint8_t(p >> 16)});
    return BuildTga(t);
}

constexpr int kSide = 64;
constexpr uint32_t kBackground = 0x404040;
constexpr uint32_t kBlue = 0x0000FF;

class CursorFrame : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Closing the window must not unload the graphics driver.
        static const bool loaded = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0 && SDL_GL_LoadLibrary(nullptr) == 0;
        (void)loaded;
        saved = g_Config;
        g_Config.windowed = 1;
        g_Config.mouseCursorMode = CCursors::ModeDrawn;
        ASSERT_TRUE(window.Create("cursor test", 0, 0, kSide, kSide, false)) << SysWindow::LastError();
        factory = SysCreateDevice3DFactory();
        Sys3DPresentParams params;
        params.backBufferWidth = params.backBufferHeight = kSide;
        params.backBufferFormat = Sys3DFormat::X8R8G8B8;
        params.windowed = true;
        ASSERT_EQ(Sys3DError::Ok, factory->CreateDevice(window.NativeHandle(), params, device));
        SetD3DDevice(device.get());
        g_VXBuffer.Init(256);
        device->SetRenderState(Sys3DRenderState::AlphaTestEnable, 1);
        device->SetRenderState(Sys3DRenderState::AlphaRef, 32);
        device->SetRenderState(Sys3DRenderState::AlphaFunc, Sys3DCompare::Always);
        device->SetRenderState(Sys3DRenderState::SrcBlend, Sys3DBlend::SrcAlpha);
        device->SetRenderState(Sys3DRenderState::DestBlend, Sys3DBlend::InvSrcAlpha);
        cursors.Init(2, &window);
    }

    void TearDown() override
    {
        cursors.Free();
        g_VXBuffer.Free();
        SetD3DDevice(nullptr);
        device.reset();
        window.Destroy();
        g_Config = saved;
    }

    // A blue 10 x 10 block in the top-left corner, hot spot (3, 2), in slot 0;
    // the mouse at (30, 20).
    void LoadBlock()
    {
        const std::string file = folder.Write("block.tga", Tga24(Picture({{0, 0, 9, 9, kBlue}}), 32));
        ASSERT_TRUE(cursors.LoadCursor(0, file.c_str(), file.c_str(), 3, 2));
        SDL_Event event = {};
        event.type = SDL_MOUSEMOTION;
        event.motion.x = 30;
        event.motion.y = 20;
        SDL_PushEvent(&event);
        SysMessage message;
        while (window.PeekMessage(message))
        {
        }
    }

    // One frame of the cursor alone; the pixel (x, y) of it.
    void DrawFrame()
    {
        device->Clear(Sys3DClear::Target | Sys3DClear::ZBuffer, kBackground, 1.0f);
        device->BeginScene();
        cursors.Render();
        device->EndScene();
        int32_t w = 0;
        int32_t h = 0;
        device->ReadBackBuffer(pixels, w, h);
    }
    uint32_t Pixel(int x, int y) const { return pixels.at(size_t(y * kSide + x)) & 0xFFFFFF; }

    CConfig saved;
    CScratchFolder folder;
    CTestLog log;
    SysWindow window;
    std::unique_ptr<SysDevice3DFactory> factory;
    std::unique_ptr<SysDevice3D> device;
    CCursors cursors;
    std::vector<uint32_t> pixels;
};
}  // namespace

TEST_F(CursorFrame, DrawnCursorStandsAtTheMouseMinusItsHotSpotWithItsShadow)
{
    LoadBlock();
    cursors.SetCursor(0);
    DrawFrame();
    // The block covers (27, 18) to (36, 27).
    EXPECT_EQ(kBlue, Pixel(27, 18));
    EXPECT_EQ(kBlue, Pixel(36, 27));
    EXPECT_EQ(kBackground, Pixel(26, 18));
    EXPECT_EQ(kBackground, Pixel(27, 17));
    // Shadow pixel (10, 5) at (27 + 4 + 10, 18 + 4 + 5): alpha 56, kept in
    // four bits as 3 x 17 = 51, darkens the grey 64 to 51.
    EXPECT_NEAR(51, int(Pixel(41, 27) & 0xFF), 2);
    EXPECT_EQ(Pixel(41, 27) & 0xFF, Pixel(41, 27) >> 16);
    // Shadow pixel (13, 13) is out of reach of the block.
    EXPECT_EQ(kBackground, Pixel(44, 35));
    uint32_t blending = 1;
    uint32_t alphaFunction = 0;
    device->GetRenderState(Sys3DRenderState::AlphaBlendEnable, blending);
    device->GetRenderState(Sys3DRenderState::AlphaFunc, alphaFunction);
    EXPECT_EQ(0u, blending);
    EXPECT_EQ(uint32_t(Sys3DCompare::Always), alphaFunction);
}

TEST_F(CursorFrame, SystemModesTheWindowCannotShowFallBackToTheDrawnCursor)
{
    for (const int32_t mode : {CCursors::ModeMono, CCursors::ModeColour})
    {
        cursors.Init(2, &window);
        log.Clear();
        LoadBlock();
        g_Config.mouseCursorMode = mode;
        cursors.SetCursor(0);
        cursors.SetCursor(1);
        EXPECT_EQ(1, log.Count("The system mouse cursor is not available, the game draws the cursor")) << mode;
        EXPECT_EQ(CCursors::ModeDrawn, cursors.EffectiveMode()) << mode;
        EXPECT_EQ(mode, g_Config.mouseCursorMode) << mode;
        EXPECT_EQ(SDL_DISABLE, SDL_ShowCursor(SDL_QUERY)) << mode;
        cursors.SetCursor(0);
        DrawFrame();
        EXPECT_EQ(kBlue, Pixel(27, 18)) << mode;
    }
}

TEST_F(CursorFrame, CurrentSlotIsNotSetAgainButRefreshAppliesItAndNoCursorDrawsNothing)
{
    LoadBlock();
    cursors.SetCursor(0);
    EXPECT_EQ(SDL_DISABLE, SDL_ShowCursor(SDL_QUERY));
    window.ShowCursor(true);
    cursors.SetCursor(0);
    EXPECT_EQ(SDL_ENABLE, SDL_ShowCursor(SDL_QUERY));
    cursors.Refresh();
    EXPECT_EQ(SDL_DISABLE, SDL_ShowCursor(SDL_QUERY));
    cursors.SetCursor(CCursors::NoCursor);
    DrawFrame();
    EXPECT_EQ(kBackground, Pixel(30, 20));
}

TEST_F(CursorFrame, SlotOutsideTheSetIsRefusedAndABadPictureGivesATransparentSlot)
{
    EXPECT_FALSE(cursors.LoadCursor(2, "a.tga", "b.tga", 0, 0));
    EXPECT_FALSE(cursors.LoadCursor(-1, "a.tga", "b.tga", 0, 0));
    EXPECT_EQ(2, log.Count("#DEBUG: Too many mouse cursors"));
    cursors.SetCursor(2);
    EXPECT_EQ(CCursors::NoCursor, cursors.GetCurrent());
    const std::string small = folder.Write("small.tga", Tga24(Picture({{0, 0, 15, 15, kBlue}}, 16), 16));
    for (const std::string& file : {small, folder / "missing.tga"})
    {
        LoadBlock();
        cursors.SetCursor(0);
        log.Clear();
        ASSERT_TRUE(cursors.LoadCursor(0, file.c_str(), file.c_str(), 0, 0));
        EXPECT_EQ(2, log.Count("Mouse cursor picture \"" + file + "\" is missing or not 32 x 32, the cursor is transparent"));
        DrawFrame();
        EXPECT_EQ(std::vector<uint32_t>(pixels.size(), pixels[0]), pixels) << file;
    }
}

TEST(CursorPictures, ShadowAlphaCountsTheClearPlacesOfTheSevenBySevenSquare)
{
    // One blue block 10 x 10 at (0, 0).
    std::vector<uint32_t> shadow(CCursors::PixelCount);
    CCursors::BuildShadow(Picture({{0, 0, 9, 9, 0x0000FF}}).data(), shadow.data());
    struct SCase
    {
        int x, y;
        uint32_t alpha;  // (56 - clear places) x 2
    } const cases[] = {
        {5, 5, 112},  // the whole square on the block
        {0, 0, 46},   // 16 of 49 on the block, 33 outside the picture
        {10, 5, 56},  // 3 columns x 7 rows on the block: 28 clear
        {12, 12, 16}, // only the block's corner pixel: 48 clear
        {9, 12, 22},  // 4 columns x 1 row on the block: 45 clear
    };
    for (const SCase& c : cases)
        EXPECT_EQ(c.alpha << 24, shadow[size_t(c.y * CCursors::Side + c.x)]) << c.x << "," << c.y;
    // Out of reach of the block the shadow stays the transparent key; an
    // all-red picture has no shadow at all.
    EXPECT_EQ(kRed, shadow[5 * CCursors::Side + 13]);
    CCursors::BuildShadow(Picture({}).data(), shadow.data());
    EXPECT_EQ(std::vector<uint32_t>(CCursors::PixelCount, kRed), shadow);
}
