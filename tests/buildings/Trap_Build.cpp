// A trap finished by strokes leaves its block open; sprung, every machine plays it
// out and destroys it without telling, and news of its end arriving after changes nothing.

#include "buildings/C_BuildingTrap.h"
#include "core/C_Config.h"
#include "net/C_UnitCommandOutbox.h"
#include "tests/buildings/Decoration_World.h"

using TrapBuild = CDecorationWorld;

TEST_F(TrapBuild, StrokesFinishItWithItsBlockOpenAndOnceSprungItLeavesOnceWhateverNewsFollows)
{
    g_Config.networkRole = 1;
    CBuilding* trap = world.Player(0).CreateBuilding(CastTrap, 12, 10);
    ASSERT_NE(trap, nullptr);
    while (trap->Construct(1.0f, false))
        EXPECT_TRUE(world.Messages().empty());
    ASSERT_EQ(world.Messages().size(), 1u);
    EXPECT_TRUE(world.Messages()[0].text == "BD_MSG_TRAP" && g_GameMap.Block(12, 10).blocked == 0);
    trap->Spring();
    g_UnitCommandOutbox.Clear();
    for (int32_t tick = 1; tick < 2 * CBuildingTrap::SprungFrameCount; ++tick)
        EXPECT_TRUE(trap->Animate(1.0f));
    EXPECT_FALSE(trap->Animate(1.0f));
    trap->Destroy(true);
    EXPECT_TRUE(g_Particles.GetRuinCount() == 1 && g_UnitCommandOutbox.GetSent().empty());
}
