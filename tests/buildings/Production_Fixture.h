#pragma once
// The production tests' world: the simulation harness with the game's
// factories, production's messages in a test language, and finished
// buildings that the fixture takes down again.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/C_Localizer.h"
#include "core/C_PtrGarbage.h"
#include "game/C_BuildingCommand.h"
#include "game/C_Selection.h"
#include "tests/support/SimHarness.h"
#include "world/C_GameMap.h"

class ProductionTest : public ::testing::Test
{
protected:
    static constexpr uint32_t Yellow = 0xFFFF00;
    static constexpr uint32_t Green = 0x00FF00;

    // Loaded before the harness makes the type records from them.
    struct STexts
    {
        STexts()
        {
            const std::string text = "MSG_PRODUCTIONFULL,\"Queue full\"\nMSG_NEEDMOREHOUSES,\"Build houses\"\n"
                                     "MSG_POPLIMITREACHED,\"No more people\"\nMSG_WOODNEEDED,\"Wood needed\"\n"
                                     "MSG_NOPLACEFORUNGARRKING,\"King cannot leave\"\n"
                                     "UN_MSG_WARRIOR,\"Warrior ready\"\nUN_MSG_TOWERARCHER,\"Archer ready\"\n"
                                     "TC_BUILDSPD_1,\"Fast building\"\nTC_TECHNOLOGY_RESEARCHED,\"%s researched\"\n";
            g_Localizer.LoadLocaleText("production", text.c_str(), static_cast<int>(text.size()));
        }
        ~STexts() { g_Localizer.Clear(); }
    };

    // 0 worker (40 wood, rate 0.5), 1 warrior (50 wood, 0.3), 2 archer (30
    // wood, 20 gold), 3 tower archer (50 wood, 30 gold, 0.3).
    const CUnitStats* Record(int32_t index) const { return &g_UnitStats[index]; }
    CPlayer& Player(int32_t index) { return m_Harness.Player(index); }

    CBuilding* Finished(int32_t cast, int32_t x, int32_t y, int32_t owner = 0)
    {
        CBuilding* building = Player(owner).CreateBuilding(cast, x, y);
        building->buildProgress = CBuilding::FinishedProgress;
        building->BuildingFinished();
        m_Made.push_back(building);
        return building;
    }
    // Two houses: room for ten people.
    void GiveHouses(int32_t owner = 0)
    {
        Finished(CastHouse, 40, 2, owner);
        Finished(CastHouse, 40, 6, owner);
    }
    // Blocks (or frees) every cell a unit of size 1 could step out to.
    static void BlockExits(const CBuilding& building, bool blocked)
    {
        for (int32_t i = building.x - 1; i <= building.x + building.GetWidth(); ++i)
            for (int32_t j = building.y - 1; j <= building.y + building.GetDepth(); ++j)
                if (g_GameMap.Block(i, j).building != &building)
                    g_GameMap.Block(i, j).blocked = blocked ? 1 : 0;
    }
    bool Panel(CBuilding& building, const CUnitStats* item, int32_t technology, int32_t cancelSlot, int32_t code)
    {
        g_BuildingCommand = {item, technology, cancelSlot, code};
        return building.OnPanelCommand();
    }
    std::vector<std::string> Texts(uint32_t colour) const
    {
        std::vector<std::string> texts;
        for (const CSimHarness::SMessage& message : m_Harness.Messages())
            if (message.colour == colour)
                texts.push_back(message.text);
        return texts;
    }

    void TearDown() override
    {
        for (CBuilding* building : m_Made)
            building->TakeDown(false);
        g_PtrGarbage.Flush();
        g_BuildingCommand.Clear();
        g_Selection.shiftDown = 0;
        g_Selection.pendingAction = g_Selection.pendingValue = 0;
        g_LocalPlayer = 0;
    }

    STexts m_Texts;
    CSimHarness m_Harness;
    std::vector<CBuilding*> m_Made;
};
