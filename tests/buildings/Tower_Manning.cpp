// A finished tower's archers: how many it holds, what they see, whom they
// choose, what they tell the other machines and whose they are after the
// tower changes hands.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingTower.h"
#include "core/C_Config.h"
#include "core/C_PtrGarbage.h"
#include "effects/C_Particles.h"
#include "game/C_BuildingPanel.h"
#include "net/C_UnitCommandOutbox.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/SimHarness.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_TowerArcher.h"
#include "world/C_GameMap.h"
#include "world/C_UnitStats.h"
#include "world/RangeTables.h"

namespace
{
constexpr int32_t Middle = 25;   // of the tower at (24, 24)
constexpr int32_t TowerArcherRecord = 3;
constexpr int32_t TrainIcon = 45;
constexpr int32_t RangeTechnology = 23;   // TC_RANGE_1
constexpr int32_t HostRole = 1;
constexpr int32_t ClientRole = 2;

class TowerManning : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CSaveGameRun::UseSaveLanguage();
        g_Particles.Reset();
        tower = dynamic_cast<CBuildingTower*>(world.Player(0).CreateBuilding(CastTower, Middle - 1, Middle - 1));
        ASSERT_NE(tower, nullptr);
        tower->Construct(0.0f, true);
        ASSERT_EQ(tower->archerCount, 1);
        archer = dynamic_cast<CUnitTowerArcher*>(tower->archers[0]);
    }
    // The blocks of the player's unit sight map that hold exactly `count`.
    static int32_t BlocksSeen(int32_t player, int32_t count)
    {
        int32_t blocks = 0;
        for (const uint8_t seen : g_Players[player].unitSightCounts)
            blocks += seen == count ? 1 : 0;
        return blocks;
    }
    static int32_t Seen(int32_t player) { return g_Players[player].unitSightCounts[Middle * MapBlockSide + Middle]; }

    CSimHarness world;
    CBuildingTower* tower = nullptr;
    CUnitTowerArcher* archer = nullptr;
};
}  // namespace

// Removing stops at one archer and adding at five; a removed archer waits,
// dead and off its owner's list, for deferred deletion.
TEST_F(TowerManning, ArcherCountStaysWithinOneToFiveAndSightFollowsIt)
{
    for (const auto& [wanted, held] : {std::pair{3, 3}, {3, 3}, {9, 5}, {0, 1}, {-7, 1}, {2, 2}})
    {
        tower->SetArcherCount(wanted);
        EXPECT_EQ(tower->archerCount, held) << wanted;
        EXPECT_EQ(world.Player(0).towerArchers.GetCount(), held) << wanted;
        EXPECT_EQ(Seen(0), held) << wanted;
        world.FlushDeleted();
    }
    CUnit* leaving = tower->archers[1];
    tower->RemoveArcher();
    tower->RemoveArcher();
    EXPECT_EQ(tower->archerCount, 1);
    EXPECT_EQ(g_PtrGarbage.FindUnit(0, leaving->uniqueId), leaving);
    EXPECT_FALSE(leaving->IsAlive());
    EXPECT_EQ(world.Player(0).FindTowerArcher(leaving->uniqueId), nullptr);
    tower->SetArcherCount(5);
    EXPECT_FALSE(tower->AddArcher(world.Player(0).NextUnitId(0)));
}

TEST_F(TowerManning, ARangeTechnologyRecountsEveryArchersSightWithTheNewRadius)
{
    tower->SetArcherCount(3);
    const int32_t before = tower->sightRange;
    world.Research(0, RangeTechnology);
    world.Player(0).OnTechnologyResearched(RangeTechnology);
    EXPECT_EQ(tower->sightRange, before + 1);
    EXPECT_EQ(BlocksSeen(0, 3), g_FilledDiscs[before + 1].count);
    EXPECT_EQ(BlocksSeen(0, 3) + BlocksSeen(0, 0), MapBlockCount);
}

TEST_F(TowerManning, AConvertedTowersArchersBelongToTheNewOwnerAndTheGameSavesAlike)
{
    tower->SetArcherCount(3);
    ASSERT_TRUE(tower->ConvertToPlayer(1, false));
    EXPECT_EQ(world.Player(0).towerArchers.GetCount(), 0);
    EXPECT_EQ(BlocksSeen(0, 0), MapBlockCount);
    EXPECT_EQ(Seen(1), 3);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(world.Player(1).FindTowerArcher(tower->archers[i]->uniqueId), tower->archers[i]);
    const std::vector<uint8_t> save = CSaveGameRun::SaveDrawn();
    ASSERT_TRUE(CSaveGameRun::Load(save));
    EXPECT_EQ(CSaveGameRun::SaveDrawn(), save);
}

// Four standing and one queued fill the five places.
TEST_F(TowerManning, TheTrainButtonShowsWhileStandingAndQueuedArchersAreFewerThanFive)
{
    world.Player(0).wood = world.Player(0).gold = 1000;
    tower->SetArcherCount(3);
    ASSERT_TRUE(tower->EnqueueItem(&g_UnitStats[TowerArcherRecord]));
    for (const auto& [standing, buttons] : {std::pair{3, 1}, {4, 0}})
    {
        tower->SetArcherCount(standing);
        g_BuildingPanel.BeginFrame();
        tower->RenderPanelButtons();
        const auto& shown = g_BuildingPanel.GetButtons();
        const auto isTrain = [](const SPanelButton& button) { return button.icon == TrainIcon; };
        EXPECT_EQ(static_cast<int>(std::count_if(shown.begin(), shown.end(), isTrain)), buttons) << standing;
    }
}

// Measured from the tower's middle to the enemy's centre, half a block
// beyond its tile: 2.5 blocks is too near, 10.5 too far for range 10.
TEST_F(TowerManning, AnEnemyOutsideTheRangeIsNeverChosen)
{
    for (const auto& [blocks, chosen] : {std::pair{2, false}, {3, true}, {9, true}, {10, false}})
    {
        CUnit* enemy = world.Spawn(1, UNIT_WARRIOR, Middle + blocks, Middle);
        ASSERT_NE(enemy, nullptr);
        archer->onIdle();
        EXPECT_EQ(archer->actionTargetUnit, chosen ? enemy : nullptr) << blocks;
        world.Delete(enemy);
    }
}

// The owner's machine tells the others of each choice (46) and of idleness
// (47); a remote copy learns of its target's leaving only by losing it, and
// then waits instead of shooting at nothing.
TEST_F(TowerManning, OnlyTheOwnerChoosesAndARemoteArcherWhoseTargetLeftShootsNothing)
{
    for (const int32_t localPlayer : {0, 1})
    {
        g_Config.networkRole = localPlayer == 0 ? HostRole : ClientRole;
        g_LocalPlayer = localPlayer;
        CUnit* enemy = world.Spawn(1, UNIT_WARRIOR, Middle + 6, Middle);
        ASSERT_NE(enemy, nullptr);
        g_UnitCommandOutbox.Clear();
        localPlayer == 0 ? archer->onIdle() : archer->SetTarget(enemy);
        archer->Animate(1);
        EXPECT_EQ(g_Particles.GetProjectiles().size(), 1u) << localPlayer;
        g_Particles.Reset();
        world.Delete(enemy);
        archer->Animate(40);
        EXPECT_TRUE(g_Particles.GetProjectiles().empty()) << localPlayer;
        EXPECT_EQ(archer->animType, ANIM_STAND) << localPlayer;
        std::vector<int32_t> told;
        for (const CUnitCommandOutbox::SCommand& sent : g_UnitCommandOutbox.GetSent())
            if (sent.unit == archer)
                told.push_back(sent.command);
        const std::vector<int32_t> byOwner = {CUnitCommandOutbox::CommandTowerArcherTarget,
                                              CUnitCommandOutbox::CommandTowerArcherIdle};
        EXPECT_EQ(told, localPlayer == 0 ? byOwner : std::vector<int32_t>()) << localPlayer;
    }
    g_LocalPlayer = 0;
}
