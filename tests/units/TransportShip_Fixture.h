#pragma once
// A harness world of open water with a two-block islet beside a transport
// ship, the texts of the ship's messages, and the network role and local
// player restored after each test.

#include <gtest/gtest.h>

#include <string>

#include "core/C_Config.h"
#include "core/C_Localizer.h"
#include "net/C_UnitCommandOutbox.h"
#include "tests/support/SimHarness.h"
#include "units/C_Unit_TransportShip.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"

class TransportShip : public ::testing::Test
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
        g_UnitCommandOutbox.Clear();
    }

    void TearDown() override
    {
        g_Config.networkRole = 0;
        g_LocalPlayer = 0;
        g_Localizer.Clear();
        g_UnitCommandOutbox.Clear();
    }

    CUnitTransportShip* SpawnShip(int32_t player)
    {
        return static_cast<CUnitTransportShip*>(world.Spawn(player, UNIT_TRANSPORTSHIP, ShipX, ShipY));
    }

    // A warrior made off the map and taken aboard.
    CUnit* Board(CUnitTransportShip& ship)
    {
        CUnit* unit = world.Spawn(ship.player, UNIT_WARRIOR, -1, -1);
        if (unit == nullptr || !ship.AcceptGarrison(unit))
            return nullptr;
        return unit;
    }

    int32_t CountSent(int32_t command) const
    {
        int32_t count = 0;
        for (const CUnitCommandOutbox::SCommand& sent : g_UnitCommandOutbox.GetSent())
            count += sent.command == command ? 1 : 0;
        return count;
    }

    void ExpectSound() const
    {
        const std::vector<std::string> faults = world.CheckInvariants();
        EXPECT_TRUE(faults.empty()) << (faults.empty() ? "" : faults.front());
    }

    CSimHarness world;
};
