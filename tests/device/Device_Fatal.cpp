// A drawing device that cannot be made ends the game with the fatal report.

#include <gtest/gtest.h>

#include <string>

#include "core/C_Config.h"
#include "core/C_D3D8Game.h"
#include "tests/support/ScratchFolder.h"

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
