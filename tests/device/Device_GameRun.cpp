// The built game started headless with its real devices and stopped: the
// log shows every step of the device start-up and shut-down in order.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/device/Device_StepLines.h"
#include "tests/lifecycle/Lifecycle_GameFolder.h"

using namespace lifecycle_test;

namespace
{
std::vector<std::string> DeviceSteps(const std::vector<std::string>& lines)
{
    std::vector<std::string> steps;
    bool inside = false;
    for (const std::string& line : lines)
    {
        inside = inside || line == "--- Initializing Direct3D8 ---";
        if (inside && line.rfind("---", 0) == 0)
            steps.push_back(line);
        if (line == device_test::ShutDownStepLines().back())
            break;
    }
    return steps;
}

size_t CountCapabilityLines(const std::vector<std::string>& lines)
{
    size_t count = 0;
    for (const std::string& line : lines)
        if (line.rfind("[x] ", 0) == 0 || line.rfind("[ ] ", 0) == 0)
            ++count;
    return count;
}

std::vector<std::string> RunAndStop(CGameFolder& folder)
{
    CProcess game;
    EXPECT_TRUE(folder.StartGame(game));
    EXPECT_TRUE(folder.WaitUntilRunning(game)) << game.Errors();
    EXPECT_EQ(0, game.Terminate()) << game.Errors();
    return SplitLines(folder.Log());
}
} // namespace

TEST(DeviceGameRun, LogHoldsEveryDeviceStepInOrderAndTheMissingColourTable)
{
    CGameFolder folder;
    ASSERT_TRUE(folder.Pack());
    const std::vector<std::string> lines = RunAndStop(folder);
    const std::vector<std::string>& shutDown = device_test::ShutDownStepLines();
    std::vector<std::string> expected = device_test::StartUpStepLines();
    expected.insert(expected.end(), shutDown.begin(), shutDown.end());
    EXPECT_EQ(expected, DeviceSteps(lines)) << folder.Log();
    EXPECT_EQ(34u, CountCapabilityLines(lines));
    EXPECT_EQ("End of game...", lines.back());
    // No colour table in this data file: said so, and the game ran all the same.
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Color correction table \"InGame\\GammaRamps\\default.ramp\" not found, "
                        "colors are not corrected"),
              lines.end());
}

TEST(DeviceGameRun, FullScreenWithoutAUsableModeEndsWithCodeOne)
{
    CGameFolder folder;
    folder.SetConfig("LOGGING=ON\r\nWINDOWEDMODE=OFF\r\nRESOLUTION=640,480,32\r\n");
    ASSERT_TRUE(folder.Pack());
    CProcess game;
    ASSERT_TRUE(folder.StartGame(game));
    const int code = game.Wait();
    const std::vector<std::string> lines = SplitLines(folder.Log());
    for (const std::string& line : lines)
        if (line.find("bit") != std::string::npos && line.find('x') != std::string::npos && line.size() < 16)
            GTEST_SKIP() << "this display lists full-screen modes: " << line;
    EXPECT_EQ(1, code) << game.Errors();
    const std::vector<std::string> expected = {
        "--- Getting available display modes ---",
        "The selected screen resolution or color depth is not supported by your graphic hardware",
        "Trying to find an better one", "Unable to find an appropriate graphics mode"};
    std::vector<std::string> tail;
    for (const std::string& line : lines)
        if (!tail.empty() || line == expected[0])
            tail.push_back(line);
    EXPECT_EQ(expected, tail) << folder.Log();
    EXPECT_EQ("LOGGING=ON\r\nWINDOWEDMODE=OFF\r\nRESOLUTION=640,480,32\r\n", folder.Read("v2krn.cfg"));
}
