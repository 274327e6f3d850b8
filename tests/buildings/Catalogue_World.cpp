#include "tests/buildings/Catalogue_World.h"

#include "buildings/C_BuildingDust.h"
#include "core/C_Config.h"
#include "effects/C_Particles.h"
#include "net/C_UnitCommandOutbox.h"
#include "world/C_Player.h"

CatalogueWorld::CatalogueWorld(int32_t mapSide) : m_World(mapSide)
{
    SetPlayerServices(&m_Services);
    g_BuildingDust.Clear();
    g_UnitCommandOutbox.Clear();
    g_Particles.Reset();
}

CatalogueWorld::~CatalogueWorld()
{
    g_Config.networkRole = 0;
    SetPlayerServices(&m_World.Services());
    g_BuildingDust.Clear();
    g_UnitCommandOutbox.Clear();
    g_Particles.Reset();
}

CBuilding* CatalogueWorld::Place(int32_t player, int32_t cast, int32_t x, int32_t y)
{
    CBuilding* building = m_World.Player(player).CreateBuilding(cast, x, y);
    if (building != nullptr)
        m_World.Track(building, true, true);
    return building;
}

CBuilding* CatalogueWorld::PlaceFinished(int32_t player, int32_t cast, int32_t x, int32_t y)
{
    CBuilding* building = Place(player, cast, x, y);
    if (building != nullptr)
    {
        building->Construct(0.0f, true);
        m_World.Find(building)->finished = true;
    }
    return building;
}

std::vector<int32_t> CatalogueWorld::Samples() const
{
    std::vector<int32_t> samples;
    for (const BuildingServices::SPlayed& played : m_Services.playedSamples)
        samples.push_back(played.sample);
    return samples;
}

void CatalogueWorld::SetNetworkRole(int32_t role)
{
    g_Config.networkRole = role;
}
