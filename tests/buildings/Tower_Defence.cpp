// A tower through the real simulation step: built by a worker, manned by its first archer and two
// trained ones, shooting an enemy warrior dead, then destroyed with an arrow still in flight.

#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingTower.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"

namespace
{
constexpr int32_t TowerX = 20;
constexpr int32_t TowerY = 20;
constexpr int32_t TowerArcherRecord = 3;

// An enemy warrior six blocks east of a manned tower's middle is shot dead,
// each arrow at least three ticks after the one before.
void ExpectTowerShootsAWarriorDead(CMeleeWorld& game, const CBuildingTower& tower, const CPlayer& owner)
{
    CUnit* enemy =
        game.Spawn(1, UNIT_WARRIOR, tower.GetSightCentreX() + 6, tower.GetSightCentreY(), STANCE_STAND_GROUND);
    ASSERT_NE(enemy, nullptr);
    std::vector<int32_t> shotTicks;
    int32_t tick = 0;
    ASSERT_GT(game.FramesUntil(3000, [&] {
        ++tick;
        while (static_cast<int32_t>(shotTicks.size()) < owner.statistics[STAT_ARROWS_SHOT])
            shotTicks.push_back(tick);
        return !enemy->IsAlive();
    }), 0);
    ASSERT_GE(shotTicks.size(), 3u);
    for (size_t i = 1; i < shotTicks.size(); ++i)
        EXPECT_GE(shotTicks[i] - shotTicks[i - 1], 3) << "shot " << i;
    EXPECT_EQ(owner.statistics[STAT_UNITS_KILLED], 1);
}
}  // namespace

TEST(TowerDefence, BuiltMannedTrainedItKillsAWarriorAndLeavesNothingBehindWhenDestroyed)
{
    CMeleeWorld game;
    g_Particles.Reset();
    CPlayer& owner = game.world.Player(0);
    owner.wood = owner.gold = owner.stone = 1000;
    auto* tower = dynamic_cast<CBuildingTower*>(owner.CreateBuilding(CastTower, TowerX, TowerY));
    ASSERT_NE(tower, nullptr);
    CUnit* worker = game.Spawn(0, UNIT_WORKER, TowerX - 2, TowerY, STANCE_STAND_GROUND);
    ASSERT_NE(worker, nullptr);
    worker->onCommand(nullptr, tower, nullptr, TowerX, TowerY, CMD_BUILD);
    ASSERT_GT(game.FramesUntil(20000, [&] { return tower->IsFinished(); }), 0);
    ASSERT_EQ(tower->archerCount, 1);
    EXPECT_EQ(owner.towerArchers.GetCount(), 1);
    const int32_t middleX = tower->GetSightCentreX();
    const int32_t middleY = tower->GetSightCentreY();

    // Two more archers, trained one after the other.
    ASSERT_TRUE(tower->EnqueueItem(&g_UnitStats[TowerArcherRecord]));
    ASSERT_TRUE(tower->EnqueueItem(&g_UnitStats[TowerArcherRecord]));
    ASSERT_GT(game.FramesUntil(2000, [&] { return tower->archerCount == 3; }), 0);
    EXPECT_EQ(owner.towerArchers.GetCount(), 3);

    // An enemy walks into sight six blocks from the tower's middle.
    ASSERT_NO_FATAL_FAILURE(ExpectTowerShootsAWarriorDead(game, *tower, owner));

    // A second enemy, struck, turns on the tower; the tower falls with the
    // next arrow in flight, which lands after its archer is gone.
    CUnit* second = game.Spawn(1, UNIT_WARRIOR, middleX, middleY + 6, STANCE_AGGRESSIVE);
    ASSERT_NE(second, nullptr);
    ASSERT_GT(game.FramesUntil(200, [&] { return second->health < CUnit::FullHealth; }), 0);
    EXPECT_EQ(second->targetBuilding, tower);
    ASSERT_GT(game.FramesUntil(60, [&] { return !g_Particles.GetProjectiles().empty(); }), 0);
    tower->Destroy(false);
    EXPECT_TRUE(owner.towerArchers.GetCount() == 0 && tower->archerCount == 0 && second->targetBuilding == nullptr);
    for (int32_t i = 0; i < 10; ++i)
        game.world.Frame(1);
    // Sight counts are those of the units alone; nothing names an archer.
    EXPECT_EQ(game.world.CheckInvariants(), std::vector<std::string>{});
}
