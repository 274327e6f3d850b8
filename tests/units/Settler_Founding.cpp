// The settler founding a keep where it stands, or refused for want of room.

#include <utility>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/C_Localizer.h"
#include "tests/units/UnitWorld.h"
#include "units/C_Unit_Settler.h"
#include "world/C_GameMap.h"

namespace
{
class SettlerFounding : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_Localizer.Clear();
        const std::string text = "MSG_SETTLERBUILT,\"Built\"\nMSG_SETTLERNOPLACE,\"No place\"\n";
        ASSERT_TRUE(g_Localizer.LoadLocaleText("settler", text.c_str(), int(text.size())));
    }
    void TearDown() override { g_Localizer.Clear(); }

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

    CSimHarness world;
};
}  // namespace

// No room leaves the cart where it was and the player's counts alone; with room the keep stands under
// construction and the cart is gone without a corpse.
TEST_F(SettlerFounding, TheKeepStandsUnderConstructionAndTheCartIsGoneWithoutACorpseOrStaysForWantOfRoom)
{
    g_Config.networkRole = 1;
    CUnit* blocker = world.Spawn(0, UNIT_WARRIOR, 11, 12);
    CUnitSettler* settler = Settler(10, 10);
    const CPlayer& player = world.Player(0);
    const int32_t lost = player.statistics[STAT_BUILDINGS_LOST];
    const int32_t score = player.score;
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
    int32_t requests = 0;
    int32_t tornApartDeaths = 0;
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
    ExpectWorldSound(world);
}
