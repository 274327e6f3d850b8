// Starts that cannot succeed: the built game, started headless with logging
// off, must end with code 1 and say why in one line on standard error.

#include <gtest/gtest.h>

#include <functional>

#include "tests/lifecycle/Lifecycle_GameFolder.h"

using namespace lifecycle_test;

namespace
{
const char kLoggingOff[] = "LOGGING=OFF\r\nWINDOWEDMODE=ON\r\nRESOLUTION=640,480,32\r\n";

struct SFailedStart
{
    const char* what;
    std::function<void(CGameFolder&, CProcess&)> prepare;
    const char* errorLineStart;
};

void Pack(CGameFolder& folder)
{
    ASSERT_TRUE(folder.Pack());
}
}  // namespace

TEST(StartupFailures, EndWithCodeOneAndOneLineOnStandardErrorWhateverTheLogging)
{
    const SFailedStart cases[] = {
        {"full screen where the video driver offers no display modes",
         [](CGameFolder& folder, CProcess&) {
             Pack(folder);
             folder.SetConfig("LOGGING=OFF\r\n");   // the defaults: full screen
         },
         "Ironmarch: Unable to find an appropriate graphics mode"},
        {"no video device that can draw",
         [](CGameFolder& folder, CProcess& game) {
             Pack(folder);
             game.SetEnvironment("SDL_VIDEODRIVER", "dummy");
         },
         "Ironmarch: Unable to open the game window: "},
        {"no data file", [](CGameFolder&, CProcess&) {},
         "Ironmarch(tm): Datafile not found, check your configuration"},
        {"a damaged data file",
         [](CGameFolder& folder, CProcess&) {
             // The directory offset points far beyond the end of the file.
             std::ofstream(folder.GameFolder() + "v2krn.med", std::ios::binary) << "\xff\xff\xff\x7f" << "body";
         },
         "Ironmarch(tm): Error loading data file. The file might be corrupt"},
        {"a missing additional data file",
         [](CGameFolder& folder, CProcess&) {
             Pack(folder);
             folder.SetConfig(std::string(kLoggingOff) + "INCLUDE=absent.med\r\n");
         },
         "Ironmarch(tm): Additional datafile not found, check your configuration"},
        {"a locale file with a syntax error",
         [](CGameFolder& folder, CProcess&) {
             folder.SetDataFile("Locale/English/broken.txt", "UN_KING, \"King\"\r\nUN_GIANT \"Giant\"\r\n");
             Pack(folder);
         },
         "Falied to Initialize: Syntax error in locale file: \",\" Expected in "},
    };
    for (const SFailedStart& c : cases)
    {
        SCOPED_TRACE(c.what);
        CGameFolder folder;
        folder.SetConfig(kLoggingOff);
        CProcess game;
        c.prepare(folder, game);
        ASSERT_TRUE(folder.StartGame(game));
        EXPECT_EQ(1, game.Wait());
        const std::vector<std::string> lines = SplitLines(game.Errors());
        ASSERT_EQ(1u, lines.size()) << game.Errors();
        EXPECT_EQ(0u, lines[0].find(c.errorLineStart)) << lines[0];
        EXPECT_FALSE(folder.Exists("Ravelin3.log"));
    }
}
