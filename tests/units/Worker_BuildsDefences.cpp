// A worker's defences through the whole simulation step, the world checked
// after every frame: a tower it builds is manned, trained up, shoots an
// enemy dead and, destroyed, leaves no sight and no archer behind; a trap
// it builds springs under the first enemy that steps on it; a tower it
// dismantles takes its archers and their sight along.

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingTower.h"
#include "buildings/C_BuildingTrap.h"
#include "effects/C_Particles.h"
#include "game/C_MissionObjectives.h"
#include "tests/units/Melee_World.h"
#include "tests/units/Tower_Shots.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_Worker.h"
#include "world/C_GameMap.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr int32_t TowerArcherRecord = 3;
constexpr int32_t CrushingDamage = 4;
constexpr int32_t Overwhelming = 1000000;
constexpr int32_t QuickBuildSpeed = 4;
// Where the builder goes, out of sight of the tower.
constexpr int32_t FarX = 44;
constexpr int32_t FarY = 44;

class WorkerBuildsDefences : public ::testing::Test
{
protected:
    void SetUp() override { g_Particles.Reset(); }
    void TearDown() override
    {
        EXPECT_EQ(game.firstFault, "");
        g_Particles.Reset();
        g_MissionObjectives.buildSpeed = CMissionObjectives::DefaultBuildSpeed;
    }
    // A fresh site of the player's, and a worker of its beside it told to build it.
    CBuilding* SiteWithBuilder(int32_t cast, int32_t x, int32_t y)
    {
        CBuilding* site = game.world.Player(0).CreateBuilding(cast, x, y);
        builder = game.Spawn(0, UNIT_WORKER, x - 2, y, STANCE_STAND_GROUND);
        if (site != nullptr && builder != nullptr)
            builder->onCommand(nullptr, site, nullptr, x, y, CMD_BUILD);
        return site;
    }
    // Strokes are the frames in which the build progress moved.
    int32_t StrokesUntilFinished(CBuilding* site, int32_t most)
    {
        int32_t strokes = 0;
        float last = site->buildProgress;
        const int32_t frames = game.FramesUntil(most, [&] {
            strokes += std::exchange(last, site->buildProgress) != site->buildProgress ? 1 : 0;
            return site->IsFinished();
        });
        return frames > 0 ? strokes : -1;
    }
    // Does any unit or projectile still name one of these?
    static bool AnythingNames(const std::vector<const CUnit*>& gone)
    {
        const auto named = [&gone](const CUnit* held) {
            for (const CUnit* one : gone)
                if (held == one)
                    return true;
            return false;
        };
        for (int32_t p = 0; p < MaxPlayers; ++p)
            for (int32_t i = 0; i < g_Players[p].unitCount; ++i)
            {
                const CUnit* unit = g_Players[p].units[i];
                if (named(unit) || named(unit->targetUnit) || named(unit->actionTargetUnit) ||
                    named(unit->attacker) || named(unit->followedUnit))
                    return true;
            }
        for (const CParticles::SProjectile& flying : g_Particles.GetProjectiles())
            if (named(flying.shooter) || named(flying.target))
                return true;
        return false;
    }

    CMeleeWorld game;
    CUnit* builder = nullptr;
};
}  // namespace

TEST_F(WorkerBuildsDefences, ATowerItBuildsShootsAnEnemyDeadAndDestroyedLeavesNoSightAndNoArcher)
{
    CPlayer& owner = game.world.Player(0);
    owner.wood = owner.stone = owner.gold = 1000;
    // A quick builder: the tower's many strokes are not what is looked at here.
    g_MissionObjectives.buildSpeed = QuickBuildSpeed;
    auto* tower = dynamic_cast<CBuildingTower*>(SiteWithBuilder(CastTower, 12, 12));
    ASSERT_TRUE(tower != nullptr && builder != nullptr);
    EXPECT_EQ(tower->archerCount, 0);
    ASSERT_GT(StrokesUntilFinished(tower, 20000), 0);
    EXPECT_EQ(tower->archerCount, 1);
    EXPECT_EQ(owner.towerArchers.GetCount(), 1);
    // The builder walks off so that the tower's sight stands alone.
    builder->onCommand(nullptr, nullptr, nullptr, FarX, FarY, CMD_MOVE_TO);

    ASSERT_TRUE(tower->EnqueueItem(&g_UnitStats[TowerArcherRecord]));
    ASSERT_TRUE(tower->EnqueueItem(&g_UnitStats[TowerArcherRecord]));
    ASSERT_GT(game.FramesUntil(3000, [&] { return tower->archerCount == 3; }), 0);
    EXPECT_EQ(owner.towerArchers.GetCount(), 3);

    const int32_t middleX = tower->GetSightCentreX();
    const int32_t middleY = tower->GetSightCentreY();
    ASSERT_NO_FATAL_FAILURE(ExpectTowerShootsAWarriorDead(game, *tower, owner));
    ASSERT_GT(game.FramesUntil(3000, [&] { return builder->x == FarX && builder->routeEnd == 0; }), 0);

    // A second enemy is struck and answers; the tower falls under it with
    // an arrow in flight.
    CUnit* second = game.Spawn(1, UNIT_WARRIOR, middleX, middleY + 6, STANCE_AGGRESSIVE);
    ASSERT_NE(second, nullptr);
    ASSERT_GT(game.FramesUntil(300, [&] { return second->health < CUnit::FullHealth; }), 0);
    ASSERT_GT(game.FramesUntil(100, [&] { return !g_Particles.GetProjectiles().empty(); }), 0);
    const std::vector<const CUnit*> archers(tower->archers, tower->archers + tower->archerCount);
    ASSERT_TRUE(AnythingNames(archers));
    tower->ApplyDamage(second, Overwhelming, CrushingDamage, true);
    ASSERT_TRUE(tower->IsTakenDown());
    EXPECT_EQ(tower->archerCount, 0);
    EXPECT_EQ(owner.towerArchers.GetCount(), 0);
    EXPECT_FALSE(AnythingNames(archers));
    const int32_t reach = tower->sightRange + 2;
    for (int32_t x = middleX - reach; x <= middleX + reach; ++x)
        for (int32_t y = middleY - reach; y <= middleY + reach; ++y)
            if (g_GameMap.IsOnMap(x, y))
            {
                EXPECT_EQ(owner.unitSightCounts[x * MapBlockSide + y], 0) << x << "," << y;
                EXPECT_EQ(owner.buildingSightCounts[x * MapBlockSide + y], 0) << x << "," << y;
            }
    // The arrow lands and the archers are deleted with the world still sound.
    game.FramesUntil(60, [] { return false; });
    EXPECT_TRUE(g_Particles.GetProjectiles().empty());
}

TEST_F(WorkerBuildsDefences, ATrapItBuildsAtItsRecordsRateSpringsUnderAnEnemy)
{
    auto* trap = dynamic_cast<CBuildingTrap*>(SiteWithBuilder(CastTrap, 20, 20));
    ASSERT_TRUE(trap != nullptr && builder != nullptr);
    const float stroke = trap->GetTypeRecord()->rate * static_cast<CUnitWorker*>(builder)->GetWorkRate();
    const auto expected = static_cast<int32_t>(std::ceil((CBuilding::FinishedProgress - trap->buildProgress) / stroke));
    EXPECT_EQ(StrokesUntilFinished(trap, 5000), expected);
    EXPECT_EQ(trap->model, CBuildingTrap::ArmedModel);
    EXPECT_EQ(g_GameMap.Block(20, 20).blocked, 0);

    CUnit* enemy = game.Spawn(1, UNIT_WARRIOR, 20, 24, STANCE_STAND_GROUND);
    ASSERT_NE(enemy, nullptr);
    enemy->onCommand(nullptr, nullptr, nullptr, 20, 16, CMD_MOVE_TO);
    ASSERT_GT(game.FramesUntil(500, [&] { return trap->IsSprung() || trap->IsTakenDown(); }), 0);
    EXPECT_EQ(enemy->x, 20);
    EXPECT_EQ(enemy->y, 20);
    EXPECT_TRUE(enemy->IsDying());
    EXPECT_EQ(game.world.Player(0).statistics[STAT_UNITS_KILLED], 1);
    EXPECT_EQ(g_GameMap.Block(20, 20).blocked, 1);
    ASSERT_GT(game.FramesUntil(2 * CBuildingTrap::SprungFrameCount, [&] { return trap->IsTakenDown(); }), 0);
    EXPECT_EQ(g_GameMap.Block(20, 20).building, nullptr);
    EXPECT_FALSE(builder->IsDying());
}

TEST_F(WorkerBuildsDefences, ATowerItDismantlesTakesItsArchersAndTheirSightAlong)
{
    CPlayer& owner = game.world.Player(0);
    auto* tower = dynamic_cast<CBuildingTower*>(owner.CreateBuilding(CastTower, 12, 12));
    ASSERT_NE(tower, nullptr);
    tower->Construct(0.0f, true);
    tower->SetArcherCount(3);
    const std::vector<const CUnit*> archers(tower->archers, tower->archers + tower->archerCount);
    const int32_t middle = tower->GetSightCentreX() * MapBlockSide + tower->GetSightCentreY();
    ASSERT_EQ(owner.unitSightCounts[middle], 3);
    builder = game.Spawn(0, UNIT_WORKER, 10, 12, STANCE_STAND_GROUND);
    ASSERT_NE(builder, nullptr);
    builder->onCommand(nullptr, tower, nullptr, 12, 12, CMD_DISMANTLE);
    ASSERT_GT(game.FramesUntil(3000, [&] { return !owner.HasBuilding(tower); }), 0);
    EXPECT_EQ(owner.towerArchers.GetCount(), 0);
    EXPECT_FALSE(AnythingNames(archers));
    // Only the worker beside it still sees the tower's middle.
    EXPECT_EQ(owner.unitSightCounts[middle], 1);
    game.FramesUntil(10, [] { return false; });
}
