#pragma once
// Open water with a two-block islet beside a transport ship.

#include <algorithm>

#include "core/C_Localizer.h"
#include "tests/units/UnitWorld.h"
#include "units/C_Unit_TransportShip.h"
#include "world/C_GameMap.h"

class TransportShip : public UnitWorldTest
{
protected:
    // The ship covers (10..12, 9..11); the islet is (13, 10) and (14, 10).
    static constexpr int32_t ShipX = 10;
    static constexpr int32_t ShipY = 9;
    static constexpr int32_t IsletY = 10;
    static constexpr int32_t WaterLevel = 9;

    void SetUp() override
    {
        g_Localizer.Clear();
        const std::string text = "MSG_TRANSPORTNOPLACE1,\"No place\"\n"
                                 "MSG_TRANSPORTNOPLACEALL,\"No place for all\"\n";
        ASSERT_TRUE(g_Localizer.LoadLocaleText("ship", text.c_str(), int(text.size())));
        for (int32_t bx = 0; bx < g_GameMap.GetWidth(); ++bx)
            for (int32_t by = 0; by < g_GameMap.GetHeight(); ++by)
                g_GameMap.Block(bx, by).waterLevel = WaterLevel;
        g_GameMap.Block(13, IsletY).waterLevel = 0;
        g_GameMap.Block(14, IsletY).waterLevel = 0;
    }
    void TearDown() override { g_Localizer.Clear(); }

    CUnitTransportShip* SpawnShip(int32_t player, int32_t x = ShipX, int32_t y = ShipY)
    {
        return static_cast<CUnitTransportShip*>(world.Spawn(player, UNIT_TRANSPORTSHIP, x, y));
    }

    // A warrior made off the map and taken aboard.
    CUnit* Board(CUnitTransportShip& ship)
    {
        CUnit* unit = world.Spawn(ship.player, UNIT_WARRIOR, -1, -1);
        if (unit == nullptr || !ship.AcceptGarrison(unit))
            return nullptr;
        return unit;
    }
    // A new ship of the player's with that many warriors aboard, or null.
    CUnitTransportShip* ShipCarrying(int32_t count, std::vector<CUnit*>& cargo, int32_t player = 0)
    {
        CUnitTransportShip* ship = SpawnShip(player);
        for (int32_t i = 0; ship != nullptr && i < count; ++i)
            cargo.push_back(Board(*ship));
        return ship == nullptr || std::count(cargo.begin(), cargo.end(), nullptr) > 0 ? nullptr : ship;
    }
};
