#pragma once
// A small game to save and load: the simulation harness with walking warriors, the save language, and
// the controller's own globals (pause, timers, objectives, profiles, selection) put back after each
// test.  The last timer record carries a pattern no other section holds, so that tests find the
// controller's section in a save whose table they cannot measure.

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "buildings/C_BuildingCastTable.h"
#include "core/C_D3D8Game.h"
#include "effects/C_Particles.h"
#include "frontend/C_PlayerProfiles.h"
#include "game/C_CtrlGame.h"
#include "game/C_MissionObjectives.h"
#include "game/C_Selection.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/ReferenceBytes.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"

class SaveGameWorld : public ::testing::Test
{
protected:
    static constexpr int32_t MarkedTimer = CD3D8Game::kTimerCount - 1;
    static constexpr int32_t MarkReload = 0x5A5A5A5A;
    static constexpr int32_t MarkCounter = 0x3C3C3C3C;
    // Pause flag and sixteen records of enabled, reload and counter.
    static constexpr size_t ControllerBytes = 1 + 16 * 9;
    static constexpr int32_t KillingBlow = 100000;
    static constexpr TENUMDAMAGETYPE MeleeDamage = DAMAGE_BLADE;

    explicit SaveGameWorld(int32_t mapSide = CSimHarness::DefaultMapSide)
        : m_Harness(std::make_unique<CSimHarness>(mapSide))
    {
        SetPlayerServices(&m_Walkers);
        CSaveGameRun::UseSaveLanguage();
        std::copy(std::begin(g_D3D8Game.timers), std::end(g_D3D8Game.timers), std::begin(m_Timers));
        g_D3D8Game.timers[MarkedTimer] = CtrlTimer{1, MarkReload, MarkCounter};
    }

    ~SaveGameWorld() override
    {
        g_Selection.Clear();
        m_Harness.reset();
        std::copy(std::begin(m_Timers), std::end(m_Timers), std::begin(g_D3D8Game.timers));
        g_CtrlGame.paused = 0;
        // The objectives as built: a new record's section loaded over them.
        CMemorySaveStream built;
        CMissionObjectives().SaveGame(built);
        CMemorySaveStream reading(built.Bytes());
        g_MissionObjectives.LoadGame(reading);
        g_PlayerProfiles.Clear();
    }

    CSimHarness& World() { return *m_Harness; }

    void Play(int32_t frames)
    {
        for (int32_t frame = 0; frame < frames; ++frame)
            CSaveGameRun::Frame(World());
    }

    // Two warriors a side near each other, one walking off, a blacksmith, a dead warrior's corpse (played on
    // until it lies), a selected unit, a control group and a marker.
    void BuildSmallGame()
    {
        CUnit* doomed = World().Spawn(2, UNIT_WARRIOR, 30, 30);
        ASSERT_NE(doomed, nullptr);
        doomed->TakeHit(nullptr, KillingBlow, MeleeDamage, false);
        for (int32_t frame = 0; frame < 100 && g_Particles.GetCorpseCount() == 0; ++frame)
            CSaveGameRun::Frame(World());
        ASSERT_EQ(g_Particles.GetCorpseCount(), 1);
        for (const auto& [player, x, y] : {std::tuple{0, 10, 10}, {0, 10, 12}, {1, 12, 10}, {1, 12, 12}})
        {
            m_Units.push_back(World().Spawn(player, UNIT_WARRIOR, x, y));
            ASSERT_NE(m_Units.back(), nullptr);
        }
        m_Units[1]->onCommand(nullptr, nullptr, nullptr, 40, 40, CMD_MOVE_TO);
        ASSERT_NE(World().Player(0).CreateBuilding(CastBlacksmith, 20, 30), nullptr);
        g_Selection.AddUnit(m_Units[0], 0);
        m_Units[2]->controlGroup = 2;
        World().Player(1).controlGroupCounts[1] = 1;
        g_Particles.AddMinimapMarker(12, 10, 0xFF0000);
        g_MissionObjectives.gameFile = "Maps\\Small.world";
        Play(5);
    }

    // Where the controller's section starts in a save's payload.
    static size_t ControllerAt(const std::vector<uint8_t>& payload)
    {
        const std::string mark = "\x01" + LE32(uint32_t(MarkReload)) + LE32(uint32_t(MarkCounter));
        const auto found = std::search(payload.begin(), payload.end(), mark.begin(), mark.end());
        EXPECT_NE(found, payload.end());
        return size_t(found - payload.begin()) + mark.size() - ControllerBytes;
    }

    // The payload size of a new map's section: header, camera and water (108 bytes), the corner columns,
    // 22 bytes a block, the weather type and the eight setups, named "Player 1" and on by a new map.
    static size_t MapBytes(size_t side)
    {
        const size_t setups = 8 * (4 + std::string("Player 1").size() + 1 + 6 * 4 + 61 * 4 + 36 + 19 + 8);
        return 108 + (side + 1) * (side + 1) * 9 + side * side * 2 + side * side * 22 + 4 + setups;
    }

    CTestLog m_Log;
    std::vector<CUnit*> m_Units;

private:
    CSaveGameRun::CWalkerServices m_Walkers;
    std::unique_ptr<CSimHarness> m_Harness;
    CtrlTimer m_Timers[CD3D8Game::kTimerCount] = {};
};
