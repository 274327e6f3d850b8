#include <gtest/gtest.h>

#include <csignal>

#include "core/C_Config.h"
#include "core/C_Ctrl.h"
#include "core/C_D3D8Game.h"
#include "core/C_File.h"
#include "core/C_ScreenShot.h"
#include "core/FrameDrawing.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "game/C_CtrlGame.h"
#include "game/C_MessageList.h"
#include "media/C_2DFont.h"
#include "media/D3DDevice.h"
#include "platform/SysFile.h"
#include "tests/media/FileBytes.h"
#include "tests/platform/Device3D_Harness.h"
#include "tests/platform/Window_TestEvents.h"
#include "tests/support/ReferenceBytes.h"
#include "tests/support/TestLog.h"

namespace
{
// A controller that keeps the keys it gets and counts its custom states.
class KeyCtrl : public CCtrl
{
public:
    void onKeyDown(int32_t key) override { keys.push_back(key); }
    void onSetCustomRenderStates() override { ++customStates; }
    CCtrl* Run1Frame() override { return ++frames, this; }

    std::vector<int32_t> keys;
    int customStates = 0, frames = 0;
};

// A colour table file: entry i of channel c made by the function, little-endian 16-bit entries, red, green, then blue.
template <typename Entry> std::string ColourTableFile(Entry entry)
{
    std::string bytes;
    for (int c = 0; c < 3; ++c) for (int i = 0; i < 256; ++i) bytes += LE32(uint16_t(entry(c, i))).substr(0, 2);
    return bytes;
}

// The application object started for real in a hidden 64 x 64 window with its drawing device, dummy
// sound, timer, stand-ins and start-up log; game files come from a scratch folder (see PrepareData).
class DeviceGame : public ::testing::Test
{
protected:
    static constexpr int Side = 64;

    void SetUp() override
    {
        saved = g_Config;
        g_Config.screenWidth = g_Config.screenHeight = Side, g_Config.colourDepth = 32, g_Config.windowed = 1;
        g_Config.gamma = g_Config.brightness = 1.0f, g_Config.antialiasing = 0;
        PrepareData();
        InitDataFile(folder.Path().c_str(), 0);
        // The device's guard band (none) replaces the one set here.
        game.width = game.height = Side, game.bitsPerPixel = 32, game.guardBandLeft = -100001;
        ASSERT_TRUE(game.window.Create("device test", 0, 0, Side, Side, false)) << SysWindow::LastError();
        game.Init();
        ASSERT_TRUE(game.device);
    }

    void TearDown() override
    {
        game.Shutdown(), game.window.Destroy();
        InitDataFile("", 0);
        g_Config = saved;
    }

    // Files the start-up reads, written into `folder` before it.
    virtual void PrepareData() {}

    SysDevice3D& Device() { return *game.device; }

    std::vector<uint32_t> Read()
    {
        std::vector<uint32_t> pixels;
        int32_t w = 0, h = 0;
        EXPECT_TRUE(Sys3DError::Ok == Device().ReadBackBuffer(pixels, w, h) && w == Side && h == Side);
        return pixels;
    }

    uint32_t Pixel(int x, int y) { return Read().at(size_t(y) * Side + size_t(x)); }

    uint32_t RenderState(Sys3DRenderState state)
    {
        uint32_t value = 0xDEADBEEF;
        Device().GetRenderState(state, value);
        return value;
    }

    CConfig saved;
    CScratchFolder folder;
    CTestLog log;
    KeyCtrl ctrl;
    CD3D8Game game{&ctrl};
};

constexpr uint32_t kBlack = 0x000000;

using DeviceDrawing = DeviceGame;
using DeviceFrame = DeviceGame;

// A screen that shows a loading picture from inside its Init while the window goes away and the game is asked to close.
class LoadingCtrl : public CCtrl
{
public:
    explicit LoadingCtrl(CD3D8Game& game) : game(game) {}
    void Init() override
    {
        calls.push_back("Init"), game.device->NotifyWindowLost(), std::raise(SIGTERM);
        game.BeginDraw(), game.EndDraw(), calls.push_back("Init done");
    }
    void Release() override { calls.push_back("Release"); }
    CCtrl* Run1Frame() override { return this; }

    CD3D8Game& game;
    std::vector<std::string> calls;
};

struct SwitchingCtrl : public CCtrl
{
    CCtrl* Run1Frame() override { return next; }
    CCtrl* next = nullptr;
};

const char kMarkName[] = "InGame/ScreenShotMark/pelwin.tga";
const char kRampName[] = "InGame/GammaRamps/default.ramp";

// A 32-bit top-first TGA read byte by byte: its pixels as 0xAARRGGBB, after checking the header says so.
std::vector<uint32_t> ReadShot(const std::string& path, int side)
{
    const std::string bytes = CScratchFolder::ReadFile(path);
    if (bytes.size() != size_t(18 + side * side * 4))
    {
        ADD_FAILURE() << path << " holds " << bytes.size() << " bytes";
        return {};
    }
    // True colour, width, height, 32 bits, top row first.
    const auto le16 = [&](size_t at) { return uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8; };
    EXPECT_EQ(std::tuple(bytes[2], le16(12), le16(14), bytes[16], bytes[17] & 0x20),
              std::tuple(2, side, side, 32, 0x20));
    std::vector<uint32_t> pixels(size_t(side * side));
    std::memcpy(pixels.data(), bytes.data() + 18, pixels.size() * 4);  // little-endian like the file
    return pixels;
}

// A 32-bit top-first TGA of w x h pixels.
std::string TgaFile(int w, int h, const std::vector<uint32_t>& pixels)
{
    // True colour; width and height; 32 bits, top row first, 8 bits of alpha.
    std::string bytes = std::string(2, '\0') + '\2' + std::string(9, '\0') + LE32(uint32_t(w | h << 16)) + "\x20\x28";
    bytes.append(reinterpret_cast<const char*>(pixels.data()), pixels.size() * 4);
    return bytes;
}

// A green 10 x 10 box at the top left on black, a colour table halving every level (entry i is i x 128) and a 4 x 3
// mark whose blue bytes are its mask.
class ScreenShotPicture : public DeviceGame
{
protected:
    void PrepareData() override
    {
        folder.Write(kRampName, ColourTableFile([](int, int i) { return i * 128; }));
        folder.Write(kMarkName, TgaFile(4, 3, {0x000000, 0x0000FF, 0x0000FF, 0x0000FF,  //
                                               0x0000FF, 0x000080, 0x0000FF, 0x0000FF,  //
                                               0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF}));
    }

    void DrawScene() { game.BeginDraw(); GlobalFunc::DrawBox(0, 0, 10, 10, 0x00FF00); }

    void ExpectScene(const std::vector<uint32_t>& shot)
    {
        ASSERT_TRUE(size_t(Side * Side) == shot.size() && 0x007F00u == shot[size_t(9 * Side + 9)] &&   // 0xFF halved
                    0x000000u == shot[size_t(10 * Side + 10)]);
    }

    ~ScreenShotPicture() override { SysFile::SetExecutableFolderForTests(nullptr); }

    CScratchFolder shots;
};

const char kRampMissing[] =
    "Color correction table \"InGame\\GammaRamps\\default.ramp\" not found, colors are not corrected";

std::vector<std::string> StepLines(const std::vector<std::string>& lines)
{
    std::vector<std::string> steps;
    for (const std::string& line : lines)
        if (line.rfind("---", 0) == 0) steps.push_back(line.substr(4, line.size() - 8));
    return steps;
}

using DeviceStartupLog = DeviceGame;

// A falling colour table (entry i of channel c is 65535 - 200 x i - c), and
// MOUSECURSOR=D3D_HW asked of a device without a cursor of its own.
class DeviceWithColourTableAndDriverCursor : public DeviceGame
{
protected:
    void PrepareData() override
    {
        folder.Write(kRampName, ColourTableFile([](int c, int i) { return 65535 - 200 * i - c; }));
        g_Config.mouseCursorMode = 3, g_Config.hardwareCursor = 1;
    }
};

// Every game font comes from the language's own font folder.
class DeviceWithFonts : public DeviceGame
{
protected:
    void PrepareData() override
    {
        g_Config.languageFolder = "Test\\";
        const std::vector<uint8_t> font = BuildFont(FontLayout{});
        for (const char* name : {"old1", "old1-small", "small-numbers", "hint1", "hint2", "main-menu1"})
            folder.Write(std::string("Fonts/Test/") + name + ".fnt", std::string(font.begin(), font.end()));
        AllocGlobalFonts();
    }
    void TearDown() override { DeviceGame::TearDown(), FreeGlobalFonts(); }
};

// A display of two full-screen modes, 800 x 600 in 32 bits and 640 x 480 in 16 bits, that notes every
// mode asked of it; its devices are the real ones, drawing into the test's window.
class TwoModeDisplay : public SysDevice3DFactory
{
public:
    explicit TwoModeDisplay(std::vector<uint32_t>& asked) : asked(asked), real(SysCreateDevice3DFactory()) {}
    uint32_t GetAdapterModeCount() override { return 2; }
    Sys3DResult EnumAdapterModes(uint32_t index, Sys3DDisplayMode& mode) override
    {
        asked.push_back(index);
        mode = index == 0 ? Sys3DDisplayMode{800, 600, Sys3DFormat::X8R8G8B8}
                          : Sys3DDisplayMode{640, 480, Sys3DFormat::R5G6B5};
        return Sys3DError::Ok;
    }
    Sys3DResult GetDeviceCaps(Sys3DCaps& caps) override { return real->GetDeviceCaps(caps); }
    Sys3DResult CreateDevice(void* nativeWindow, Sys3DPresentParams& params,
                             std::unique_ptr<SysDevice3D>& device) override
    {
        params.windowed = true;
        return real->CreateDevice(nativeWindow, params, device);
    }

private:
    std::vector<uint32_t>& asked;
    std::unique_ptr<SysDevice3DFactory> real;
};

// Full screen in the fixture's 64 x 64, which the display does not offer.
class DeviceWithoutTheConfiguredMode : public DeviceGame
{
protected:
    void PrepareData() override { g_Config.windowed = 0; game.direct3D = std::make_unique<TwoModeDisplay>(asked); }

    std::vector<uint32_t> asked;
};

// Every capability present, two texture stages.
Sys3DCaps FullCaps()
{
    Sys3DCaps caps;
    bool* flags[] = {&caps.hardwareCursor, &caps.immediatePresentInterval, &caps.hardwareRasterization,
                     &caps.hardwareTransformAndLight, &caps.pureDevice, &caps.cullCCW, &caps.cullNone,
                     &caps.anisotropicFiltering, &caps.edgeAntialiasing, &caps.dither, &caps.rangeFog,
                     &caps.tableFog, &caps.vertexFog, &caps.mipmapLodBias, &caps.zFog,
                     &caps.sourceBlendSrcAlpha, &caps.destBlendInvSrcAlpha, &caps.alphaGouraudBlend,
                     &caps.colourGouraudShade, &caps.fogGouraud, &caps.textureAlpha, &caps.textureMipmap,
                     &caps.texturePerspective, &caps.filterMagPoint, &caps.filterMinLinear,
                     &caps.filterMinPoint, &caps.filterMipLinear, &caps.filterMipPoint, &caps.addressClamp,
                     &caps.addressWrap, &caps.addressIndependentUV, &caps.textureOpAdd,
                     &caps.textureOpModulate, &caps.directionalLights};
    for (bool* flag : flags) *flag = true;
    caps.maxSimultaneousTextures = 2;
    return caps;
}

std::vector<std::string> Texts(const std::vector<CString>& lines)
{
    std::vector<std::string> out;
    for (const CString& line : lines) out.emplace_back(line.GetBuffer());
    return out;
}
using Mode = Sys3DDisplayMode;

constexpr Sys3DFormat k15 = Sys3DFormat::X1R5G5B5, k16 = Sys3DFormat::R5G6B5, k32 = Sys3DFormat::X8R8G8B8;
} // namespace

TEST_F(DeviceDrawing, ProjectionIsTheGamesOwnAGuardBandTurnsClippingOffAndBoxesCoverExactlyTheirPixels)
{
    Sys3DMatrix m;
    ASSERT_EQ(Sys3DError::Ok, Device().GetTransform(Sys3DTransform::Projection, m));
    EXPECT_EQ((std::vector<float>{1.4f, 0, 0, 0, 0, 1.6f, 0, 0, 0, 0, 1, 1, 0, 0, -1, 0}),
              std::vector<float>(&m.m[0][0], &m.m[0][0] + 16));
    EXPECT_EQ(1, ctrl.customStates);  // the controller's states come last
    EXPECT_TRUE(game.guardBandLeft == 0 && RenderState(Sys3DRenderState::Clipping) == 1u);   // the device has none

    game.guardBandLeft = -100000, game.SetupD3D8RenderStates();
    EXPECT_EQ(1u, RenderState(Sys3DRenderState::Clipping));
    game.guardBandLeft = -100001, game.SetupD3D8RenderStates();
    EXPECT_EQ(0u, RenderState(Sys3DRenderState::Clipping));
    game.BeginDraw(), GlobalFunc::DrawBox(30, 25, 10, 12, 0x00FF00);  // corners in either order
    const std::vector<uint32_t> pixels = Read();
    game.EndDraw();
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x)
            ASSERT_EQ(x >= 10 && x < 30 && y >= 12 && y < 25 ? 0x00FF00u : kBlack, pixels[size_t(y) * Side + size_t(x)])
                << x << "," << y;
    // An outline touches the edges and leaves the inside.
    game.BeginDraw(), GlobalFunc::DrawRect(10, 40, 30, 50, 0xFFFF00);
    for (auto [x, y] : {std::pair{20, 40}, {10, 45}, {30, 45}, {20, 50}})
        EXPECT_EQ(0xFFFF00u, Pixel(x, y)) << x << "," << y;
    EXPECT_EQ(kBlack, Pixel(20, 45));
    game.EndDraw();
    // Red at 128/255 over white: green and blue keep 127/255 of 255; then blending is off again.
    game.BeginDraw(), GlobalFunc::DrawBox(0, 0, 20, 20, 0xFFFFFF), GlobalFunc::DrawBox(5, 5, 15, 15, 0x80FF0000);
    EXPECT_TRUE(0u == RenderState(Sys3DRenderState::AlphaBlendEnable) && Near(0xFF7F7F, Pixel(10, 10)) &&
                0xFFFFFFu == Pixel(2, 2)) << std::hex << Pixel(10, 10);
    game.EndDraw();
}

TEST_F(DeviceFrame, NestedBeginDoesNotClearAndALostDeviceIsToldOnceThenReset)
{
    game.BeginDraw(), GlobalFunc::DrawBox(0, 0, 4, 4, 0x0000FF), game.BeginDraw();
    EXPECT_EQ(0x0000FFu, Pixel(1, 1));
    game.EndDraw();
    EXPECT_EQ(0, game.drawing);
    game.EndDraw(), game.BeginDraw();   // the second end has nothing to end
    EXPECT_EQ(kBlack, Pixel(1, 1));  // a new frame starts black
    game.EndDraw();
    const int32_t presented = game.fpsFrames;

    // Closing ends the wait for the window; nothing is presented.
    Device().NotifyWindowLost(), game.quit = 1, game.BeginDraw(), game.EndDraw();
    EXPECT_TRUE(std::vector<int32_t>{CD3D8Game::kDeviceLostKey} == ctrl.keys && presented == game.fpsFrames);

    // A reset device starts from the driver's defaults; the game's are back.
    game.quit = 0, ctrl.keys.clear(), Device().NotifyWindowRestored(), game.BeginDraw(), game.EndDraw();
    EXPECT_EQ(std::vector<int32_t>{CD3D8Game::kDeviceResetKey}, ctrl.keys);
    EXPECT_TRUE(2 == ctrl.customStates && 1u == RenderState(Sys3DRenderState::AlphaTestEnable) &&
                0u == RenderState(Sys3DRenderState::Lighting) && Sys3DError::Ok == Device().TestCooperativeLevel());

    ctrl.keys.clear(), game.resetRequested = 1, game.BeginDraw(), game.EndDraw();
    EXPECT_TRUE(0 == game.resetRequested && 3 == ctrl.customStates && 32u == RenderState(Sys3DRenderState::AlphaRef) &&
                ctrl.keys.empty());

    // While a reset keeps failing the messages are still handled: a close request ends the wait.
    game.presentParams.backBufferWidth = 0, Device().NotifyWindowLost(), Device().NotifyWindowRestored();
    std::raise(SIGTERM), game.BeginDraw(), game.EndDraw();
    EXPECT_TRUE(game.IsQuit() && Sys3DError::DeviceNotReset == Device().TestCooperativeLevel());
    game.Frame();   // the next frame lets go of the screen before it draws again
    EXPECT_TRUE(game.controller == nullptr && ctrl.frames == 0);
    std::signal(SIGINT, SIG_DFL), std::signal(SIGTERM, SIG_DFL);
}

TEST_F(DeviceFrame, CloseDuringTheLostDeviceWaitLetsGoOfTheDrawingScreenAfterItsCall)
{
    SwitchingCtrl menu;
    LoadingCtrl loading(game);
    menu.next = &loading, game.controller = &menu, game.Frame();
    EXPECT_EQ((std::vector<std::string>{"Init", "Init done", "Release"}), loading.calls);
    EXPECT_TRUE(nullptr == game.controller && game.IsQuit());
    std::signal(SIGINT, SIG_DFL), std::signal(SIGTERM, SIG_DFL);
}

// One pass of the pump takes a burst of keys and then one other message: the key after it waits.
TEST_F(DeviceFrame, OnePumpPassTakesABurstOfKeysAndOneOtherMessage)
{
    using window_test::Key;
    for (SysMessage message; game.window.PeekMessage(message);) {}
    for (SDL_Event event : {Key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a), Key(SDL_KEYDOWN, SDL_SCANCODE_B, SDLK_b),
                            window_test::Motion(5, 5), Key(SDL_KEYDOWN, SDL_SCANCODE_C, SDLK_c)})
        SDL_PushEvent(&event);
    game.PumpMessages();
    EXPECT_EQ(std::vector<int>({game.keys['A'], game.keys['B'], game.keys['C']}), std::vector<int>({1, 1, 0}));
    game.PumpMessages();
    EXPECT_EQ(game.keys['C'], 1);
}

TEST(CtrlGameDeviceKeys, F11AsksForAScreenshotAndALostDevicePauses)
{
    g_D3D8Game.screenShotRequested = 0, g_CtrlGame.onKeyDown(122);  // F11
    EXPECT_EQ(1, g_D3D8Game.screenShotRequested);
    // Without a device the frame's end drops the request.
    ASSERT_EQ(g_D3D8Game.device, nullptr);
    g_D3D8Game.BeginDraw(), g_D3D8Game.EndDraw();
    g_CtrlGame.onKeyDown(121);  // F10 is not it
    EXPECT_EQ(0, g_D3D8Game.screenShotRequested);

    // The lost device pauses and nothing unpauses.
    g_CtrlGame.paused = 0, g_CtrlGame.onKeyDown(1977);
    EXPECT_EQ(1, g_CtrlGame.paused);
    g_CtrlGame.onKeyDown(19771216);  // back again: still paused
    EXPECT_EQ(1, g_CtrlGame.paused);
    g_CtrlGame.paused = 0;
}

TEST_F(ScreenShotPicture, CapturesAreNumberedByTheFirstFreeNumberAndHoldTheCorrectedPictureWithTheMark)
{
    DrawScene();
    const std::string first = CScreenShot::FindFreeName(shots.Path().c_str()).GetBuffer();
    ASSERT_TRUE(shots.Path() + "V2KRN_Screen_000.tga" == first &&
                CScreenShot::Capture(Device(), game.colourTable, first.c_str())) << first;
    const std::string second = CScreenShot::FindFreeName(shots.Path().c_str()).GetBuffer();
    ASSERT_TRUE(shots.Path() + "V2KRN_Screen_001.tga" == second &&
                CScreenShot::Capture(Device(), game.colourTable, second.c_str())) << second;
    game.EndDraw();

    const std::vector<uint32_t> shot = ReadShot(second, Side);
    ExpectScene(shot);
    ASSERT_FALSE(HasFatalFailure());
    // The mark's top-left corner lies at (64 - 4 - 5, 64 - 3 - 5) = (55, 56).
    const auto at = [&shot](int x, int y) { return shot[size_t(y * Side + x)]; };
    EXPECT_EQ(0xFFFFFFFFu, at(58, 58));  // a full mask copies the white mark, alpha too
    EXPECT_TRUE(Near(0x808080, at(56, 57))) << std::hex << at(56, 57);  // mask 0x80
    for (auto [x, y] : {std::pair{55, 56}, {54, 56}, {59, 58}, {58, 59}})   // mask 0, and just outside the mark
        EXPECT_EQ(0x000000u, at(x, y)) << x << "," << y;
    EXPECT_EQ(ReadShot(first, Side), shot);

    // The first free number counts, holes included, up to 999.
    std::remove(first.c_str());
    EXPECT_EQ(first, CScreenShot::FindFreeName(shots.Path().c_str()).GetBuffer());
    for (int i = 0; i < 1000; ++i) shots.Write(std::string(CScreenShot::MakeName("", i).GetBuffer()), "x");
    EXPECT_STREQ("", CScreenShot::FindFreeName(shots.Path().c_str()).GetBuffer());
}

// The shot goes into the game's folder, a scratch folder here.
TEST_F(ScreenShotPicture, RequestedShotIsTakenAtTheEndOfTheFrameAndALostDeviceGivesAMessageInstead)
{
    SysFile::SetExecutableFolderForTests(shots.Path().c_str());
    const std::string expected = shots.Path() + "V2KRN_Screen_000.tga";
    DrawScene(), game.MakeScreenShot();
    EXPECT_FALSE(CScratchFolder::Exists(expected));
    game.EndDraw();
    ExpectScene(ReadShot(expected, Side));
    ASSERT_TRUE(0 == game.screenShotRequested && nullptr != g_MessageList && 1u == g_MessageList->GetLines().size());
    EXPECT_STREQ("Screen captured", g_MessageList->GetLines()[0].text);

    Device().NotifyWindowLost(), game.quit = 1;  // the quit ends the wait for the window
    DrawScene(), game.MakeScreenShot(), game.EndDraw();
    ASSERT_TRUE(!CScratchFolder::Exists(shots.Path() + "V2KRN_Screen_001.tga") &&
                2u == g_MessageList->GetLines().size());
    EXPECT_STREQ("Unable to capture the screen", g_MessageList->GetLines()[1].text);
    EXPECT_TRUE(0xFF0000u == g_MessageList->GetLines()[1].colour && 0 == game.screenShotRequested);
}

// Without a colour table the colours stay as they are; the working driver
// meets every requirement, and windowed mode lists the modes but checks none.
TEST_F(DeviceStartupLog, StepsOfTheStartUpAndTheShutDownComeInOrder)
{
    const std::vector<std::string> startUp = {
        "Initializing Direct3D8", "Getting available display modes", "Getting device capabilities",
        "Creating Direct3DDevice8", "Creating color correction table", "Setting up Direct3D8 Render states",
        "Setting up Direct3D8 texture stage states", "Setting up transformation matrices", "Creating Gamma ramp",
        "Initializing VertexBuffer", "Initializing Mouse cursors", "Creating Gamma ramp", "Initializing Audio",
        "Loading game fonts", "Loading game sounds", "Initializing game music", "Initializing volume control",
        "Initializing game timer", "Building technology tree", "Setting up game hints",
        "Initializing particle system", "Initializing game messages", "Initializing decoration objects",
        "Preloading finished"};
    EXPECT_TRUE(startUp == StepLines(log.Lines()) && CParticles::kDevicePoolSize == g_Particles.GetCapacity());
    EXPECT_TRUE(nullptr != g_MessageList && game.device.get() == GetD3DDevice() && game.presentParams.windowed);
    EXPECT_TRUE(!log.Contains("Your graphics hardware doesn't meet the requirements") && log.Contains(kRampMissing) &&
                !log.Contains("The selected screen resolution or color depth is not supported by your graphic hardware"));
    Sys3DGammaRamp ramp;
    ASSERT_EQ(Sys3DError::Ok, Device().GetGammaRamp(ramp));
    for (int i = 0; i < 256; ++i) ASSERT_EQ(i * 257, ramp.blue[i]) << i;

    log.Clear(), game.Shutdown();
    const std::vector<std::string> shutDown = {
        "Releasing technology resources", "Releasing game fonts", "Releasing mouse cursors",
        "Shutting down Direct3D8", "Releasing audio resources", "Shutting down Audio", "Releasing game timer",
        "Shutting down particle system", "Shutting down game messages",
        "All game resources have been released succesfuly"};
    EXPECT_TRUE(shutDown == StepLines(log.Lines()) && nullptr == GetD3DDevice() && !game.device);
    EXPECT_TRUE(nullptr == g_MessageList && 0 == g_Particles.GetCapacity());
    // A game ended by a fatal error between its start and its shut-down still lets go of its device; TearDown's
    // shut-down then releases what that game left.
    auto ended = std::make_unique<CD3D8Game>(&ctrl);
    ended->width = ended->height = Side, ended->bitsPerPixel = 32;
    ASSERT_TRUE(ended->window.Create("ended", 0, 0, Side, Side, false));
    ended->Init();
    ASSERT_TRUE(ended->device && GetD3DDevice() == ended->device.get());
    ended.reset();
    EXPECT_EQ(GetD3DDevice(), nullptr);
}

TEST_F(DeviceWithColourTableAndDriverCursor, TableAndBrightnessGoToTheDeviceAndTheCursorFallsBackToMono)
{
    EXPECT_FALSE(log.Contains(kRampMissing));
    Sys3DGammaRamp ramp;
    ASSERT_EQ(Sys3DError::Ok, Device().GetGammaRamp(ramp));
    EXPECT_TRUE(65534 == ramp.green[0] && (65535 - 200 * 255 - 2) == ramp.blue[255]);

    g_Config.brightness = 1.5f, game.SetGammaRamp(0, 0, 0), Device().GetGammaRamp(ramp);
    // Not applied yet.
    EXPECT_TRUE(65535 - 200 * 200 == ramp.red[200] && 65535 - 200 * 200 + 8192 == game.gammaRamp[0][200]);
    game.SetGammaRamp(0, 0, 1), Device().GetGammaRamp(ramp);
    EXPECT_EQ(65535 - 200 * 200 + 8192, ramp.red[200]);
    // The render states set again (after a reset) bring the ramp back as it is, without noise.
    uint16_t plain[3][256] = {};
    FrameDrawing::BuildGammaRamp(game.colourTable, 1.0f, 1.5f, 0, 0, plain);
    game.SetupD3D8RenderStates(), Device().GetGammaRamp(ramp);
    EXPECT_TRUE(std::ranges::equal(plain[0], ramp.red) && std::ranges::equal(plain[1], ramp.green) &&
                std::ranges::equal(plain[2], ramp.blue));

    Sys3DCaps caps;
    ASSERT_EQ(Sys3DError::Ok, game.direct3D->GetDeviceCaps(caps));
    if (caps.hardwareCursor) GTEST_SKIP() << "this driver has a cursor of its own";
    const std::vector<std::string> lines = log.Lines();
    const auto at = std::find(lines.begin(), lines.end(), "[ ] Hardware cursor");
    ASSERT_LT(at + 2, lines.end());
    EXPECT_TRUE("WARNING: There is no DirectX mouse cursor hardrdware support" == at[1] &&
                " Immediate present interval" == at[2].substr(3) && 0 == g_Config.mouseCursorMode &&
                0 == g_Config.hardwareCursor);
}

// Four pixels for a space and two between letters, but the main menu's 10 and 1.
TEST_F(DeviceWithFonts, EveryGameFontIsReadWithItsSpacing)
{
    std::vector<std::pair<int32_t, int32_t>> spacing;
    for (int i = 0; i < 6; ++i) spacing.emplace_back(GetGlobalFont(i)->spaceWidth, GetGlobalFont(i)->letterSpacing);
    EXPECT_EQ(spacing, (std::vector<std::pair<int32_t, int32_t>>{{4, 2}, {4, 2}, {4, 2}, {4, 2}, {4, 2}, {10, 1}}));
}

TEST_F(DeviceWithoutTheConfiguredMode, FallbackAsksForTheModesAgainAndTakesTheBestOne)
{
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 0, 1}), asked);
    const std::vector<std::string> lines = log.Lines();
    const auto first = std::find(lines.begin(), lines.end(), "--- Getting available display modes ---") + 1;
    const auto last = std::find(first, lines.end(), "--- Getting device capabilities ---");
    const std::vector<std::string> expected = {
        "800x600 32bit", "640x480 16bit",
        "The selected screen resolution or color depth is not supported by your graphic hardware",
        "Trying to find an better one", "OK, new video mode selected"};
    EXPECT_TRUE(expected == (std::vector<std::string>(first, last)) && 800 == game.width &&
                600 == g_Config.screenHeight && 32 == game.bitsPerPixel);
}

TEST(DeviceFatal, DeviceThatCannotBeMadeEndsWithTheReportAndCodeOne)
{
    // Forked as it is, so that the child writes its log into this folder.
    GTEST_FLAG_SET(death_test_style, "fast");
    CScratchFolder folder;
    EXPECT_EXIT(
        {
            g_Config.logging = 0;  // the report switches logging on itself
            g_Config.dataFolder = folder.Path().c_str();
            g_Config.windowed = 1;
            CD3D8Game game(nullptr);
            game.width = 0;  // no back buffer can be that narrow
            game.height = 64;
            game.bitsPerPixel = 32;
            if (game.window.Create("fatal test", 0, 0, 64, 64, false)) game.Init();
            std::exit(2);
        }, ::testing::ExitedWithCode(1), "Direct3D error: Caller:CD3D8Game::Init/4");
    const std::string log = CScratchFolder::ReadFile(folder / "Ravelin3.log");
    EXPECT_NE(std::string::npos, log.find("CD3D8Game::Init/4\r\nFatal D3D error- ErrorCode:1\r\nError description:"))
        << log;
}

TEST(DeviceStartupCaps, ReportHasOneLinePerCapabilityInOrderAndTruncatedLimits)
{
    Sys3DCaps caps = FullCaps();
    caps.pureDevice = caps.filterMipPoint = false;
    const std::vector<std::string> lines = Texts(DeviceStartup::CapabilityLines(caps));
    ASSERT_EQ(34u, lines.size());
    for (const auto& [at, line] : {std::pair{0, "[x] Hardware cursor"}, {1, "[x] Immediate present interval"},
                                   {4, "[ ] Pure device"}, {17, "[x] Alpha gouraud interpollation"},
                                   {20, "[x] Texture aplha chanel"}, {33, "[x] Directional lights"},
                                   {23, "[x] Texture filter [D3DPTFILTERCAPS_MAGFPOINT]"},
                                   {27, "[ ] Texture filter [D3DPTFILTERCAPS_MIPFPOINT]"},
                                   {30, "[x] IndependentUV texture addressing"},
                                   {32, "[x] Texture operation [D3DTEXOPCAPS_MODULATE]"}})
        EXPECT_EQ(line, lines[size_t(at)]);

    caps.guardBandLeft = -2047.9f, caps.guardBandTop = -1.5f, caps.guardBandRight = 2047.9f;
    caps.guardBandBottom = 0.0f, caps.maxTextureWidth = 4096, caps.maxTextureHeight = 2048;
    caps.maxSimultaneousTextures = 8, caps.maxPrimitiveCount = 1048575;
    const std::vector<std::string> expected = {
        "GuardBandLeft = -2047", "GuardBandTop = -1",      "GuardBandRight = 2047",
        "GuardBandBottom = 0",   "MaxTextureWidth = 4096", "MaxTextureHeight = 2048",
        "MaxSimultaneousTextures = 8", "Max primitive count = 1048575"};
    EXPECT_EQ(expected, Texts(DeviceStartup::LimitLines(caps)));
}

TEST(DeviceStartupCaps, RequirementsNameWhatIsMissingInOrder)
{
    EXPECT_STREQ("", DeviceStartup::MissingGraphicsRequirements(FullCaps()));
    // The capabilities the game does not need may be missing.
    Sys3DCaps caps = FullCaps();
    caps.hardwareCursor = caps.pureDevice = caps.anisotropicFiltering = caps.zFog = false;
    caps.filterMipLinear = caps.filterMipPoint = caps.addressIndependentUV = caps.directionalLights = false;
    EXPECT_STREQ("", DeviceStartup::MissingGraphicsRequirements(caps));
    // A single texture stage fails with multitexturing last.
    caps.maxSimultaneousTextures = 1, caps.dither = false;
    EXPECT_STREQ("Dithering not supported\nMultitexturing not supported\n",
                 DeviceStartup::MissingGraphicsRequirements(caps));
    EXPECT_STREQ("Hardware rasterization not supported\nPrimitive Cull CCW not supported\n"
                 "Primitive Cull None not supported\nDithering not supported\n"
                 "Source blend SRCALPHA not supported\nDestination blend INVSRCALPHA not supported\n"
                 "Alpha gouraud interpollation not supported\nGouraud shading not supported\n"
                 "Gouraud fog interpollation not supported\nTexture aplha chanel not supporetd\n"
                 "Texture mipmapping not supporetd\nPerspective texture mapping not supported\n"
                 "Texture filter [D3DPTFILTERCAPS_MAGFPOINT] not supported\n"
                 "Texture filter [D3DPTFILTERCAPS_MINFLINEAR] not supported\n"
                 "Texture filter [D3DPTFILTERCAPS_MINFPOINT] not supported\n"
                 "Clamp texture addressing not supported\nWrap texture addressing not supported\n"
                 "Texture operation [D3DTEXOPCAPS_ADD] not supported\n"
                 "Texture operation [D3DTEXOPCAPS_MODULATE] not supported\nMultitexturing not supported\n",
                 DeviceStartup::MissingGraphicsRequirements(Sys3DCaps{}));

    SysSound::Caps sound;
    sound.flags = SysSound::CapsPrimaryStereo | SysSound::CapsPrimary16Bit | SysSound::CapsSecondaryMono |
                  SysSound::CapsSecondary16Bit;
    EXPECT_STREQ("", DeviceStartup::MissingSoundRequirements(sound));
    sound.flags = SysSound::CapsPrimaryStereo | SysSound::CapsSecondaryStereo;
    EXPECT_STREQ("16-bit primary sound buffer is not supported\n16-bit secondary sound buffer is not supported\n"
                 "Mono sound buffer is not supported\n", DeviceStartup::MissingSoundRequirements(sound));
}

TEST(DeviceStartupColourTable, ChannelsAreReadLittleEndianRedGreenBlueAndAShortTableIsRefused)
{
    // Entry i of channel c is 1000 x (c + 1) + i; a byte after the table is not read.
    const std::string file = ColourTableFile([](int c, int i) { return 1000 * (c + 1) + i; }) + '\xAB';
    const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
    uint16_t table[3][256] = {};
    ASSERT_TRUE(DeviceStartup::ReadColourTable(bytes, file.size(), table));
    EXPECT_EQ((std::vector<int>{1000, 1255, 2017, 3255}),
              (std::vector<int>{table[0][0], table[0][255], table[1][17], table[2][255]}));

    EXPECT_TRUE(!DeviceStartup::ReadColourTable(bytes, 1535, table) &&
                !DeviceStartup::ReadColourTable(nullptr, 1536, table) && 2017 == table[1][17]);
    DeviceStartup::MakeIdentityColourTable(table);
    for (int channel = 0; channel < 3; ++channel)
        EXPECT_TRUE(table[channel][1] == 0x0101 && table[channel][255] == 0xFFFF) << channel;
}

TEST(DeviceStartupModes, ListingTableAndConfiguredModeTakeOnlySixteenAndThirtyTwoBitsAndFallbackTakesTheBest)
{
    EXPECT_STREQ("800x600 15bit", DeviceStartup::DescribeMode(Mode{800, 600, k15}));
    EXPECT_STREQ("1600x1200 32bit", DeviceStartup::DescribeMode(Mode{1600, 1200, k32}));
    EXPECT_STREQ("", DeviceStartup::DescribeMode(Mode{800, 600, Sys3DFormat::A8R8G8B8}));

    DeviceStartup::ModeSupportTable table = {};
    for (const Sys3DDisplayMode& mode : {Mode{1280, 1024, k16}, Mode{1280, 1024, k32}, Mode{1152, 864, k32},
                                         Mode{640, 480, k15}, Mode{800, 600, k32}})
        DeviceStartup::MarkModeSupport(mode, table);
    // Rows: 640x480, 800x600, 1024x768, 1280x1024, 1600x1200; columns 16, 32.
    const uint8_t expected[5][2] = {{0, 0}, {0, 1}, {0, 0}, {1, 1}, {0, 0}};
    for (int row = 0; row < 5; ++row)
        EXPECT_TRUE(expected[row][0] == table[row][0] && expected[row][1] == table[row][1]) << row;

    EXPECT_TRUE(DeviceStartup::IsConfiguredMode(Mode{1024, 768, k32}, 1024, 768, 32) &&
                !DeviceStartup::IsConfiguredMode(Mode{1024, 768, k32}, 1024, 768, 24) &&
                !DeviceStartup::IsConfiguredMode(Mode{1024, 768, k15}, 1024, 768, 15));
    // The six fall-back modes listed worst first, with others: each time the best one left is taken, then it goes.
    std::vector<Sys3DDisplayMode> modes = {Mode{1024, 768, k15}, Mode{1280, 1024, k32}, Mode{640, 480, k16},
                                           Mode{640, 480, k32},  Mode{800, 600, k16},    Mode{800, 600, k32},
                                           Mode{1024, 768, k16}, Mode{1024, 768, k32}};
    for (const auto& best : {std::vector<int32_t>{1024, 768, 32}, {1024, 768, 16}, {800, 600, 32}, {800, 600, 16},
                             {640, 480, 32}, {640, 480, 16}, {-1, -1, -1}, {-1, -1, -1}})
    {
        int32_t width = -1, height = -1, depth = -1;
        EXPECT_EQ(best[0] > 0, DeviceStartup::ChooseFallbackMode(modes, width, height, depth)) << modes.size();
        EXPECT_EQ(best, std::vector<int32_t>({width, height, depth}));
        modes.pop_back();
    }
}

// Over a table unlike the identity: entry i of channel c is 200 x i + c.
TEST(GammaRamp, GammaBrightnessAndStepScaleTheTableAndClamp)
{
    uint16_t table[3][256];
    for (int c = 0; c < 3; ++c) for (int i = 0; i < 256; ++i) table[c][i] = uint16_t(200 * i + c);
    const struct { float gamma, brightness; int32_t step, channel, entry, expected; } cases[] = {
        {1.0f, 1.0f, 0, 2, 17, 200 * 17 + 2},  // neutral: the table itself
        {1.0f, 2.0f, 0, 1, 100, 16384 + 200 * 100 + 1},  // a quarter added
        {1.0f, 2.0f, 0, 2, 255, 65535},  // 200 x 255 + 16384 is above the top
        // 0.9 x 16384 = 14745.6 taken off before truncation.
        {1.0f, 0.1f, 0, 0, 73, 0}, {1.0f, 0.1f, 0, 0, 100, 5254}, {1.0f, 0.1f, 0, 0, 255, 36254},
        // Low gamma scales from a tenth to nearly one: 0.1 x 1 truncates to 0,
        // (0.9 / 256 x 10 + 0.1) x 2000 = 270.3, (0.9 x 255 / 256 + 0.1) x 51000.
        {0.1f, 1.0f, 0, 1, 0, 0}, {0.1f, 1.0f, 0, 0, 10, 270}, {0.1f, 1.0f, 0, 0, 255, 50820},
        // The step rounds down and adds its share: 2000 -> 1536 + 2 x 10.
        {1.0f, 1.0f, 512, 0, 10, 1556},
    };
    for (const auto& c : cases)
    {
        uint16_t ramp[3][256] = {};
        FrameDrawing::BuildGammaRamp(table, c.gamma, c.brightness, 0, c.step, ramp);
        EXPECT_EQ(c.expected, ramp[c.channel][c.entry]) << c.gamma << " " << c.brightness << " " << c.entry;
    }

    // Noise stays within its range.
    GlobalFunc::SeedRandom(12345);
    uint16_t ramp[3][256] = {};
    FrameDrawing::BuildGammaRamp(table, 1.0f, 1.0f, 8, 0, ramp);
    const auto noise = [&](int i) { return int(ramp[0][i]) - int(table[0][i]); };
    for (int i = 1; i < 256; ++i) ASSERT_TRUE(noise(i) >= -8 && noise(i) < 8) << i << ": " << noise(i);
}

TEST(FrameRate, SixteenFramesInAWindowAfterSixtyGiveSixtyTwoAndAStallCatchesUpAWindowAFrame)
{
    // The first frame starts the window; 5250 is not past it yet; 62 = (60 + 4 x 16) / 2.  A stall catches up one
    // window a frame: (40 + 40) / 2, then (40 + 4) / 2.  The last comes 272 ms later across the tick wrap.
    const struct { uint32_t now; int32_t start, fps, frames, after[3]; } frames[] = {
        {5000, 0, 60, 0, {5000, 60, 1}},          {5250, 5000, 60, 15, {5000, 60, 16}},
        {5251, 5000, 60, 15, {5250, 62, 0}},      {2000, 1000, 40, 9, {1250, 40, 0}},
        {2001, 1250, 40, 0, {1500, 22, 0}},       {0x10, int32_t(0xFFFFFF00u), 0, 0, {int32_t(0xFFFFFF00u + 250u), 2, 0}}};
    for (const auto& f : frames)
    {
        int32_t start = f.start, fps = f.fps, count = f.frames;
        FrameDrawing::CountFrame(f.now, start, fps, count);
        EXPECT_EQ((std::vector<int32_t>{start, fps, count}), std::vector<int32_t>(f.after, f.after + 3)) << f.now;
    }
}
