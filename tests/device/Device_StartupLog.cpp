// The start-up and shut-down of the real devices, read from the log, the
// colour correction table they load, and a device that cannot be made.

#include "effects/C_Particles.h"
#include "game/C_MessageList.h"
#include "media/D3DDevice.h"
#include "tests/device/DeviceGame.h"

using namespace device_test;

namespace
{
const char kRampName[] = "InGame/GammaRamps/default.ramp";
const char kRampMissing[] =
    "Color correction table \"InGame\\GammaRamps\\default.ramp\" not found, colors are not corrected";

std::vector<std::string> StepLines(const std::vector<std::string>& lines)
{
    std::vector<std::string> steps;
    for (const std::string& line : lines)
        if (line.rfind("---", 0) == 0)
            steps.push_back(line.substr(4, line.size() - 8));
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
        g_Config.mouseCursorMode = 3;
        g_Config.hardwareCursor = 1;
    }
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
        mode.width = index == 0 ? 800 : 640;
        mode.height = index == 0 ? 600 : 480;
        mode.format = index == 0 ? Sys3DFormat::X8R8G8B8 : Sys3DFormat::R5G6B5;
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
    void PrepareData() override
    {
        g_Config.windowed = 0;
        game.direct3D = std::make_unique<TwoModeDisplay>(asked);
    }

    std::vector<uint32_t> asked;
};

} // namespace

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
    ASSERT_NE(nullptr, g_MessageList);
    EXPECT_TRUE(game.device.get() == GetD3DDevice() && game.presentParams.windowed);
    EXPECT_FALSE(
        log.Contains("The selected screen resolution or color depth is not supported by your graphic hardware"));
    EXPECT_TRUE(!log.Contains("Your graphics hardware doesn't meet the requirements") && log.Contains(kRampMissing));
    Sys3DGammaRamp ramp;
    ASSERT_EQ(Sys3DError::Ok, Device().GetGammaRamp(ramp));
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(i * 257, ramp.blue[i]) << i;

    log.Clear();
    game.Shutdown();
    const std::vector<std::string> shutDown = {
        "Releasing technology resources", "Releasing game fonts", "Releasing mouse cursors",
        "Shutting down Direct3D8", "Releasing audio resources", "Shutting down Audio", "Releasing game timer",
        "Shutting down particle system", "Shutting down game messages",
        "All game resources have been released succesfuly"};
    EXPECT_TRUE(shutDown == StepLines(log.Lines()) && nullptr == GetD3DDevice() && !game.device);
    EXPECT_TRUE(nullptr == g_MessageList && 0 == g_Particles.GetCapacity());
    // A second shut-down (TearDown's) finds nothing left to release.
}

TEST_F(DeviceWithColourTableAndDriverCursor, TableAndBrightnessGoToTheDeviceAndTheCursorFallsBackToMono)
{
    EXPECT_FALSE(log.Contains(kRampMissing));
    Sys3DGammaRamp ramp;
    ASSERT_EQ(Sys3DError::Ok, Device().GetGammaRamp(ramp));
    EXPECT_TRUE(65534 == ramp.green[0] && (65535 - 200 * 255 - 2) == ramp.blue[255]);

    g_Config.brightness = 1.5f;
    game.SetGammaRamp(0, 0, 0);
    Device().GetGammaRamp(ramp);
    EXPECT_EQ(65535 - 200 * 200, ramp.red[200]);  // not applied yet
    EXPECT_EQ(65535 - 200 * 200 + 8192, game.gammaRamp[0][200]);
    game.SetGammaRamp(0, 0, 1);
    Device().GetGammaRamp(ramp);
    EXPECT_EQ(65535 - 200 * 200 + 8192, ramp.red[200]);

    Sys3DCaps caps;
    ASSERT_EQ(Sys3DError::Ok, game.direct3D->GetDeviceCaps(caps));
    if (caps.hardwareCursor)
        GTEST_SKIP() << "this driver has a cursor of its own";
    const std::vector<std::string> lines = log.Lines();
    const auto at = std::find(lines.begin(), lines.end(), "[ ] Hardware cursor");
    ASSERT_LT(at + 2, lines.end());
    EXPECT_TRUE("WARNING: There is no DirectX mouse cursor hardrdware support" == at[1] &&
                " Immediate present interval" == at[2].substr(3) && 0 == g_Config.mouseCursorMode);
    EXPECT_EQ(0, g_Config.hardwareCursor);
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
                600 == g_Config.screenHeight);
    EXPECT_EQ(32, game.bitsPerPixel);
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
            if (game.window.Create("fatal test", 0, 0, 64, 64, false))
                game.Init();
            std::exit(2);
        },
        ::testing::ExitedWithCode(1), "Direct3D error: Caller:CD3D8Game::Init/4");
    const std::string log = CScratchFolder::ReadFile(folder / "Ravelin3.log");
    EXPECT_NE(std::string::npos, log.find("CD3D8Game::Init/4\r\nFatal D3D error- ErrorCode:1\r\nError description:"))
        << log;
}
