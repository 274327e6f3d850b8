#include "tests/buildings/BuildingWorld.h"

#include "core/C_PtrGarbage.h"
#include "tests/support/MemorySaveStream.h"
#include "world/C_ReferenceBase.h"

void ExpectSavedExtra(CBuilding& object, const std::string& extra, const std::string& bad, const char* logged)
{
    CReferenceBase table;
    CMemorySaveStream in(extra), out, wrong(bad);
    ASSERT_TRUE(object.LoadGameExtra(in, table));
    object.SaveGameExtra(out, table);
    EXPECT_EQ(out.Bytes(), extra);
    CTestLog log;
    EXPECT_FALSE(object.LoadGameExtra(wrong, table));
    EXPECT_TRUE(logged == nullptr || log.Contains(logged)) << logged;
}

// Everything the test made leaves through the take-down, so that nothing
// is left for the map to free after the players are gone.
CBuildingWorld::~CBuildingWorld()
{
    for (CBuilding* building : m_Tracked) building->TakeDown(false);
    // Ruins and corpses hand their objects to deferred deletion.
    g_Particles.Reset(), g_PtrGarbage.Flush(), g_MultiplayerGame.ClearSent();
}

void CBuildingWorld::Flush()
{
    std::erase_if(m_Tracked, [](const CBuilding* building) { return building->IsTakenDown(); });
    g_PtrGarbage.Flush();
}

CBuilding* CBuildingWorld::Place(int32_t player, int32_t cast, int32_t x, int32_t y)
{
    CBuilding* building = Player(player).CreateBuilding(cast, x, y);
    return building != nullptr ? Track(building) : nullptr;
}

CBuilding* CBuildingWorld::PlaceFinished(int32_t player, int32_t cast, int32_t x, int32_t y)
{
    CBuilding* building = Place(player, cast, x, y);
    building->Construct(0.0f, true);
    return building;
}

CBuilding* CBuildingWorld::Make(int32_t player, int32_t cast, int32_t x, int32_t y)
{
    CBuilding* building = Player(player).CreateBuilding(cast, -1, -1);
    building->x = x, building->y = y;
    return Track(building);
}
