// The start-up and shut-down of the real devices, read from the log, and
// the colour correction table they load.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "effects/C_Particles.h"
#include "game/C_MessageList.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3DFactory.h"
#include "tests/device/DeviceGame.h"
#include "tests/device/Device_StepLines.h"

using namespace device_test;

namespace
{
const char kRampName[] = "InGame/GammaRamps/default.ramp";
const char kRampMissing[] =
    "Color correction table \"InGame\\GammaRamps\\default.ramp\" not found, colors are not corrected";
const char kRampShort[] =
    "Color correction table \"InGame\\GammaRamps\\default.ramp\" is too short, colors are not corrected";

std::vector<std::string> StepLines(const std::vector<std::string>& lines)
{
    std::vector<std::string> steps;
    for (const std::string& line : lines)
        if (line.rfind("---", 0) == 0)
            steps.push_back(line);
    return steps;
}

// Entry i of channel c: 65535 - 200 x i - c (a falling table).
std::vector<uint16_t> FallingTable()
{
    std::vector<uint16_t> values;
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i)
            values.push_back(uint16_t(65535 - 200 * i - c));
    return values;
}

using DeviceStartupLog = DeviceGame;

class DeviceWithColourTable : public DeviceGame
{
protected:
    void PrepareData() override { folder.Write(kRampName, LE16Bytes(FallingTable())); }
};

class DeviceWithShortColourTable : public DeviceGame
{
protected:
    void PrepareData() override { folder.Write(kRampName, std::string(1535, '\x7F')); }
};
// MOUSECURSOR=D3D_HW asked of a device without a cursor of its own.
class DeviceWithDriverCursorAsked : public DeviceGame
{
protected:
    void PrepareData() override
    {
        g_Config.mouseCursorMode = 3;
        g_Config.hardwareCursor = 1;
    }
};

// A display of two full-screen modes, 800 x 600 in 32 bits and 640 x 480 in
// 16 bits, that notes every mode asked of it; its devices are the real ones,
// drawing into the test's window.
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

// No audio output can be opened: the sound driver named does not exist.
class DeviceWithoutSound : public DeviceGame
{
protected:
    void SetUp() override
    {
        const char* previous = std::getenv("SDL_AUDIODRIVER");
        savedDriver = previous != nullptr ? previous : "";
        setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
        DeviceGame::SetUp();
    }
    void TearDown() override
    {
        DeviceGame::TearDown();
        setenv("SDL_AUDIODRIVER", savedDriver.c_str(), 1);
    }

    std::string savedDriver;
};
} // namespace

TEST_F(DeviceWithoutSound, GameRunsSilentWithoutASoundDevice)
{
    EXPECT_TRUE(log.Contains("No sound device available, the game runs without sound"));
    EXPECT_EQ(nullptr, game.directSound);
    EXPECT_TRUE(log.Contains("--- Preloading finished ---"));
    game.BeginDraw();
    game.EndDraw();
    EXPECT_EQ(1, game.fpsFrames);
}

TEST_F(DeviceStartupLog, StepsOfTheStartUpComeInOrder)
{
    EXPECT_EQ(StartUpStepLines(), StepLines(log.Lines()));
    EXPECT_EQ(CParticles::kDevicePoolSize, g_Particles.GetCapacity());
    ASSERT_NE(nullptr, g_MessageList);
    EXPECT_TRUE(g_MessageList->GetLines().empty());
    EXPECT_EQ(game.device.get(), GetD3DDevice());
    // Windowed mode lists the modes but checks none.
    EXPECT_FALSE(log.Contains("The selected screen resolution or color depth is not supported by your graphic hardware"));
    EXPECT_TRUE(game.presentParams.windowed);
    // The working driver meets every requirement: no report of one.
    EXPECT_FALSE(log.Contains("Your graphics hardware doesn't meet the requirements"));
}

TEST_F(DeviceStartupLog, MissingColourTableLeavesColoursAsTheyAre)
{
    EXPECT_TRUE(log.Contains(kRampMissing));
    Sys3DGammaRamp ramp;
    ASSERT_EQ(Sys3DError::Ok, Device().GetGammaRamp(ramp));
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(i * 257, ramp.blue[i]) << i;
}

TEST_F(DeviceWithShortColourTable, ShortColourTableLeavesColoursAsTheyAre)
{
    EXPECT_TRUE(log.Contains(kRampShort));
    EXPECT_FALSE(log.Contains(kRampMissing));
    EXPECT_EQ(0xFFFF, game.colourTable[2][255]);
    EXPECT_EQ(0x0101, game.colourTable[0][1]);
}

TEST_F(DeviceWithColourTable, TableGoesToTheDeviceAndBrightnessWhenRebuilt)
{
    EXPECT_FALSE(log.Contains(kRampMissing));
    Sys3DGammaRamp ramp;
    ASSERT_EQ(Sys3DError::Ok, Device().GetGammaRamp(ramp));
    EXPECT_EQ(65534, ramp.green[0]);
    EXPECT_EQ(65535 - 200 * 255 - 2, ramp.blue[255]);

    g_Config.brightness = 1.5f;
    game.SetGammaRamp(0, 0, 0);
    Device().GetGammaRamp(ramp);
    EXPECT_EQ(65535 - 200 * 200, ramp.red[200]);  // not applied yet
    EXPECT_EQ(65535 - 200 * 200 + 8192, game.gammaRamp[0][200]);
    game.SetGammaRamp(0, 0, 1);
    Device().GetGammaRamp(ramp);
    EXPECT_EQ(65535 - 200 * 200 + 8192, ramp.red[200]);
}

TEST_F(DeviceStartupLog, ShutdownReleasesInOrderAndLetsGoOfTheDevice)
{
    log.Clear();
    game.Shutdown();
    EXPECT_EQ(ShutDownStepLines(), StepLines(log.Lines()));
    EXPECT_EQ(nullptr, GetD3DDevice());
    EXPECT_FALSE(game.device);
    EXPECT_EQ(nullptr, g_MessageList);
    EXPECT_EQ(0, g_Particles.GetCapacity());
    // A second shut-down (TearDown's) finds nothing left to release.
}

TEST_F(DeviceWithDriverCursorAsked, MissingDriverCursorFallsBackToMono)
{
    Sys3DCaps caps;
    ASSERT_EQ(Sys3DError::Ok, game.direct3D->GetDeviceCaps(caps));
    if (caps.hardwareCursor)
        GTEST_SKIP() << "this driver has a cursor of its own";
    const std::vector<std::string> lines = log.Lines();
    size_t at = 0;
    while (at < lines.size() && lines[at] != "[ ] Hardware cursor")
        ++at;
    ASSERT_LT(at + 2, lines.size());
    EXPECT_EQ("WARNING: There is no DirectX mouse cursor hardrdware support", lines[at + 1]);
    EXPECT_EQ(" Immediate present interval", lines[at + 2].substr(3));
    EXPECT_EQ(0, g_Config.mouseCursorMode);
    EXPECT_EQ(0, g_Config.hardwareCursor);
}

TEST_F(DeviceWithoutTheConfiguredMode, FallbackAsksForTheModesAgainAndTakesTheBestOne)
{
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 0, 1}), asked);
    std::vector<std::string> modeLines;
    bool inside = false;
    for (const std::string& line : log.Lines())
    {
        if (line == "--- Getting device capabilities ---")
            break;
        if (inside)
            modeLines.push_back(line);
        inside = inside || line == "--- Getting available display modes ---";
    }
    const std::vector<std::string> expected = {
        "800x600 32bit", "640x480 16bit",
        "The selected screen resolution or color depth is not supported by your graphic hardware",
        "Trying to find an better one", "OK, new video mode selected"};
    EXPECT_EQ(expected, modeLines);
    EXPECT_EQ(800, game.width);
    EXPECT_EQ(600, g_Config.screenHeight);
    EXPECT_EQ(32, game.bitsPerPixel);
}
