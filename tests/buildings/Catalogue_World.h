#pragma once
// The building world with what the buildings tell the local player
// recorded too: message lines, and the dust, markers and network commands
// cleared at the start.

#include <cstdint>
#include <string>
#include <vector>

#include "buildings/C_Building.h"
#include "tests/buildings/BuildingWorld.h"

class CatalogueServices : public BuildingServices
{
public:
    void AddMessage(const char* text, uint32_t colour) const override
    {
        messages.push_back({text != nullptr ? text : "", colour});
    }

    struct SLine
    {
        std::string text;
        uint32_t colour;
    };
    mutable std::vector<SLine> messages;
};

class CatalogueWorld
{
public:
    explicit CatalogueWorld(int32_t mapSide = 64);
    ~CatalogueWorld();

    BuildingWorld& World() { return m_World; }
    CPlayer& Player(int32_t index) { return m_World.Player(index); }
    const CatalogueServices& Services() const { return m_Services; }
    // A building of the cast placed at (x, y) for the player, tracked.
    CBuilding* Place(int32_t player, int32_t cast, int32_t x, int32_t y);
    // The same, finished at once.
    CBuilding* PlaceFinished(int32_t player, int32_t cast, int32_t x, int32_t y);
    // The samples played, in order.
    std::vector<int32_t> Samples() const;
    // Network role 0 single player, 1 host, 2 client; player 0 is local.
    void SetNetworkRole(int32_t role);

private:
    BuildingWorld m_World;
    CatalogueServices m_Services;
};
