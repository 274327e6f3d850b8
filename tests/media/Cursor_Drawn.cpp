// The cursor on the game's window and device: the drawn cursor and its shadow read back, the system modes the
// offscreen window cannot show, refused slots and pictures; and the loading screen's background and bar.

#include <algorithm>
#include <tuple>

#include "core/C_File.h"
#include "core/C_Localizer.h"
#include "media/C_Cursors.h"
#include "media/C_LoadingScreen.h"
#include "platform/SysWindow.h"
#include "tests/media/GUIDevice.h"
#include "tests/support/TestLog.h"

namespace
{
constexpr uint32_t kBlue = 0x0000FF;

class CursorFrame : public MediaDevice
{
protected:
    void SetUp() override
    {
        g_Config.windowed = 1;
        g_Config.mouseCursorMode = CCursors::ModeDrawn;
        ASSERT_TRUE(window.Create("cursor test", 0, 0, Side, Side, false)) << SysWindow::LastError();
        ASSERT_NO_FATAL_FAILURE(
            OpenDevice(Side, Side, g_Config.screenWidth, g_Config.screenHeight, window.NativeHandle()));
    }

    void TearDown() override
    {
        cursors.Free();
        Close();
        window.Destroy();
        g_Config = saved;
    }

    void DrawFrame()
    {
        Clear(Background);
        Device().BeginScene();
        cursors.Render();
        Device().EndScene();
        ReadBack();
    }

    CConfig saved = g_Config;
    CScratchFolder folder;
    CTestLog log;
    SysWindow window;
    CCursors cursors;
};
}  // namespace

TEST_F(CursorFrame, DrawnCursorStandsAtTheMouseMinusItsHotSpotWithItsShadowInEveryMode)
{
    // Slot 0: a blue 10 x 10 block in the top-left corner of a red (clear) picture, hot spot (3, 2).
    std::vector<uint32_t> picture(32 * 32, 0xFF0000);
    for (int y = 0; y < 10; ++y)
        std::fill_n(picture.begin() + y * 32, 10, kBlue);
    const std::string file = folder.Write("block.tga", Tga24(picture, 32, 32));
    SDL_Event event = {};
    event.motion = {SDL_MOUSEMOTION, 0, 0, 0, 0, 30, 20, 0, 0};  // the mouse at (30, 20)
    // The system modes fall back to the drawn cursor with one log line.
    for (const int32_t mode : {CCursors::ModeDrawn, CCursors::ModeMono, CCursors::ModeColour})
    {
        SCOPED_TRACE(mode);
        cursors.Init(2, &window);
        log.Clear();
        ASSERT_TRUE(cursors.LoadCursor(0, file.c_str(), file.c_str(), 3, 2));
        SDL_PushEvent(&event);
        for (SysMessage message; window.PeekMessage(message);) {}
        g_Config.mouseCursorMode = mode;
        cursors.SetCursor(0);
        cursors.SetCursor(1);
        cursors.SetCursor(0);
        EXPECT_EQ(mode == CCursors::ModeDrawn ? 0 : 1,
                  log.Count("The system mouse cursor is not available, the game draws the cursor"));
        EXPECT_TRUE(CCursors::ModeDrawn == cursors.EffectiveMode() && mode == g_Config.mouseCursorMode &&
                    SDL_DISABLE == SDL_ShowCursor(SDL_QUERY));
        DrawFrame();
        // The block covers (27, 18) to (36, 27).
        EXPECT_EQ((std::vector<uint32_t>{kBlue, kBlue, Background, Background}),
                  (std::vector<uint32_t>{Pixel(27, 18), Pixel(36, 27), Pixel(26, 18), Pixel(27, 17)}));
        // Shadow pixel (10, 5) at (27 + 4 + 10, 18 + 4 + 5): alpha 56, kept in four bits as 3 x 17 = 51,
        // darkens the grey 64 to 51; shadow pixel (13, 13) is out of reach of the block.
        EXPECT_NEAR(51, int(Pixel(41, 27) & 0xFF), 2);
        EXPECT_TRUE((Pixel(41, 27) & 0xFF) == (Pixel(41, 27) >> 16) && Background == Pixel(44, 35) &&
                    0u == RenderState(Sys3DRenderState::AlphaBlendEnable));
    }
    // The current slot is not set again, but Refresh applies it.
    window.ShowCursor(true);
    cursors.SetCursor(0);
    EXPECT_EQ(SDL_ENABLE, SDL_ShowCursor(SDL_QUERY));
    cursors.Refresh();
    EXPECT_EQ(SDL_DISABLE, SDL_ShowCursor(SDL_QUERY));
    // A missing picture gives a clear slot; a slot past the set is refused.
    const std::string missing = folder / "missing.tga";
    ASSERT_TRUE(cursors.LoadCursor(0, missing.c_str(), missing.c_str(), 0, 0));
    EXPECT_EQ(2, log.Count("Mouse cursor picture \"" + missing +
                           "\" is missing or not 32 x 32, the cursor is transparent"));
    EXPECT_FALSE(cursors.LoadCursor(2, file.c_str(), file.c_str(), 0, 0));
    DrawFrame();
    EXPECT_EQ(Background, Pixel(30, 20));
}

TEST_F(CursorFrame, LoadingBarGrowsByItsStepsToTheFullWidthAndStaysFullPastTheLast)
{
    // A 1024 x 768 screen: the bar, white at alpha 64 over black, lies from x 54 on at y 674 to 715,
    // 912 / 4 pixels longer each step; back-2.tga is blue, the first screen's picture red.
    ASSERT_NO_FATAL_FAILURE(OpenDevice(1024, 768, 1024, 768));
    for (const auto& [name, colour] : {std::pair{"back-2", kBlue}, {"first", 0xFF0000u}, {"csik1", 0xFFFFFFu}})
        folder.Write("Loading/" + std::string(name) + ".tga", Tga24(std::vector<uint32_t>(16, colour), 4, 4));
    InitDataFile((folder.Path() + "/").c_str(), 0);
    const std::string texts = "LOADING,\"Loading\"\nFILE_LOADING_SCREEN,\"first.tga\"\n";
    g_Localizer.Clear();
    ASSERT_TRUE(g_Localizer.LoadLocaleText("loading", texts.c_str(), int(texts.size())));
    // Each frame on a black screen; the last lit column of the bar's middle row, -1 for none.
    CLoadingScreen screen;
    auto step = [&]() {
        Clear(0);
        screen.Step();
        ReadBack();
    };
    auto lit = [this](int x, int y) { return (Pixel(x, y) & 0xFF) > 0x30; };
    auto barEnd = [&]() {
        int end = -1;
        for (int x = 0; x < 1024; ++x)
            end = lit(x, 694) ? x : end;
        return end;
    };
    screen.Init(2, 4);
    EXPECT_STREQ("Loading", screen.caption);
    const int ends[] = {54 + 228 - 1, 54 + 456 - 1, 54 + 684 - 1, 54 + 912 - 1, 54 + 912 - 1};
    for (int steps = 1; steps <= 5; ++steps)
    {
        step();
        EXPECT_EQ((std::tuple{ends[steps - 1], kBlue, false, true, true, false, true, false}),
                  (std::tuple{barEnd(), Pixel(2, 2), lit(53, 694), lit(54, 694), lit(60, 674), lit(60, 673),
                              lit(60, 715), lit(60, 716)})) << steps;
    }
    EXPECT_EQ(1, log.Count("#DEBUG: Progressbar overflow"));
    screen.Free();

    // The first screen: its own picture, no caption, no bar.
    screen.Init(0, 0);
    EXPECT_STREQ("", screen.caption);
    step();
    EXPECT_TRUE(-1 == barEnd() && 0xFF0000u == Pixel(2, 2));
    screen.Free();
    InitDataFile("", 0);
    g_Localizer.Clear();
}
