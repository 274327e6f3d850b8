#pragma once
// The application object started for real in a hidden 64 x 64 window with its drawing device, dummy
// sound, timer, stand-ins and start-up log; game files come from a scratch folder (see PrepareData).

#include <gtest/gtest.h>

#include "core/C_Config.h"
#include "core/C_Ctrl.h"
#include "core/C_D3D8Game.h"
#include "core/C_File.h"
#include "tests/platform/Device3D_Harness.h"
#include "tests/support/ReferenceBytes.h"
#include "tests/support/TestLog.h"

namespace device_test
{
// A controller that keeps the keys it gets and counts its custom states.
class KeyCtrl : public CCtrl
{
public:
    void onKeyDown(int32_t key) override { keys.push_back(key); }
    void onSetCustomRenderStates() override { ++customStates; }
    CCtrl* Run1Frame() override { return this; }

    std::vector<int32_t> keys;
    int customStates = 0;
};

// A colour table file: entry i of channel c made by the function, little-endian 16-bit entries, red, green, then blue.
template <typename Entry>
std::string ColourTableFile(Entry entry)
{
    std::string bytes;
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i)
            bytes += LE32(uint16_t(entry(c, i))).substr(0, 2);
    return bytes;
}

class DeviceGame : public ::testing::Test
{
protected:
    static constexpr int Side = 64;

    void SetUp() override
    {
        saved = g_Config;
        g_Config.screenWidth = g_Config.screenHeight = Side;
        g_Config.colourDepth = 32;
        g_Config.windowed = 1;
        g_Config.gamma = g_Config.brightness = 1.0f;
        g_Config.antialiasing = 0;
        PrepareData();
        InitDataFile(folder.Path().c_str(), 0);
        game.width = game.height = Side;
        game.bitsPerPixel = 32;
        ASSERT_TRUE(game.window.Create("device test", 0, 0, Side, Side, false)) << SysWindow::LastError();
        game.Init();
        ASSERT_TRUE(game.device);
    }

    void TearDown() override
    {
        game.Shutdown();
        game.window.Destroy();
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
} // namespace device_test
