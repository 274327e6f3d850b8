// The docks: the coast rule for placing them (and a footprint off the map),
// the rings they send over the water with the ring phase in a saved game,
// and a ship ordered on the panel that leaves onto the water.

#include "tests/buildings/Production_Fixture.h"

#include <cstring>
#include <tuple>

#include "buildings/C_BuildingDocks.h"
#include "effects/C_Particles.h"
#include "game/C_BuildingPanel.h"
#include "tests/support/MemorySaveStream.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_ReferenceBase.h"

using DocksTest = ProductionTest;

TEST_F(DocksTest, TheCoastRuleCountsWaterAndShoreAndRefusesDryUnexploredOrOffMapBlocks)
{
    CBuildingDocks docks(0);
    g_Config.fogOfWar = 0;
    std::memset(Player(0).exploredMap, 255, sizeof(Player(0).exploredMap));
    // A 6 x 6 footprint at (10, 10), at the waterline (7) but `water` blocks
    // (9) from the last one and `shore` blocks (3) from the first; a dry
    // block (0) or an unexplored one at (12, 12) when asked.
    const struct
    {
        int32_t water, shore;
        bool dry, unexplored, checkExploration, placeable;
    } cases[] = {{7, 7, false, false, false, true}, {6, 30, false, false, false, false},
                 {7, 6, false, false, false, false}, {7, 7, true, false, false, false},
                 {7, 7, false, true, false, true},   {7, 7, false, true, true, false}};
    for (const auto& c : cases)
    {
        for (int32_t k = 0; k < 36; ++k)
            g_GameMap.Block(10 + k % 6, 10 + k / 6).waterLevel = k < c.shore ? 3 : (k >= 36 - c.water ? 9 : 7);
        g_GameMap.Block(12, 12).waterLevel = c.dry ? 0 : g_GameMap.Block(12, 12).waterLevel;
        Player(0).exploredMap[12 * MapCornerSide + 12] = c.unexplored ? 0 : 255;
        docks.x = docks.y = 10;
        EXPECT_EQ(docks.CanPlaceAt(0, 3, 1, c.checkExploration), c.placeable) << c.water << " " << c.shore;
    }
    const int32_t side = g_GameMap.GetWidth();
    for (const auto& corner : {std::make_pair(side - 3, 10), {10, side - 1}, {-2, 10}, {side + 40, -40}})
    {
        std::tie(docks.x, docks.y) = corner;
        EXPECT_FALSE(docks.CanPlaceAt(0, 0, 1, 1)) << corner.first << ", " << corner.second;
    }
}

TEST_F(DocksTest, EightRingsRiseEachTimeThePhasePassesOneAndThePhaseRoundTrips)
{
    CBuildingDocks docks(0);
    docks.x = docks.y = 10;
    g_Particles.ClearEffects();
    docks.Animate(34.0f);
    const std::vector<SEffectParticle>& rings = g_Particles.GetEffects();
    ASSERT_EQ(rings.size(), 8u);   // around the middle (13, 13), not on it
    EXPECT_EQ(std::vector<float>({rings[4].x, rings[4].y, rings[7].height}), std::vector<float>({13.0f, 15.5f, -2.0f}));
    CMemorySaveStream saved;
    docks.SaveGameExtra(saved, g_ReferenceBase);
    CBuildingDocks loaded(0);
    CMemorySaveStream reading(saved.Bytes());
    ASSERT_TRUE(loaded.LoadGameExtra(reading, g_ReferenceBase));
    EXPECT_NEAR(loaded.ringPhase, 0.02f, 1e-4f);
    // Not a number, 2.0, cut short: refused, the phase kept.
    for (const std::string& bytes : {std::string("\0\0\xC0\x7F", 4), std::string("\0\0\0\x40", 4), std::string(2, 0)})
    {
        CMemorySaveStream bad(bytes);
        EXPECT_FALSE(loaded.LoadGameExtra(bad, g_ReferenceBase));
        EXPECT_EQ(loaded.ringPhase, docks.ringPhase);
    }
}

TEST_F(DocksTest, ATransportShipOrderedOnThePanelLeavesOntoTheWater)
{
    for (int32_t k = 0; k < g_GameMap.GetWidth() * g_GameMap.GetHeight(); ++k)
        g_GameMap.Block(k % g_GameMap.GetWidth(), k / g_GameMap.GetWidth()).waterLevel = k % g_GameMap.GetWidth() >= 20 ? 9 : 0;
    GiveHouses();
    CBuilding* docks = Finished(CastDocks, 16, 10);
    Player(0).wood = Player(0).stone = Player(0).gold = 10000;
    Player(0).enabledUnitTypes[UNIT_TRANSPORTSHIP] = 1;   // as the map allows it
    CBuildingPanel::PositionToScreen(0, &g_BuildingPanel.mouseX, &g_BuildingPanel.mouseY);
    g_BuildingPanel.BeginFrame();
    docks->RenderPanelButtons();
    g_BuildingPanel.mouseX = g_BuildingPanel.mouseY = -1;
    ASSERT_TRUE(docks->OnPanelCommand());
    ASSERT_EQ(docks->queueCount, 1);
    CUnit* ship = nullptr;
    for (int32_t frame = 0; frame < 400 && ship == nullptr; ++frame)
    {
        m_Harness.Frame(10);
        for (int32_t i = 0; i < Player(0).unitCount; ++i)
            if (Player(0).units[i]->GetCastID() == UNIT_TRANSPORTSHIP && Player(0).units[i]->onMap)
                ship = Player(0).units[i];
    }
    ASSERT_NE(ship, nullptr);
    EXPECT_GE(ship->x, 20);   // its whole footprint on the water
    EXPECT_TRUE(m_Harness.CheckInvariants().empty());
}
