#include <gtest/gtest.h>

#include "core/C_Config.h"
#include "core/C_LogFile.h"
#include "core/C_MemoryBlock.h"
#include "core/C_PtrGarbage.h"
#include "core/MAIN.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestLog.h"
#include "units/C_Unit.h"

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
