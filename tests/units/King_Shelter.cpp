// The king in the simulated world: into a free keep of his own player, the message when there is none,
// out again when his keep falls or changes sides, and away from an enemy that hits him.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingKeep.h"
#include "core/C_Localizer.h"
#include "game/C_ObjectLinks.h"
#include "tests/support/SentPackets.h"
#include "tests/support/SimHarness.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_King.h"

namespace
{
class KingShelter : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_Localizer.Clear();
        const std::string text = "MSG_KINGNOKEEP,\"No keep\"\n";
        ASSERT_TRUE(g_Localizer.LoadLocaleText("king", text.c_str(), int(text.size())));
    }
    void TearDown() override
    {
        g_Config.networkRole = 0;
        g_Localizer.Clear();
        g_MultiplayerGame.ClearSent();
    }

    CBuildingKeep* Keep(int32_t player, int32_t x, int32_t y)
    {
        auto* keep = static_cast<CBuildingKeep*>(world.Player(player).CreateBuilding(CastKeep, x, y));
        keep->Construct(0.0f, true);
        return keep;
    }
    CUnitKing* King(int32_t player, int32_t x, int32_t y)
    {
        return static_cast<CUnitKing*>(world.Spawn(player, UNIT_KING, x, y));
    }
    // Frames until the king is inside a keep, at most `frames` of them.
    void WalkIn(CUnitKing* king, int32_t frames = 600)
    {
        king->onCommand(nullptr, nullptr, nullptr, king->x, king->y, CMD_ENTER_KEEP);
        for (int32_t i = 0; i < frames && king->keep == nullptr; ++i)
            world.Frame(1);
    }
    static const char* LinkFault() { return CObjectLinks().FindFault(); }

    CSimHarness world;
};
}  // namespace

TEST_F(KingShelter, TheKingWalksIntoAFreeKeepOfHisOwnAndEveryMachineTakesHimOffTheMap)
{
    g_Config.networkRole = 1;
    CBuildingKeep* keep = Keep(0, 20, 20);
    CUnitKing* king = King(0, 10, 10);
    g_MultiplayerGame.ClearSent();
    WalkIn(king);
    ASSERT_EQ(king->keep, keep);
    EXPECT_TRUE(keep->GetKing() == king && !king->onMap);
    const auto& sent = g_MultiplayerGame.GetSent();
    EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [king](const CMultiplayer::SSentPacket& command) {
        return command.packet.Command() == CMultiplayerGame::CommandUnitHidden && command.packet.Value(0) == Ref(king);
    }));
    EXPECT_TRUE(LinkFault() == nullptr && world.CheckInvariants().empty());

    // A keep holding another king is no shelter; only the local player is told.
    Keep(1, 20, 30);
    WalkIn(King(1, 10, 30));
    for (const int32_t player : {0, 1})
    {
        CUnitKing* second = King(player, 12, 12 + 20 * player);
        const size_t messages = world.Messages().size();
        WalkIn(second, 5);
        EXPECT_TRUE(second->keep == nullptr && second->onMap);
        EXPECT_EQ(world.Messages().size(), messages + (player == 0 ? 1 : 0)) << player;
    }
    EXPECT_TRUE(world.Messages().back().text == "No keep" && world.Messages().back().colour == 0xFFFF00u);
}

TEST_F(KingShelter, AKeepThatFallsOrChangesSidesLetsTheKingOutAndAStandingKingRunsOutOfSight)
{
    const std::function<void(CBuildingKeep&)> ends[] = {[](CBuildingKeep& keep) { keep.Destroy(true); },
                                                        [](CBuildingKeep& keep) { keep.Demolish(); },
                                                        [](CBuildingKeep& keep) { keep.ConvertToPlayer(1, false); }};
    for (int32_t row = 0; row < 3; ++row)
    {
        SCOPED_TRACE(row);
        const int32_t keepY = 4 + 10 * row;
        CBuildingKeep* keep = Keep(0, 20, keepY);
        CUnitKing* king = King(0, 18, keepY);
        WalkIn(king);
        ASSERT_EQ(king->keep, keep);
        ends[row](*keep);
        EXPECT_TRUE(king->keep == nullptr && keep->GetKing() == nullptr);
        ASSERT_TRUE(king->onMap && king->IsAlive());
        // Beside the footprint of 4 x 4 blocks.
        EXPECT_TRUE(king->x >= 19 && king->x <= 24 && king->y >= keepY - 1 && king->y <= keepY + 4);
        EXPECT_EQ(LinkFault(), nullptr);
        world.Frame(1);
        EXPECT_TRUE(world.CheckInvariants().empty());
    }
    CUnitKing* king = King(0, 20, 20);
    CUnit* enemy = world.Spawn(1, UNIT_WARRIOR, 22, 20);
    for (const int32_t anim : {ANIM_WALK, ANIM_STAND})
    {
        king->animType = anim;
        king->onAttacked(enemy, nullptr);
        EXPECT_EQ(king->currentCommand, anim == ANIM_WALK ? CMD_NONE : CMD_RUNAWAY);
    }
    world.Frame(1);
    ASSERT_TRUE(king->pathFlag && king->currentCommand == CMD_NONE);
    // He stays where the flight ends, out of the warrior's sight.
    world.Frame(620);
    EXPECT_FALSE(king->pathFlag);
    const int32_t blocks = std::max(std::abs(king->x - 22), std::abs(king->y - 20));
    EXPECT_TRUE(blocks >= enemy->GetSightRadius() && blocks <= 2 * enemy->GetSightRadius() + 1) << blocks;
}
