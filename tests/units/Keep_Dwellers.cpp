#include <algorithm>
#include <cstdlib>
#include <functional>
#include <utility>

#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingKeep.h"
#include "game/C_ObjectLinks.h"
#include "tests/units/UnitWorld.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_Unit_King.h"
#include "units/C_Unit_Settler.h"
#include "world/C_GameMap.h"

namespace
{
class KeepDwellers : public UnitWorldTest
{
protected:
    KeepDwellers() { UseTexts("MSG_KINGNOKEEP,\"No keep\"\nMSG_SETTLERBUILT,\"Built\"\nMSG_SETTLERNOPLACE,\"No place\"\n"); }

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

    CUnitSettler* Settler(int32_t x, int32_t y)
    {
        return static_cast<CUnitSettler*>(world.Spawn(0, UNIT_SETTLER, x, y));
    }
    void Found(CUnitSettler* settler)
    {
        settler->onCommand(nullptr, nullptr, nullptr, settler->x, settler->y, CMD_FOUND_SETTLEMENT);
        world.Frame(1);
    }
    static const CBuilding* KeepAt(int32_t x, int32_t y) { return g_GameMap.Block(x, y).building; }
};
using KingShelter = KeepDwellers;
using SettlerFounding = KeepDwellers;
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

// No room leaves the cart where it was and the player's counts alone; with room the keep stands under
// construction and the cart is gone without a corpse.
TEST_F(SettlerFounding, TheKeepStandsUnderConstructionAndTheCartIsGoneWithoutACorpseOrStaysForWantOfRoom)
{
    g_Config.networkRole = 1;
    CUnit* blocker = world.Spawn(0, UNIT_WARRIOR, 11, 12);
    CUnitSettler* settler = Settler(10, 10);
    const CPlayer& player = world.Player(0);
    const int32_t lost = player.statistics[STAT_BUILDINGS_LOST], score = player.score;
    Found(settler);
    EXPECT_EQ(KeepAt(9, 9), nullptr);
    EXPECT_TRUE(settler->onMap && settler->x == 10 && settler->y == 10 && !settler->tornApart);
    ASSERT_FALSE(world.Messages().empty());
    EXPECT_TRUE(world.Messages().back().text == "No place" && world.Messages().back().colour == 0xFFFF00u);
    EXPECT_TRUE(player.statistics[STAT_BUILDINGS_LOST] == lost && player.score == score &&
                player.buildingsUnderConstruction[CastKeep] == 0);
    ExpectWorldSound(world);

    world.Delete(blocker);
    g_MultiplayerGame.ClearSent();
    Found(settler);
    const CBuilding* keep = KeepAt(9, 9);
    ASSERT_NE(keep, nullptr);
    EXPECT_TRUE(keep->GetBuildCast() == CastKeep && keep->x == 9 && keep->y == 9 && !keep->IsFinished() &&
                keep->model == 165);
    EXPECT_TRUE(world.Messages().back().text == "Built" && world.Messages().back().colour == 0xFFFFFFu);
    // The other machines learn of the keep by the placement request, of the
    // cart by its death with the torn-apart flag: no corpse is drawn.
    int32_t requests = 0, tornApartDeaths = 0;
    for (const CMultiplayer::SSentPacket& sent : g_MultiplayerGame.GetSent())
    {
        const CNetPacket& p = sent.packet;
        requests += p.Command() == CMultiplayerGame::CommandRequestPlaceBuilding && p.Value(0) == Ref(keep) &&
                    p.Value(1) == settler->player && p.Value(2) == CastKeep && p.Value(3) == 9 && p.Value(4) == 9 &&
                    sent.target == CMultiplayer::HostSlot;
        tornApartDeaths += p.Command() == CMultiplayerGame::CommandUnitDied && p.Value(1) == 1 &&
                           std::string(sent.label) == "Unit died";
    }
    EXPECT_TRUE(requests == 1 && tornApartDeaths == 1 && !settler->onMap);
    for (int32_t i = 0; i < 100 && world.Player(0).HasUnit(settler); ++i)
        world.Frame(1);
    EXPECT_TRUE(world.Player(0).unitCount == 0 && world.Player(0).statistics[STAT_BUILDINGS_LOST] == lost);
    // At the map's edges the footprint moves in: corner (0, 0), or 4 short of the far edges from the last tile.
    for (const auto& [tile, corner] : {std::pair{0, 0}, std::pair{g_GameMap.GetWidth() - 2, g_GameMap.GetWidth() - 4}})
    {
        Found(Settler(tile, tile));
        EXPECT_TRUE(KeepAt(corner, corner) != nullptr && KeepAt(corner, corner)->x == corner) << tile;
    }
}
