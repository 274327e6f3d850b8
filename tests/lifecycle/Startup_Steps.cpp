#include <gtest/gtest.h>

#include "core/C_Config.h"
#include "core/C_LogFile.h"
#include "core/C_MemoryBlock.h"
#include "core/C_PtrGarbage.h"
#include "core/MAIN.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestLog.h"
#include "units/C_Unit.h"

TEST(StartupBuildVersion, AcceptsOnlyItsOwnHexadecimalVersion)
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
}

TEST(StartupClientPlacement, OnlyTheWholeCommandLineInAnyCaseMovesTheWindow)
{
    const struct { const char* line; bool client; int32_t x, y; } cases[] = {
        {"-client1", true, 800, 0}, {"-CLIENT2", true, 0, 600}, {"-Client3", true, 800, 600},
        {"", false, 0, 0},          {"-client2 x", false, 0, 0}, {"-client4", false, 0, 0},
        {"client1", false, 0, 0},   {"-client", false, 0, 0},   {nullptr, false, 0, 0}};
    for (const auto& c : cases)
    {
        int32_t x = -1;
        int32_t y = -1;
        EXPECT_EQ(c.client, GetClientPlacement(c.line, 800, 600, x, y)) << (c.line ? c.line : "(null)");
        EXPECT_EQ(c.x, x);
        EXPECT_EQ(c.y, y);
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

TEST(FreeGlobals, DeletesWaitingObjectsBeforeFreeingAnythingThenWritesTheProfiles)
{
    CScratchFolder folder;
    CTestLog log;
    const CString dataFolder = g_Config.dataFolder;
    g_Config.dataFolder = folder.Path().c_str();
    g_PtrGarbage.AddUnit(new NotingUnit);

    FreeGlobals();

    const std::vector<std::string> expected = {"Freeing global resources", "unit deleted", "Globals freed"};
    EXPECT_EQ(expected, log.Lines());
    EXPECT_EQ(0, g_PtrGarbage.GetCount());
    EXPECT_EQ(28u, CScratchFolder::ReadFile(folder / "players.prf").size());

    g_Config.dataFolder = dataFolder;
    g_MemoryBlock.Init(CMemoryBlock::DefaultGrowStep);
}
