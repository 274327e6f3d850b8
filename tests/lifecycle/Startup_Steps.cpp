#include "core/C_Config.h"
#include "core/C_File.h"
#include "core/C_MemoryBlock.h"
#include "core/C_PtrGarbage.h"
#include "core/GlobalFunc.h"
#include "core/MAIN.h"
#include "media/C_ModelRecord.h"
#include "platform/SysCloseSignals.h"
#include "tests/lifecycle/Lifecycle_GameFolder.h"
#include "tests/platform/Child_Process.h"
#include "units/C_Unit.h"
#include "world/RangeTables.h"

TEST(StartupChecks, TheBuildVersionIsOnlyOurOwnHexadecimalOneAndOnlyTheWholeCommandLineMovesTheWindow)
{
    const struct { const char* text; EBuildVersionCheck result; } cases[] = {
        {"V2KRNVERSION:01010004QZV2004", EBuildVersionCheck::Valid},
        {"V2KRNVERSION:01010003QZV2004", EBuildVersionCheck::Mismatch},
        {"V2KRNVERSION:0101000A", EBuildVersionCheck::Mismatch},
        {"V2KRNVERSION:0101000a", EBuildVersionCheck::Mismatch},   // either case, and not ours
        {"V2KRNVERSION:0101000G", EBuildVersionCheck::Malformed},
        {"V2KRNVERSION:0101", EBuildVersionCheck::Malformed},
        {nullptr, EBuildVersionCheck::Malformed}};
    for (const auto& c : cases)
        EXPECT_EQ(c.result, CheckBuildVersion(c.text)) << (c.text ? c.text : "(null)");
    // The data versions read without a warning, compared whole and with case.
    const std::pair<const char*, bool> dataVersions[] = {
        {"1.1.0.4", true},  {"1.1.0", true},     {"1.1.0.1", true},     {"1.1.0.2", true},   {"1.1.0.3", true},
        {"1.1.0.5", false}, {"1.1.0.0", false},  {"1.1.0.4 ", false},   {"1.1.0.4\r\n", false}, {"", false}};
    for (const auto& [text, accepted] : dataVersions)
        EXPECT_EQ(accepted, IsAcceptedDataVersion(text)) << text;
    const struct { const char* line; bool client; int32_t x, y; } lines[] = {
        {"-client1", true, 800, 0}, {"-CLIENT2", true, 0, 600}, {"-Client3", true, 800, 600},
        {"", false, 0, 0},          {"-client2 x", false, 0, 0}, {"-client4", false, 0, 0},
        {"client1", false, 0, 0},   {"-client", false, 0, 0},   {nullptr, false, 0, 0}};
    for (const auto& c : lines)
    {
        int32_t x = -1;
        int32_t y = -1;
        EXPECT_EQ(c.client, GetClientPlacement(c.line, 800, 600, x, y)) << (c.line ? c.line : "(null)");
        EXPECT_TRUE(c.x == x && c.y == y);
    }
}

namespace
{
// A unit that notes in the log when it is finally deleted.
class NotingUnit : public CUnit
{
public:
    ~NotingUnit() override { g_Log.Write("unit deleted"); }
};

}  // namespace

TEST(StartupAndFreeGlobals, StartUpOnTheDemoDataBuildsTheTablesAndFreeingDeletesWaitingObjectsFirst)
{
    lifecycle_test::CGameFolder game;
    ASSERT_TRUE(game.LayOutDemoData());
    const CConfig config = g_Config;
    g_Config.dataFolder = game.GameFolder().c_str();
    g_Config.languageFolder = "English\\";
    const int objects = GlobalFunc::Get3DObjectRefs();
    Startup();

    // The 347 model slots, each with its 3-D object.
    EXPECT_TRUE(nullptr != GetGlobalModel(0) && nullptr != GetGlobalModel(346) && nullptr == GetGlobalModel(347));
    EXPECT_EQ(objects + 347, GlobalFunc::Get3DObjectRefs());
    // Line range 1: the border of a one-block footprint, a block of each side at a time.
    std::vector<std::pair<int, int>> line1;
    for (int i = 0; i < g_SquareBorders[1].count; ++i)
        line1.emplace_back(g_SquareBorders[1].entries[i].dx, g_SquareBorders[1].entries[i].dy);
    EXPECT_EQ(line1, (std::vector<std::pair<int, int>>{{-1, -1}, {1, -1}, {0, 1}, {-1, 0}, {0, -1}, {1, 0}, {1, 1},
                                                        {-1, 1}}));
    EXPECT_EQ(0, g_SquareBorders[0].count);

    CTestLog log;
    g_PtrGarbage.AddUnit(new NotingUnit);
    FreeGlobals();

    const std::vector<std::string> lines = log.Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_TRUE("Freeing global resources" == lines[0] && "unit deleted" == lines[1] &&
                "Globals freed" == lines.back());
    EXPECT_TRUE(0 == g_PtrGarbage.GetCount() && nullptr == GetGlobalModel(0) &&
                objects == GlobalFunc::Get3DObjectRefs());
    EXPECT_EQ(28u, CScratchFolder::ReadFile(game.GameFolder() + "players.prf").size());

    ShutdownFileSystem();
    g_Config = config;
    g_MemoryBlock.Init(CMemoryBlock::DefaultGrowStep);
}

// Where a display exists the box waits for someone to close it: the line on standard error must come
// first.  With an X display that cannot be reached, the failed box writes its own lines after it.
TEST(StartupFailureReport, TheLineOnStandardErrorComesBeforeTheBox)
{
    const std::string driver = std::getenv("SDL_VIDEODRIVER") ? std::getenv("SDL_VIDEODRIVER") : "offscreen";
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("DISPLAY", ":9999", 1);
    testing::internal::CaptureStderr();
    ReportFatalError("Syntax error in locale file:\nbad", "Falied to Initialize");
    const std::string errors = testing::internal::GetCapturedStderr();
    setenv("SDL_VIDEODRIVER", driver.c_str(), 1);
    EXPECT_EQ(0u, errors.find("Falied to Initialize: Syntax error in locale file: bad\n")) << errors;
}

// A close request while the box of a fatal error waits for its OK ends the
// game at once: one signal, not a second one after an OK nobody gives.
TEST(StartupFailureReport, OneCloseSignalEndsAGameThatShowsItsFatalError)
{
    for (const int signal : {SIGINT, SIGTERM})
        EXPECT_EQ(128 + signal, child_test::RunInChild([signal] {
                      SysCloseSignals::Install();
                      ReportFatalError("Datafile not found, check your configuration", "Ironmarch(tm)");
                      raise(signal);
                      return 0;
                  }));
}
