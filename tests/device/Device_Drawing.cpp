// What the default render states, the frame bracket and the global
// rectangles put on the screen of the real device, read back pixel by pixel;
// and the in-game controller's answer to the screenshot key and the lost device.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/GlobalFunc.h"
#include "game/C_CtrlGame.h"
#include "tests/device/DeviceGame.h"

using namespace device_test;

namespace
{
constexpr uint32_t kBlack = 0x000000;

struct ScreenVertex { float x, y, z, rhw; uint32_t colour; float u, v; };

bool Near(uint32_t a, uint32_t b)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 1)
            return false;
    return true;
}

using DeviceDrawing = DeviceGame;
using DeviceFrame = DeviceGame;

// A screen that shows a loading picture from inside its Init, while the
// window goes away and the game is asked to close.
class LoadingCtrl : public CCtrl
{
public:
    explicit LoadingCtrl(CD3D8Game& game) : game(game) {}
    void Init() override
    {
        calls.push_back("Init");
        game.device->NotifyWindowLost();
        std::raise(SIGTERM);
        game.BeginDraw();
        game.EndDraw();
        calls.push_back("Init done");
    }
    void Release() override { calls.push_back("Release"); }
    CCtrl* Run1Frame() override { return this; }

    CD3D8Game& game;
    std::vector<std::string> calls;
};

class SwitchingCtrl : public CCtrl
{
public:
    CCtrl* Run1Frame() override { return next; }
    CCtrl* next = nullptr;
};
} // namespace

TEST_F(DeviceDrawing, ProjectionIsTheGamesOwnAndControllerStatesComeLast)
{
    Sys3DMatrix m;
    ASSERT_EQ(Sys3DError::Ok, Device().GetTransform(Sys3DTransform::Projection, m));
    const float expected[4][4] = {{1.4f, 0, 0, 0}, {0, 1.6f, 0, 0}, {0, 0, 1, 1}, {0, 0, -1, 0}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(expected[r][c], m.m[r][c]) << r << "," << c;
    EXPECT_EQ(1, ctrl.customStates);
}

TEST_F(DeviceDrawing, BoxCoversExactlyThePixelsItsCornersName)
{
    game.BeginDraw();
    GlobalFunc::DrawBox(30, 25, 10, 12, 0x00FF00);  // corners in either order
    const std::vector<uint32_t> pixels = Read();
    game.EndDraw();
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x)
        {
            const bool inside = x >= 10 && x < 30 && y >= 12 && y < 25;
            ASSERT_EQ(inside ? 0x00FF00u : kBlack, pixels[size_t(y) * Side + size_t(x)]) << x << "," << y;
        }
    // An outline touches the edges and leaves the inside.
    game.BeginDraw();
    GlobalFunc::DrawRect(10, 40, 30, 50, 0xFFFF00);
    for (auto [x, y] : {std::pair{20, 40}, {10, 45}, {30, 45}, {20, 50}})
        EXPECT_EQ(0xFFFF00u, Pixel(x, y)) << x << "," << y;
    EXPECT_EQ(kBlack, Pixel(20, 45));
    game.EndDraw();
}

TEST_F(DeviceDrawing, TranslucentBoxBlendsAndSwitchesBlendingOffAgain)
{
    game.BeginDraw();
    GlobalFunc::DrawBox(0, 0, 20, 20, 0xFFFFFF);
    GlobalFunc::DrawBox(5, 5, 15, 15, 0x80FF0000);
    EXPECT_EQ(0u, RenderState(Sys3DRenderState::AlphaBlendEnable));
    // Red at 128/255 over white: green and blue keep 127/255 of 255.
    EXPECT_TRUE(Near(0xFF7F7F, Pixel(10, 10))) << std::hex << Pixel(10, 10);
    EXPECT_EQ(0xFFFFFFu, Pixel(2, 2));
    game.EndDraw();
}

TEST_F(DeviceDrawing, ColourKeyAndModulatedStageUnderTheRestingStates)
{
    std::unique_ptr<SysDevice3DTexture> texture;
    ASSERT_EQ(Sys3DError::Ok, Device().CreateTexture(2, 2, 1, Sys3DFormat::A8R8G8B8, texture));
    Sys3DLockedRect locked;
    ASSERT_EQ(Sys3DError::Ok, texture->LockRect(0, locked));
    // Top left grey, top right keyed out, bottom left white, bottom right
    // below the alpha reference.
    const uint32_t texels[4] = {0xFF808080, 0x00FF0000, 0xFFFFFFFF, 0x10FFFFFF};
    std::memcpy(locked.bits, texels, sizeof texels);
    ASSERT_EQ(Sys3DError::Ok, texture->UnlockRect(0));

    game.BeginDraw();
    Device().SetTexture(0, texture.get());
    Device().SetRenderState(Sys3DRenderState::AlphaFunc, Sys3DCompare::Greater);
    const uint32_t green = 0xFF00FF00;
    const ScreenVertex quad[4] = {{8, 8, 0, 1, green, 0, 0},
                                  {16, 8, 0, 1, green, 1, 0},
                                  {16, 16, 0, 1, green, 1, 1},
                                  {8, 16, 0, 1, green, 0, 1}};
    Device().SetVertexFormat(Sys3DFvf::XyzRhw | Sys3DFvf::Diffuse | Sys3DFvf::Tex1);
    ASSERT_EQ(Sys3DError::Ok, Device().DrawPrimitiveUP(Sys3DPrimitive::TriangleFan, 2, quad, sizeof(ScreenVertex)));
    EXPECT_EQ(0x008000u, Pixel(9, 9));    // grey x green
    EXPECT_EQ(kBlack, Pixel(14, 9));       // alpha 0
    EXPECT_EQ(0x00FF00u, Pixel(9, 14));   // white x green
    EXPECT_EQ(kBlack, Pixel(14, 14));      // alpha 16 is not above 32
    Device().SetTexture(0, nullptr);
    Device().SetRenderState(Sys3DRenderState::AlphaFunc, Sys3DCompare::Always);
    game.EndDraw();
}

TEST_F(DeviceFrame, NestedBeginDoesNotClearAgain)
{
    game.BeginDraw();
    GlobalFunc::DrawBox(0, 0, 4, 4, 0x0000FF);
    game.BeginDraw();
    EXPECT_EQ(0x0000FFu, Pixel(1, 1));
    game.EndDraw();
    EXPECT_EQ(0, game.drawing);
    game.EndDraw();  // nothing to end
    game.BeginDraw();
    EXPECT_EQ(kBlack, Pixel(1, 1));  // a new frame starts black
    game.EndDraw();
}

TEST_F(DeviceFrame, LostDeviceIsToldOnceAndClosingEndsTheWait)
{
    Device().NotifyWindowLost();
    game.quit = 1;
    game.BeginDraw();
    game.EndDraw();
    EXPECT_EQ(std::vector<int32_t>{CD3D8Game::kDeviceLostKey}, ctrl.keys);
    EXPECT_EQ(0, game.fpsFrames);  // nothing was presented
}

TEST_F(DeviceFrame, CloseDuringTheLostDeviceWaitLetsGoOfTheDrawingScreenAfterItsCall)
{
    SwitchingCtrl menu;
    LoadingCtrl loading(game);
    menu.next = &loading;
    game.controller = &menu;
    game.Frame();
    EXPECT_EQ((std::vector<std::string>{"Init", "Init done", "Release"}), loading.calls);
    EXPECT_EQ(nullptr, game.controller);
    EXPECT_TRUE(game.IsQuit());
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

TEST_F(DeviceFrame, ResetDeviceGetsTheGamesStatesBack)
{
    Device().NotifyWindowLost();
    Device().NotifyWindowRestored();
    game.BeginDraw();
    game.EndDraw();
    EXPECT_EQ(std::vector<int32_t>{CD3D8Game::kDeviceResetKey}, ctrl.keys);
    EXPECT_EQ(2, ctrl.customStates);
    // A reset device starts from the driver's defaults; the game's are back.
    EXPECT_EQ(1u, RenderState(Sys3DRenderState::AlphaTestEnable));
    EXPECT_EQ(0u, RenderState(Sys3DRenderState::Lighting));
    EXPECT_EQ(Sys3DError::Ok, Device().TestCooperativeLevel());

    ctrl.keys.clear();
    game.resetRequested = 1;
    game.BeginDraw();
    game.EndDraw();
    EXPECT_EQ(0, game.resetRequested);
    EXPECT_EQ(3, ctrl.customStates);
    EXPECT_EQ(32u, RenderState(Sys3DRenderState::AlphaRef));
    EXPECT_TRUE(ctrl.keys.empty());
}

TEST_F(DeviceDrawing, GuardBandBeyondAHundredThousandTurnsClippingOff)
{
    game.guardBandLeft = -100000;
    game.SetupD3D8RenderStates();
    EXPECT_EQ(1u, RenderState(Sys3DRenderState::Clipping));
    game.guardBandLeft = -100001;
    game.SetupD3D8RenderStates();
    EXPECT_EQ(0u, RenderState(Sys3DRenderState::Clipping));
}

TEST(CtrlGameDeviceKeys, F11AsksForAScreenshotAndALostDevicePauses)
{
    g_D3D8Game.screenShotRequested = 0;
    g_CtrlGame.onKeyDown(122);  // F11
    EXPECT_EQ(1, g_D3D8Game.screenShotRequested);
    g_D3D8Game.screenShotRequested = 0;
    g_CtrlGame.onKeyDown(121);  // F10 is not it
    EXPECT_EQ(0, g_D3D8Game.screenShotRequested);

    // The lost device pauses and nothing unpauses.
    g_CtrlGame.paused = 0;
    g_CtrlGame.onKeyDown(1977);
    EXPECT_EQ(1, g_CtrlGame.paused);
    g_CtrlGame.onKeyDown(19771216);  // back again: still paused
    EXPECT_EQ(1, g_CtrlGame.paused);
    g_CtrlGame.paused = 0;
}
