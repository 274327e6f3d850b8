#include <algorithm>
#include <cmath>
#include <utility>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/GlobalFunc.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/OffsetRange.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/SentPackets.h"
#include "tests/support/TestLog.h"
#include "tests/units/Melee_World.h"
#include "units/C_Unit_Demon.h"
#include "world/C_GameMap.h"
#include "units/C_Unit_TowerArcher.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitMeleeType.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_ReferenceBase.h"

namespace
{
constexpr int32_t PostX = 10, PostY = 10;

constexpr int32_t RainOfHell = 52;
constexpr int32_t PriestAttack = 50;   // TC_PRIEST_ATT_1
constexpr int32_t Pyro = 54;           // TC_PYRO

// A demon of player 0 at (10, 10); its attack model long enough for the fireball's frame.
class DemonBattle : public ::testing::Test
{
protected:
    DemonBattle()
    {
        GetGlobalModel(102)->object.frameCount = 30;
        demon = static_cast<CUnitDemon*>(war.Spawn(0, UNIT_DEMON, 10, 10, STANCE_STAND_GROUND));
    }
    ~DemonBattle() override { g_Particles.Reset(); }

    static std::vector<int32_t> Effects(int32_t lowest, int32_t highest)
    {
        std::vector<int32_t> kinds;
        for (const SEffectParticle& effect : g_Particles.GetEffects())
            if (effect.kind >= lowest && effect.kind <= highest) kinds.push_back(effect.kind);
        std::sort(kinds.begin(), kinds.end());
        return kinds;
    }
    int32_t FramesToNextShot()
    {
        const int32_t& shots = war.world.Player(0).statistics[STAT_ARROWS_SHOT];
        return war.FramesUntil(200, [&shots, before = shots] { return shots > before; });
    }

    CMeleeWorld war;
    CUnitDemon* demon = nullptr;
};
}  // namespace

// The enemy 3 blocks off, or as far as a warrior sees (8) and one block further, where it is not answered
// until it strikes.
TEST(MeleeStance, OnlyAStandGroundUnitIgnoresAnIdleEnemyAnEnemyInSightAndAHit)
{
    const struct { int32_t stance, blocks; bool dies = false; } cases[] = {{STANCE_AGGRESSIVE, 3},
        {STANCE_DEFENSIVE, 3}, {STANCE_STAND_GROUND, 3}, {STANCE_AGGRESSIVE, 8}, {STANCE_AGGRESSIVE, 9},
        {STANCE_AGGRESSIVE, 3, true}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "stance " << c.stance << ", " << c.blocks << " blocks, dies " << c.dies);
        const bool fights = c.stance != STANCE_STAND_GROUND;
        const bool answers = fights && c.blocks <= 8, lives = !c.dies;
        CMeleeWorld melee;
        CUnit* guard = melee.Spawn(0, UNIT_WARRIOR, PostX, PostY, c.stance);
        // The enemy stands ground: it never starts anything itself.
        CUnit* enemy = melee.Spawn(1, UNIT_WARRIOR, PostX + c.blocks, PostY, STANCE_STAND_GROUND);
        EXPECT_EQ(guard->currentCommand == CMD_ATTACK, answers) << "idle";
        guard->Stop(), guard->currentCommand = CMD_NONE;
        if (c.dies)   // a dying patrol lies on the map still, but takes up no fight
            guard->RemoveFromWorld(false), guard->lastOrder = LAST_ORDER_PATROL;
        melee.world.Player(0).BroadcastToObjects(enemy);
        EXPECT_EQ(guard->currentCommand == CMD_ATTACK, answers && lives) << "sighted";
        guard->Stop(), guard->currentCommand = CMD_NONE, guard->TakeHit(enemy, 1, DAMAGE_BLADE, true);
        EXPECT_EQ(guard->attacker == enemy, fights && lives) << "hit";
        for (int32_t frame = 0; frame < 300; ++frame) melee.Frame();
        EXPECT_TRUE((enemy->health < CUnit::FullHealth) == (fights && lives));
    }
    // Every melee type takes up an enemy it finds idle, and one it is told it sees.
    for (const int32_t type : {UNIT_KNIGHT, UNIT_LIGHTCAVALRY, UNIT_HEAVYCAVALRY, UNIT_GIANT, UNIT_UNDEAD,
                               UNIT_HEROCAVALRY, UNIT_DEMOLISHMAN})
    {
        CMeleeWorld melee;
        CUnit* guard = melee.Spawn(0, type, PostX, PostY, STANCE_AGGRESSIVE);
        CUnit* enemy = melee.Spawn(1, UNIT_WARRIOR, PostX + 4, PostY, STANCE_STAND_GROUND);
        EXPECT_EQ(guard->currentCommand, CMD_ATTACK) << type << " idle";
        guard->Stop(), guard->currentCommand = CMD_NONE, melee.world.Player(0).BroadcastToObjects(enemy);
        EXPECT_EQ(guard->currentCommand, CMD_ATTACK) << type << " sighted";
    }
    // With no enemy unit in sight, an idle guard strikes an enemy building.
    CMeleeWorld melee;
    CBuilding* house = melee.world.Player(1).CreateBuilding(CastHouse, PostX + 4, PostY);
    CUnit* guard = melee.Spawn(0, UNIT_WARRIOR, PostX, PostY, STANCE_AGGRESSIVE);
    EXPECT_TRUE(house != nullptr && guard->currentCommand == CMD_ATTACK && guard->targetBuilding == house);
    // Resumed in the middle of a blow with its action pending, it stands ready for the action.
    guard->animType = ANIM_ATTACK, guard->orderState = 1, guard->ready = 0, guard->ResumeAction();
    EXPECT_TRUE(guard->animType == ANIM_STAND && guard->ready == 1 && guard->targetBuilding == house);
}

TEST(MeleeStance, ADefensiveGuardChasesNoFurtherThanItsSightKillsAndWalksBackToItsPost)
{
    for (const bool fleeing : {false, true})
    {
        SCOPED_TRACE(fleeing ? "the enemy runs off" : "the enemy stands");
        CMeleeWorld melee;
        CUnit* guard = melee.world.Spawn(0, UNIT_WARRIOR, PostX, PostY);
        const int32_t sight = guard->GetSightRadius();
        CUnit* enemy = melee.Spawn(1, UNIT_WARRIOR, PostX + (fleeing ? 2 : 5), PostY, STANCE_STAND_GROUND);
        if (fleeing)
        {
            // Along the row, faster than the guard.
            enemy->speed = guard->speed * 2.0f;
            enemy->onCommand(nullptr, nullptr, nullptr, PostX + 30, PostY, CMD_MOVE_TO);
        }
        else
        {
            enemy->health = 100.0f / enemy->GetMaxHitPoints() + 0.5f;   // the first blow kills
        }
        guard->stance = STANCE_DEFENSIVE, guard->Stop();
        EXPECT_TRUE(guard->lastOrder == LAST_ORDER_GUARD && guard->returnX == PostX && guard->returnY == PostY);
        ASSERT_EQ(guard->targetUnit, enemy);
        int32_t farthest = 0;
        const bool back = melee.FramesUntil(1500, [&] {
            farthest = std::max(farthest, GlobalFunc::Distance(guard->x, guard->y, PostX, PostY) / 10);
            return farthest > 0 && guard->x == PostX && guard->y == PostY && guard->animType == ANIM_STAND &&
                   guard->pathFlag == 0 && (fleeing || enemy->IsDying());
        }) > 0;
        EXPECT_TRUE(back) << "at " << guard->x << "," << guard->y << " command " << guard->currentCommand;
        // The leash pulls before a step beyond the sight; that step is taken.
        EXPECT_TRUE(farthest == (fleeing ? sight + 1 : 4) && guard->returnX == -1 && enemy->IsDying() == !fleeing)
            << farthest;
    }
}

// The catapult's scan reads the same band of its own sight circle and keeps the same leash.
TEST(MeleePatrol, APatrolScansOnlyTheOuterThreeBlocksOfItsSight)
{
    for (const int32_t type : {UNIT_WARRIOR, UNIT_CATAPULT})
    {
        SCOPED_TRACE(type);
        CMeleeWorld melee;
        // Standing ground: enemies coming into sight start nothing, the scan does.
        CUnit* patrol = melee.Spawn(0, type, PostX, PostY, STANCE_STAND_GROUND);
        const int32_t sight = patrol->GetSightRadius(), cx = patrol->GetCentreCellX(), cy = patrol->GetCentreCellY();
        ASSERT_NE(melee.Spawn(1, UNIT_WARRIOR, cx + sight - 4, cy, STANCE_STAND_GROUND), nullptr);
        patrol->onCommand(nullptr, nullptr, nullptr, 40, PostY, CMD_PATROL);
        bool engaged = false;
        patrol->SeekTargetOnPatrol(PostX, PostY + 1, &engaged);
        EXPECT_EQ(patrol->currentCommand, CMD_PATROL) << "an enemy nearer than the ring";
        CUnit* edge = melee.Spawn(1, UNIT_WARRIOR, cx, cy + sight - 3, STANCE_STAND_GROUND);
        patrol->SeekTargetOnPatrol(PostX, PostY + 1, &engaged);
        // It comes back to the patrol from where it left it, once a step would
        // take it beyond its sight from there; that step is still taken.
        EXPECT_TRUE(!engaged && patrol->currentCommand == CMD_ATTACK && patrol->targetUnit == edge &&
                    patrol->returnX == PostX && patrol->returnY == PostY);
        patrol->SeekTargetOnPatrol(PostX + sight, PostY, &engaged);
        EXPECT_TRUE(!engaged && patrol->currentCommand == CMD_ATTACK);
        patrol->SeekTargetOnPatrol(PostX + sight + 1, PostY, &engaged);
        EXPECT_TRUE(!engaged && patrol->currentCommand == CMD_PATROL && patrol->returnX == -1);
    }
}

// A patrol walks to its far end and back, and out again.
TEST(MeleePatrol, APatrolTurnsRoundAtEachEnd)
{
    for (const int32_t type : {UNIT_WARRIOR, UNIT_CATAPULT})
    {
        CMeleeWorld melee;
        CUnit* walker = melee.Spawn(0, type, 10, 10, STANCE_AGGRESSIVE);
        walker->onCommand(nullptr, nullptr, nullptr, 16, 10, CMD_PATROL);
        for (const int32_t end : {16, 10, 16})
            EXPECT_GT(melee.FramesUntil(800, [&] { return walker->x == end; }), 0) << type << " to " << end;
        EXPECT_EQ(walker->currentCommand, CMD_PATROL);
    }
}

TEST(MeleePatrol, AnEnemyOnTheNextTileIsStruckByAttackersAndComputerPlayersUnits)
{
    // Player 0 human, 1 computer.
    const struct { int32_t type, player, command, enemyY; bool strikes; } cases[] = {
        {UNIT_WARRIOR, 0, CMD_ATTACK, 10, true}, {UNIT_WARRIOR, 0, CMD_MOVE_TO, 10, false},
        {UNIT_WARRIOR, 1, CMD_MOVE_TO, 10, true},
        // Stepping east from (10, 10) the giant or the rider enters (12, 10) and (12, 11); a friend stands on the
        // other one (on (12, 10) when the enemy stands a row further south, off the way).
        {UNIT_GIANT, 1, CMD_PATROL, 10, true}, {UNIT_GIANT, 1, CMD_PATROL, 11, true},
        {UNIT_GIANT, 1, CMD_PATROL, 12, false}, {UNIT_LIGHTCAVALRY, 1, CMD_PATROL, 11, true},
        {UNIT_LIGHTCAVALRY, 1, CMD_PATROL, 12, false}};
    for (const auto& row : cases)
    {
        CMeleeWorld melee;
        melee.world.Player(1).type = PLAYER_COMPUTER;
        const bool wide = row.type != UNIT_WARRIOR;
        const int32_t enemyX = wide ? 12 : 11;
        CUnit* walker = melee.Spawn(row.player, row.type, 10, 10, STANCE_STAND_GROUND);
        CUnit* enemy = melee.Spawn(2, UNIT_WARRIOR, enemyX, row.enemyY, STANCE_STAND_GROUND);
        if (wide) melee.Spawn(row.player, UNIT_WARRIOR, 12, row.enemyY == 10 ? 11 : 10, STANCE_STAND_GROUND);
        walker->currentCommand = row.command;
        bool engaged = false;
        walker->SeekTargetOnPatrol(11, 10, &engaged);
        EXPECT_TRUE((row.type != UNIT_GIANT || walker->model == (row.strikes ? 98 : 96)) && engaged == row.strikes &&
                    (walker->animType == ANIM_ATTACK) == engaged && (walker->actionTargetUnit == enemy) == engaged)
            << row.type << " command " << row.command << " enemy " << row.enemyY;
    }
}

// Entering a free tile a rider raises 10 dust puffs 8 to 12 high, on a winter map 40 hoof puffs 4 to 6 high, each
// -0.5 to 0.49 blocks off its centre on both axes (here over 40 entries).
TEST(MeleePatrol, ARiderEnteringAFreeTileRaisesDustOrOnAWinterMapHoofPuffs)
{
    for (const auto& [theme, kind, count, low] : {std::tuple{0, CParticles::KindDust, 400u, 8.0f},
                                                  std::tuple{1, CParticles::KindHoofPuff, 1600u, 4.0f}})
    {
        CMeleeWorld melee;
        CUnit* rider = melee.Spawn(0, UNIT_LIGHTCAVALRY, 10, 10, STANCE_STAND_GROUND);
        bool engaged = true;
        g_GameMap.theme = theme, g_Particles.Reset();
        for (int32_t entry = 0; entry < 40; ++entry) rider->SeekTargetOnPatrol(11, 10, &engaged);
        SOffsetRange range;
        for (const SEffectParticle& puff : g_Particles.GetEffects())
            range.Add(puff.x - rider->centreX, puff.y - rider->centreY, puff.kind == kind ? puff.height : 0.0f);
        EXPECT_TRUE(!engaged && g_Particles.GetEffects().size() == count && range.low[2] == low &&
                    range.high[2] == 1.5f * low && std::abs(range.low[0] + 0.5f) < 1e-4f &&
                    std::abs(range.low[1] + 0.5f) < 1e-4f && std::abs(range.high[0] - 0.49f) < 1e-4f &&
                    std::abs(range.high[1] - 0.49f) < 1e-4f) << theme;
        g_GameMap.theme = 0;
    }
    // On a bed deeper than 8 it raises four splashes on the surface instead.
    for (const int32_t bed : {-9, -8})
    {
        CMeleeWorld melee;
        CUnit* rider = melee.Spawn(0, UNIT_LIGHTCAVALRY, 10, 10, STANCE_STAND_GROUND);
        for (int32_t corner = 0; corner < 25; ++corner) g_GameMap.CornerHeight(9 + corner / 5, 9 + corner % 5) = bed;
        bool engaged = true;
        g_Particles.Reset(), rider->SeekTargetOnPatrol(11, 10, &engaged);
        EXPECT_TRUE(CMeleeWorld::EffectsOfKinds(CParticles::KindWaterSplash, CParticles::KindWaterSplash) ==
                        (bed == -9 ? 4 : 0) && g_Particles.GetEffects().size() == (bed == -9 ? 4u : 10u) &&
                    (bed == -8 || g_Particles.GetEffects()[0].height == 0.0f)) << bed;
    }
}

// A walk ended short: a patrol or a guard's way back more than 3 blocks off tries again; a stopped attack just ends;
// else the archer waits for a target walking into a ship or building and the crossbowman never does: it stops.
TEST(MeleeMoveEnd, TheArcherWaitsForATargetWalkingInWhereTheCrossbowmanStops)
{
    enum { Ends, Stops, Kept, Waits, Seeks };   // Ends: command 0, the target kept; Seeks: waits to find a resource
    const struct { int32_t type, command, stopped, targetWalksIn, blocks, then; } cases[] = {
        {UNIT_ARCHER, CMD_ATTACK, 1, 1, 0, Ends},  {UNIT_CROSSBOWMAN, CMD_ATTACK, 1, 1, 0, Ends},
        {UNIT_ARCHER, CMD_ATTACK, 0, 1, 0, Waits}, {UNIT_CROSSBOWMAN, CMD_ATTACK, 0, 1, 0, Stops},
        {UNIT_ARCHER, CMD_GARRISON_SHIP, 1, 0, 0, Stops}, {UNIT_CROSSBOWMAN, CMD_GARRISON_SHIP, 1, 1, 0, Stops},
        {UNIT_WARRIOR, CMD_GARRISON_SHIP, 1, 1, 0, Waits}, {UNIT_ARCHER, CMD_PATROL, 0, 0, 4, Waits},
        {UNIT_CROSSBOWMAN, CMD_PATROL, 0, 0, 3, Kept},     {UNIT_CROSSBOWMAN, CMD_MOVE_TO_DEFENSE_POS, 1, 0, 4, Waits},
        {UNIT_CATAPULT, CMD_ATTACK, 0, 1, 0, Waits}, {UNIT_PRIEST, CMD_PATROL, 0, 0, 4, Kept},
        {UNIT_KING, CMD_GARRISON_SHIP, 0, 1, 0, Waits}, {UNIT_KING, CMD_GARRISON_SHIP, 0, 0, 0, Stops},
        {UNIT_KING, CMD_ENTER_KEEP, 0, 0, 0, Waits}, {UNIT_SETTLER, CMD_GARRISON_SHIP, 0, 0, 0, Stops},
        {UNIT_WORKER, CMD_GARRISON_SHIP, 0, 1, 0, Waits}, {UNIT_WORKER, CMD_GARRISON_SHIP, 0, 0, 0, Stops},
        {UNIT_WORKER, CMD_BUILD, 0, 0, 0, Stops}, {UNIT_WORKER, CMD_RETURN_GOODS, 0, 0, 0, Waits},
        {UNIT_WORKER, CMD_HARVEST, 0, 0, 0, Seeks}, {UNIT_GIANT, CMD_GARRISON_SHIP, 1, 1, 0, Waits},
        {UNIT_UNDEAD, CMD_GARRISON_SHIP, 1, 1, 0, Waits}, {UNIT_HEROCAVALRY, CMD_GARRISON_SHIP, 1, 1, 0, Waits},
        {UNIT_DEMON, CMD_GARRISON_SHIP, 1, 1, 0, Waits}, {UNIT_HEAVYCAVALRY, CMD_GARRISON_SHIP, 1, 1, 0, Waits}};
    for (const auto& row : cases)
    {
        CMeleeWorld war;
        CUnit* unit = war.Spawn(0, row.type, PostX, PostY, STANCE_STAND_GROUND);
        CUnit* target = war.Spawn(1, UNIT_WARRIOR, PostX + 9, PostY, STANCE_STAND_GROUND);
        target->currentCommand = row.targetWalksIn ? CMD_MOVE_TO_GARRISON : CMD_NONE;
        unit->currentCommand = row.command, unit->stopped = uint8_t(row.stopped), unit->targetUnit = target;
        unit->approachX = PostX + row.blocks, unit->approachY = PostY, unit->orderState = 0, unit->deadline = 0;
        unit->onMoveEnd();
        const bool waits = row.then >= Waits;
        EXPECT_EQ(std::tuple(unit->currentCommand, unit->orderState, unit->targetUnit == target, unit->deadline),
                  std::tuple(row.then <= Stops ? CMD_NONE : row.then == Seeks ? CMD_FIND_RESOURCE : row.command,
                             int(waits), row.then != Stops, waits ? CSimHarness::ClockStart + 500 : 0u)) << row.type;
    }
}

TEST(MeleeStance, AUnitHitWhileStrikingABuildingTurnsOnTheHitterUnlessStandingGroundAndOnlyTheWarriorForgetsItsAttacker)
{
    const struct { int32_t type, stance; bool turns, keepsAttacker; } cases[] = {
        {UNIT_WARRIOR, STANCE_STAND_GROUND, false, false}, {UNIT_KNIGHT, STANCE_STAND_GROUND, false, true},
        {UNIT_WARRIOR, STANCE_AGGRESSIVE, true, false}, {UNIT_KNIGHT, STANCE_AGGRESSIVE, true, false}};
    for (const auto& row : cases)
    {
        SCOPED_TRACE(testing::Message() << row.type << " stance " << row.stance);
        CMeleeWorld melee;
        CBuilding* house = melee.world.Player(1).CreateBuilding(CastHouse, PostX + 1, PostY);
        ASSERT_NE(house, nullptr);
        house->buildProgress = CBuilding::FinishedProgress, house->OnFinished();
        CUnit* striker = melee.Spawn(0, row.type, PostX - 1, PostY, row.stance);
        CUnit* earlier = melee.Spawn(1, UNIT_WARRIOR, PostX + 20, PostY + 20, STANCE_STAND_GROUND);
        CUnit* hitter = melee.Spawn(1, UNIT_WARRIOR, PostX - 1, PostY + 2, STANCE_STAND_GROUND);
        ASSERT_TRUE(striker != nullptr && earlier != nullptr && hitter != nullptr);
        striker->actionTargetUnit = earlier;   // from an earlier fight: dropped when the house is reached
        striker->onCommand(nullptr, house, nullptr, house->x, house->y, CMD_ATTACK);
        ASSERT_GT(melee.FramesUntil(200, [&] {
            return striker->actionTargetBuilding == house && striker->actionTargetUnit == nullptr; }), 0);
        striker->attacker = earlier, striker->TakeHit(hitter, 1, DAMAGE_BLADE, true);
        EXPECT_EQ(striker->targetUnit == hitter && striker->attacker == hitter, row.turns);
        EXPECT_EQ(striker->targetBuilding == house && striker->currentCommand == CMD_ATTACK, !row.turns);
        EXPECT_EQ(striker->attacker == earlier, row.keepsAttacker);
    }
}

TEST(MeleeDuel, EachFighterKillsAStandingWarriorBlowByBlow)
{
    // Type, stance (aggressive: it starts the fight itself), gap, divisor of the attack per blow (0: not
    // worked out here), whether through the second damage factor, the shot's sample, whether its hits come
    // with a particle instead of in the frame of the shot, and the animation in the tick of the killing blow
    // (-1: not looked at): a blow at the end of the swing is followed by the buffered attack again, which
    // finds no target and stands the fighter; a blow in mid-swing leaves the swing to wind down.
    const struct {
        int32_t type, stance, gap, divisor; bool ranged; int32_t shotSample; bool laser; int32_t animAtKill;
    } cases[] = {
        {UNIT_WARRIOR, STANCE_AGGRESSIVE, 5, 1, false, 0, false, ANIM_STAND},
        {UNIT_KNIGHT, STANCE_STAND_GROUND, 1, 2, false, 0, false, ANIM_WIND_DOWN},
        {UNIT_HEAVYCAVALRY, STANCE_STAND_GROUND, 2, 1, false, 0, false, ANIM_STAND},
        {UNIT_HEROCAVALRY, STANCE_STAND_GROUND, 2, 1, false, 0, false, ANIM_STAND},
        {UNIT_GIANT, STANCE_AGGRESSIVE, 4, 2, false, 0, false, ANIM_WIND_DOWN},
        {UNIT_UNDEAD, STANCE_AGGRESSIVE, 3, 1, false, 0, false, ANIM_WIND_DOWN},
        {UNIT_ARCHER, STANCE_STAND_GROUND, 6, 1, true, 0, false, -1},
        {UNIT_QUIB, STANCE_AGGRESSIVE, 10, 0, false, 51, true, -1},
        {UNIT_WARHOUND, STANCE_AGGRESSIVE, 10, 0, false, 52, false, -1},
        {UNIT_GUNSLINGER, STANCE_AGGRESSIVE, 10, 0, false, 52, false, -1},
    };
    for (const auto& row : cases)
    {
        SCOPED_TRACE(row.type);
        CMeleeWorld war;
        CTestLog log;
        CUnit* fighter = war.Spawn(0, row.type, 10, 10, row.stance);
        CUnit* warrior = war.Spawn(1, UNIT_WARRIOR, 10 + row.gap, 10, STANCE_STAND_GROUND);
        ASSERT_TRUE(fighter != nullptr && warrior != nullptr);
        fighter->facing = fighter->shownFacing = 90;
        if (row.stance != STANCE_AGGRESSIVE)
            fighter->onCommand(warrior, nullptr, nullptr, warrior->x, warrior->y, CMD_ATTACK);
        const int32_t score = war.world.Player(0).score;
        const std::vector<int32_t>& samples = war.world.Samples();   // sample, volume
        std::vector<int32_t> blowFrames;
        std::vector<float> losses;
        int32_t frame = 0, hitsWithShot = 0, animAtKill = -1;
        size_t shots = 0;
        bool sawLaser = false;
        float last = warrior->health;
        ASSERT_GT(war.FramesUntil(3000, [&] {
            ++frame;
            const auto nowShots = static_cast<size_t>(std::count(samples.begin(), samples.end(), row.shotSample));
            if (warrior->health < last)
            {
                blowFrames.push_back(frame), losses.push_back(last - warrior->health);
                hitsWithShot += nowShots > shots ? 1 : 0;
            }
            shots = nowShots, last = warrior->health;
            if (animAtKill < 0 && warrior->IsDying()) animAtKill = fighter->animType;
            for (const CParticles::SProjectile& shot : g_Particles.GetProjectiles())
                sawLaser = sawLaser || (shot.kind == CParticles::KindLaser && shot.target == warrior);
            return warrior->GetLife() == UnitLife::Corpse;
        }), 0);

        if (row.divisor > 0)
        {
            // Dead below one hit point.
            const float factor = row.ranged ? warrior->GetDamageFactorB() : warrior->GetDamageFactorA();
            const float hitPoints = static_cast<float>(CMeleeWorld::AttackOf(*fighter) / row.divisor) * factor;
            ASSERT_EQ(losses.size(), static_cast<size_t>(std::ceil((warrior->GetMaxHitPoints() - 0.999f) / hitPoints)));
            for (size_t i = 0; i + 1 < losses.size(); ++i)   // the last is cut at 0
                EXPECT_NEAR(losses[i], hitPoints / warrior->GetMaxHitPoints() * 100.0f, 1e-3f) << "blow " << i;
        }
        // A whole model's frames per swing (of one blow or two half blows) or per shot.
        const float cycle = CMeleeWorld::FrameCount / fighter->GetAttackAnimSpeed();
        for (size_t i = size_t(row.divisor); row.divisor > 0 && i < blowFrames.size(); ++i)
            EXPECT_NEAR(blowFrames[i] - blowFrames[i - size_t(row.divisor)], row.ranged ? std::ceil(cycle) : cycle,
                        1.0f) << i;
        EXPECT_TRUE(row.shotSample == 0 ||
                    (sawLaser == row.laser && hitsWithShot == (row.laser ? 0 : static_cast<int32_t>(losses.size()))));
        EXPECT_TRUE(fighter->IsAlive() && g_Particles.HoldsCorpse(warrior) && g_Particles.GetCorpseCount() == 1 &&
                    !war.world.Player(1).HasUnit(warrior));
        EXPECT_TRUE(war.world.Player(0).statistics[STAT_UNITS_KILLED] == 1 && (war.world.Player(0).score - score) == 5);
        EXPECT_TRUE(row.animAtKill < 0 || animAtKill == row.animAtKill) << animAtKill;
        // The winner finishes its swing and stands.
        EXPECT_GT(war.FramesUntil(100, [&] { return fighter->animType == ANIM_STAND; }), 0);
        EXPECT_TRUE(fighter->actionTargetUnit == nullptr &&
                    !log.Contains("#DEBUG: Invalid animation type for a dead unit"));
    }
}

// Each tick of the attack adds the type's attack speed to the frame: a new attack starts at the type's frame, and
// its blows or its shot fall at their frames: a whole blow at the model's frame count, half blows at their own.
TEST(MeleeDuel, TheFirstBlowsOrTheShotOfEveryFighterFallAtTheFramesOfItsType)
{
    constexpr float N = CMeleeWorld::FrameCount;
    // The swing's model, the frame it starts at, and the frames its blows or its shot fall at.
    const struct { int32_t type, gap, model; float start, first, second; } cases[] = {{UNIT_WARRIOR, 1, 15, 10, N, 0},
        {UNIT_KNIGHT, 1, 53, 4, 8, 17}, {UNIT_LIGHTCAVALRY, 2, 36, 17, N, 0}, {UNIT_HEAVYCAVALRY, 2, 41, 17, N, 0},
        {UNIT_HEROCAVALRY, 2, 84, 17, N, 0}, {UNIT_GIANT, 2, 98, 4, 8, 15}, {UNIT_UNDEAD, 1, 106, 4, 8, 0},
        {UNIT_ARCHER, 5, 20, 0, 9, 0}, {UNIT_CROSSBOWMAN, 5, 48, 0, 1, 0}, {UNIT_PRIEST, 3, 31, 0, 18, 0},
        {UNIT_QUIB, 5, 89, 0, 3, 0}, {UNIT_WARHOUND, 5, 92, 0, 1, 0}, {UNIT_GUNSLINGER, 5, 95, 0, 1, 0}};
    for (const auto& row : cases)
    {
        SCOPED_TRACE(row.type);
        CMeleeWorld war;
        war.world.Research(0, PriestAttack), war.world.Research(0, Pyro);
        CUnit* fighter = war.Spawn(0, row.type, 10, 10, STANCE_STAND_GROUND);
        CUnit* target = war.Spawn(1, UNIT_WARRIOR, 10 + row.gap, 10, STANCE_STAND_GROUND);
        ASSERT_TRUE(fighter != nullptr && target != nullptr);
        fighter->pathFlag = 1;   // still counted as moving, as while waiting for a tile: it fights standing
        fighter->onCommand(target, nullptr, nullptr, target->x, target->y, CMD_ATTACK);
        ASSERT_GT(war.FramesUntil(5, [&] { return fighter->animType == ANIM_ATTACK; }), 0);
        EXPECT_EQ(std::tuple(fighter->model, fighter->animFrame, fighter->pathFlag),
                  std::tuple(row.model, row.start, uint8_t(0)));
        std::vector<int32_t> expected, seen;
        float frame = row.start;
        for (int32_t tick = 1; expected.size() < (row.second > 0 ? 2u : 1u); ++tick)
            if ((frame += fighter->GetAttackAnimSpeed()) >= (expected.empty() ? row.first : row.second))
                expected.push_back(tick);
        fighter->shownFacing = fighter->facing;   // no turn left: every tick counts
        for (int32_t tick = 1; tick <= expected.back() && fighter->animType == ANIM_ATTACK; ++tick)
        {
            const float health = target->health;
            const size_t shots = g_Particles.GetProjectiles().size();
            fighter->Animate(1);
            if (target->health < health || g_Particles.GetProjectiles().size() > shots) seen.push_back(tick);
        }
        EXPECT_EQ(seen, expected);
    }
}

TEST(MeleeDeaths, ATornApartUnitThrowsItsBodyPartsAndSkipsItsFallUnlessItIsUndead)
{
    // The body parts thrown and the sum of their models (the nine everyone throws: 471), and the die model
    // (0: not looked at).
    const struct { int32_t type, parts, models, dieModel; } cases[] = {{UNIT_WARRIOR, 10, 529, 0},
        {UNIT_KNIGHT, 11, 592, 0}, {UNIT_LIGHTCAVALRY, 18, 974, 0}, {UNIT_HEAVYCAVALRY, 18, 974, 42},
        {UNIT_HEROCAVALRY, 18, 974, 85}, {UNIT_ARCHER, 9, 471, 21}, {UNIT_CROSSBOWMAN, 9, 471, 49},
        {UNIT_PRIEST, 9, 471, 32}, {UNIT_KING, 9, 471, 63}, {UNIT_GIANT, 11, 592, 99}, {UNIT_UNDEAD, 0, 0, 107}};
    for (const auto& row : cases)
    {
        SCOPED_TRACE(row.type);
        const bool skipsFall = row.type != UNIT_UNDEAD;
        CMeleeWorld melee;
        CUnit* unit = melee.Spawn(1, row.type, 10, 10, STANCE_STAND_GROUND);
        unit->tornApart = 1, unit->scriptTag = 5, unit->RemoveFromWorld(false);
        int32_t models = 0;
        for (const SEffectParticle& part : g_Particles.GetEffects())
            models += part.kind >= 50 && part.kind <= 61 ? part.kind : 0;
        EXPECT_EQ(std::tuple(CMeleeWorld::EffectsOfKinds(50, 61), models, unit->animFrame,
                             row.dieModel == 0 || unit->model == row.dieModel),
                  std::tuple(row.parts, row.models, skipsFall ? float(CMeleeWorld::FrameCount) : 0.0f, true));
        // A fall skipped ends on the next tick.
        EXPECT_TRUE(skipsFall ? !unit->Animate(1)
                              : melee.FramesUntil(200, [&] { return unit->GetLife() == UnitLife::Corpse; }) > 0);
        // Its player's script hears of the death by the unit's tag.
        const auto& events = melee.world.Player(1).script.GetEvents();
        EXPECT_TRUE(g_Particles.HoldsCorpse(unit) && !melee.world.Player(1).HasUnit(unit) && !events.empty() &&
                    events.back().kind == CScript::EEvent::UnitDied && events.back().values[0] == 5);
    }
}

TEST(MeleeDeaths, ARiderFallsWithItsOwnAndItsHorsesCryAndAModelWithoutFramesCountsAsOne)
{
    for (const auto& [type, dieModel] : {std::pair{UNIT_HEAVYCAVALRY, 42}, std::pair{UNIT_HEROCAVALRY, 85}})
    {
        SCOPED_TRACE(type);
        CMeleeWorld melee;
        GetGlobalModel(dieModel)->object.frameCount = 32;   // both cries fall inside
        CUnit* rider = melee.Spawn(0, type, 10, 10, STANCE_STAND_GROUND);
        rider->RemoveFromWorld(false);
        const std::vector<int32_t>& samples = melee.world.Samples();
        const size_t before = samples.size();
        EXPECT_FALSE(rider->Animate(100));
        EXPECT_EQ(std::vector<int32_t>(samples.begin() + static_cast<std::ptrdiff_t>(before), samples.end()),
                  (std::vector<int32_t>{47, 100, 162, 100}));
        CMemorySaveStream part;
        rider->SaveGameExtra(part, CReferenceBase());
        EXPECT_EQ(part.Bytes().substr(4), std::string("\x01\x01", 2));
    }
    // A worker falls over its die model's frames (model 11: 6 frames at 0.3 a tick, 20 ticks).
    CMeleeWorld melee;
    GetGlobalModel(11)->object.frameCount = 6, GetGlobalModel(12)->object.frameCount = 40;
    CUnit* worker = melee.Spawn(0, UNIT_WORKER, 20, 20, STANCE_STAND_GROUND);
    worker->RemoveFromWorld(false);
    EXPECT_EQ(melee.FramesUntil(200, [&] { return worker->GetLife() == UnitLife::Corpse; }), 20);
    CTestLog log;
    GetGlobalModel(15)->object.frameCount = 0;
    EXPECT_TRUE(CUnitAnimationTable::FrameIndex(7.6f, 15) == 0 && CUnitAnimationTable::FrameCount(15) == 1 &&
                CUnitAnimationTable::FrameIndex(7.6f, 14) == 7 && CUnitAnimationTable::FrameIndex(27.0f, 14) == 7 &&
                log.Count("Model 15 has no frames; it is drawn and animated as one frame") == 1);
    // A warrior swinging that model neither divides by zero nor stops.
    CUnit* warrior = melee.Spawn(0, UNIT_WARRIOR, 10, 10, STANCE_STAND_GROUND);
    CUnit* target = melee.Spawn(1, UNIT_WARRIOR, 11, 10, STANCE_STAND_GROUND);
    warrior->onCommand(target, nullptr, nullptr, 11, 10, CMD_ATTACK);
    EXPECT_GT(melee.FramesUntil(200, [&] { return target->health < CUnit::FullHealth; }), 0);
    warrior->Render();
}

TEST(GiantBattle, TheUndeadAndTheHeroRiderHealToExactlyFullAndNeverStarve)
{
    for (const int32_t type : {UNIT_UNDEAD, UNIT_HEROCAVALRY, UNIT_HEAVYCAVALRY})
    {
        const bool heals = type != UNIT_HEAVYCAVALRY;
        CMeleeWorld war;
        CUnit* unit = war.Spawn(0, type, 10, 10, STANCE_STAND_GROUND);
        unit->health = 99.99f, unit->starvation = 1.0f, war.Frame();
        EXPECT_TRUE(unit->health == (heals ? 100.0f : 99.99f) && unit->starvation == (heals ? 0.0f : 1.0f)) << type;
        // In a network game the healing is sent, once full no longer.
        g_Config.networkRole = 1, g_MultiplayerGame.ClearSent(), unit->health = 99.99f, war.Frame(), war.Frame();
        EXPECT_EQ(SentCommands(CMultiplayerGame::CommandUnitHealth), heals ? 1 : 0);
    }
}

// Having struck once, a fighter breaks off a swing at a target walking out of reach.
TEST(GiantBattle, AfterTheFirstBlowASwingAtATargetWalkingAwayIsBrokenOff)
{
    for (const int32_t type : {UNIT_UNDEAD, UNIT_HEROCAVALRY, UNIT_WARRIOR, UNIT_KNIGHT})
    {
        CMeleeWorld war;
        auto* fighter = static_cast<CUnitMeleeType*>(war.Spawn(0, type, 10, 10, STANCE_STAND_GROUND));
        CUnit* target = war.Spawn(1, UNIT_WARRIOR, 20, 10, STANCE_STAND_GROUND);
        fighter->onCommand(target, nullptr, nullptr, target->x, target->y, CMD_ATTACK);
        fighter->animType = ANIM_ATTACK, fighter->SetModelByAnimation(), fighter->shownFacing = fighter->facing;
        fighter->hitCount = 1, fighter->actionTargetUnit = target, target->pathFlag = 1, fighter->Animate(1);
        EXPECT_NE(fighter->animType, ANIM_ATTACK) << type;
    }
}

TEST_F(DemonBattle, FireballsLeaveAtFrame24ScatteredOrAimedExactlyWhileTheAuraWaits)
{
    CUnit* warrior = war.Spawn(1, UNIT_WARRIOR, 16, 10, STANCE_STAND_GROUND);
    ASSERT_TRUE(demon != nullptr && warrior != nullptr && demon->aura != -1);
    demon->facing = demon->shownFacing = 90;
    demon->onCommand(warrior, nullptr, nullptr, warrior->x, warrior->y, CMD_ATTACK);
    ASSERT_GT(war.FramesUntil(10, [&] { return demon->animType == ANIM_ATTACK; }), 0);
    EXPECT_EQ(g_Particles.GetEmitterCount(), 0);
    EXPECT_EQ(FramesToNextShot(), static_cast<int32_t>(std::ceil(24.0f / demon->GetAttackAnimSpeed())));
    const CParticles::SProjectile shot = g_Particles.GetProjectiles().back();
    const int32_t shots = war.world.Player(0).statistics[STAT_ARROWS_SHOT];
    EXPECT_EQ((war.Frame(), war.world.Player(0).statistics[STAT_ARROWS_SHOT]), shots);   // one fireball a throw
    EXPECT_TRUE(shot.kind == CParticles::KindFireBall && shot.target == warrior &&
                std::fabs(shot.aimX - warrior->centreX) <= 0.2f && std::fabs(shot.aimY - warrior->centreY) <= 0.2f);

    war.world.Research(0, 56);   // "TC_BALLISTIC"
    ASSERT_GT(FramesToNextShot(), 0);
    float stepX = 0.0f, stepY = 0.0f;
    warrior->GetStepTargetCentre(&stepX, &stepY);
    EXPECT_TRUE(g_Particles.GetProjectiles().back().aimX == stepX && g_Particles.GetProjectiles().back().aimY == stepY);
    demon->Stop();
    // Back beside the demon: 0.64 at most off its centre (-0.42 aside, 0.48 ahead), 28.168 above the ground.
    const CParticles::SEmitter* aura = g_Particles.FindEmitter(demon->aura);
    ASSERT_TRUE(aura != nullptr && aura->kind == CParticles::KindAura);
    EXPECT_TRUE(std::hypot(aura->x - demon->centreX, aura->y - demon->centreY) <= 0.64f &&
                std::fabs(aura->height - g_GameMap.GetHeight(aura->x, aura->y) - 28.168f) <= 1e-3f);
    // Shown facing 90 degrees: the aura stands 0.48 along x and 0.42 along y from the centre.
    float at[3] = {};
    demon->shownFacing = 90, demon->GetAuraPosition(at);
    EXPECT_TRUE(std::fabs(at[0] - demon->centreX - 0.48f) < 1e-4f && std::fabs(at[2] - demon->centreY - 0.42f) < 1e-4f);
    const int32_t lit = demon->aura;   // standing, it keeps the aura it has
    EXPECT_EQ((demon->SetModelByAnimation(), demon->aura), lit);
    demon->animType = ANIM_WIND_DOWN, demon->shotReleased = 1, demon->Animate(60);   // the next throw is armed again
    EXPECT_TRUE(demon->animType != ANIM_WIND_DOWN && demon->shotReleased == 0);
}

TEST_F(DemonBattle, AKilledDemonBurstsAtOnceIntoNinePartsAndDiesOnlyOnce)
{
    demon->TakeHit(nullptr, 100000, DAMAGE_BLADE, false);
    const std::vector<int32_t> burst = {50, 51, 51, 53, 54, 54, 54, 54, 54};
    EXPECT_TRUE(Effects(50, 61) == burst && g_Particles.HoldsCorpse(demon) && !war.world.Player(0).HasUnit(demon) &&
                g_Particles.GetEmitterCount() == 0);
    demon->RemoveFromWorld(true), demon->animType = ANIM_DIE, demon->SetModelByAnimation();
    EXPECT_TRUE(Effects(50, 61) == burst && g_Particles.GetCorpseCount() == 1);
}

TEST_F(DemonBattle, TwoDemonsCastBesideAnEnemyBarracksAndTheSpellFallsOnce)
{
    auto* second = static_cast<CUnitDemon*>(war.Spawn(0, UNIT_DEMON, 10, 12, STANCE_STAND_GROUND));
    CBuilding* barracks = war.world.Player(1).CreateBuilding(CastBarracks, 20, 9);
    ASSERT_TRUE(second != nullptr && barracks != nullptr);
    barracks->Construct(0.0f, true), war.world.Research(0, RainOfHell), g_Config.networkRole = 1;
    for (CUnitDemon* caster : {demon, second}) caster->onCommand(nullptr, nullptr, nullptr, 19, 11, CMD_CAST_MAGIC);
    ASSERT_GT(war.FramesUntil(50, [&] { return second->animType == ANIM_SPELL; }), 0);
    EXPECT_EQ(demon->animType, ANIM_SPELL);
    EXPECT_EQ(war.FramesUntil(200, [&] { return second->animType != ANIM_SPELL; }), 125);
    EXPECT_TRUE(demon->animType == ANIM_STAND &&
                Effects(CParticles::KindFlare, CParticles::KindFlare).size() == 2u * 4u * 125u &&
                Effects(CParticles::KindRainOfHell, CParticles::KindRainOfHell).size() == 1u);
    for (const SEffectParticle& rain : g_Particles.GetEffects())
        EXPECT_TRUE(rain.kind != CParticles::KindRainOfHell || (rain.x == 19.5f && rain.y == 11.5f));
    // The spell is spent and both auras are back.
    EXPECT_TRUE(war.world.Player(0).technologies[RainOfHell].progress == 0.0f && g_Particles.GetEmitterCount() == 2);
    // The one cast tells the other machines the middle of the block: 19.5, 0.0, 11.5 as 32-bit floats.
    const CNetPacket& cast = LastSent(CMultiplayerGame::CommandMagicCast)->packet;
    EXPECT_TRUE(SentCommands(cast.Command()) == 1 && cast.Value(0) == Ref(demon) && cast.Value(2) == 0x419C0000 &&
                cast.Value(3) == 0 && cast.Value(4) == 0x41380000);
    // At a block out of the local player's sight: a red notice instead, and the spell stays ready.
    war.world.Research(0, RainOfHell), demon->castBlockX = demon->castBlockY = 45, demon->CastMagic();
    EXPECT_TRUE(war.world.Messages().size() == 1u && war.world.Messages()[0].colour == 0xFF0000u &&
                war.world.Player(0).technologies[RainOfHell].progress == 100.0f && SentCommands(cast.Command()) == 1);
}

TEST_F(DemonBattle, AGameWithTheDemonAndTheBurningBuildingsLoadsBackByteForByte)
{
    CSaveGameRun::UseSaveLanguage();
    for (const int32_t cast : {CastBlacksmith, CastDarkAltar})
        war.world.Player(1).CreateBuilding(cast, 10 + 2 * cast, 20)->Construct(0.0f, true);
    for (int32_t frame = 0; frame < 5; ++frame) CSaveGameRun::Frame(war.world);
    ASSERT_EQ(g_Particles.GetEmitterCount(), 4);
    const std::vector<uint8_t> saved = CSaveGameRun::SaveDrawn();
    ASSERT_TRUE(CSaveGameRun::Load(saved) && CSaveGameRun::SaveDrawn() == saved);
    const auto* loaded = static_cast<const CUnitDemon*>(war.world.Player(0).units[0]);
    ASSERT_NE(g_Particles.FindEmitter(loaded->aura), nullptr);
    EXPECT_EQ(g_Particles.FindEmitter(loaded->aura)->kind, CParticles::KindAura);
}

TEST(PriestAttacked, WithoutTheTechnologyItRunsOutOfSightOfAWarriorOrOfATowerWithNoArcher)
{
    for (const bool fromTower : {false, true})
    {
        SCOPED_TRACE(fromTower ? "tower without archers" : "warrior");
        CMeleeWorld world;
        CUnit* priest = world.Spawn(0, UNIT_PRIEST, 20, 20, STANCE_AGGRESSIVE);
        CUnitTowerArcher probe;
        probe.player = 1;
        int32_t sight = probe.GetSightRadius();
        // The warrior stands on the 2 x 2 tower's centre block.
        if (fromTower) priest->onAttacked(nullptr, world.world.Player(1).CreateBuilding(CastTower, 23, 20));
        else if (CUnit* warrior = world.Spawn(1, UNIT_WARRIOR, 24, 21, STANCE_STAND_GROUND))
        {
            sight = warrior->GetSightRadius(), priest->TakeHit(warrior, 1, DAMAGE_BLADE, true);
            EXPECT_EQ(priest->attacker, warrior);
        }
        ASSERT_EQ(priest->currentCommand, CMD_RUNAWAY);
        bool turned = false;
        EXPECT_GT(world.FramesUntil(800, [&] {
            turned = turned || priest->currentCommand == CMD_ATTACK;
            return priest->currentCommand != CMD_RUNAWAY && !priest->pathFlag;
        }), 0);
        EXPECT_FALSE(turned);
        // Toward the band of sight + 1 to twice the sight around the attacker:
        // the route ends on the last block before it, one step short.
        const int32_t blocks = GlobalFunc::Distance(priest->x, priest->y, 24, 21) / 10;
        EXPECT_TRUE(blocks >= sight - 1 && blocks <= 2 * sight) << priest->x << "," << priest->y;
    }
    // From a tower gone before it set off it runs nowhere.
    CMeleeWorld world;
    CUnit* priest = world.Spawn(0, UNIT_PRIEST, 20, 20, STANCE_AGGRESSIVE);
    CBuilding* tower = world.world.Player(1).CreateBuilding(CastTower, 23, 20);
    priest->onAttacked(nullptr, tower), tower->TakeDown(false);
    EXPECT_TRUE(world.FramesUntil(20, [&] { return priest->currentCommand != CMD_RUNAWAY; }) > 0 && priest->x == 20);
}

TEST(PriestAttacked, WithBothTechnologiesItThrowsFireballsBackAndWithoutPyroAnAttackOrderStops)
{
    for (const bool pyro : {true, false})
    {
        SCOPED_TRACE(pyro ? "with TC_PYRO" : "without TC_PYRO");
        CMeleeWorld world;
        world.world.Research(0, PriestAttack);
        if (pyro) world.world.Research(0, Pyro);
        CUnit* priest = world.Spawn(0, UNIT_PRIEST, 10, 10, STANCE_AGGRESSIVE);
        CUnit* warrior = world.Spawn(1, UNIT_WARRIOR, 16, 10, STANCE_STAND_GROUND);
        ASSERT_TRUE(priest != nullptr && warrior != nullptr);
        if (pyro) priest->TakeHit(warrior, 1, DAMAGE_BLADE, true);
        else priest->onCommand(warrior, nullptr, nullptr, warrior->x, warrior->y, CMD_ATTACK);
        ASSERT_EQ(priest->currentCommand, CMD_ATTACK);
        // A fireball (5 of the warrior's 50 hit points) from where it stands.
        const int32_t frames = world.FramesUntil(200, [&] { return warrior->health < CUnit::FullHealth; });
        EXPECT_TRUE((frames > 0) == pyro && priest->x == 10 &&
                    (pyro ? warrior->health == 90.0f : priest->currentCommand != CMD_ATTACK));
        if (!pyro) continue;
        // Two ticks at once move the throw on as far as two single ones.
        ASSERT_GT(world.FramesUntil(300, [&] { return priest->animType == ANIM_ATTACK && priest->animFrame < 10.0f &&
                                                     priest->shownFacing == priest->facing; }), 0);
        const float wound = priest->animFrame;
        priest->Animate(2);
        EXPECT_FLOAT_EQ(priest->animFrame, wound + 2 * priest->GetAttackAnimSpeed());
        // The cast winds up again for the next fireball; ordered at a house, it throws at the house.
        EXPECT_GT(world.FramesUntil(300, [&] { return warrior->health == 80.0f; }), 0);
        CBuilding* house = world.world.Player(1).CreateBuilding(CastHouse, 10, 16);
        priest->onCommand(nullptr, house, nullptr, house->x + 1, house->y, CMD_ATTACK);
        const std::vector<CParticles::SProjectile>& shots = g_Particles.GetProjectiles();
        ASSERT_GT(world.FramesUntil(300, [&] { return !shots.empty() && shots.back().target == nullptr; }), 0);
        // At the centre block's middle, strayed up to 0.2 either way.
        EXPECT_TRUE(std::abs(shots.back().aimX - (house->x + house->GetWidth() / 2 + 0.5f)) <= 0.2f &&
                    std::abs(shots.back().aimY - (house->y + house->GetDepth() / 2 + 0.5f)) <= 0.2f);
        EXPECT_GT(world.FramesUntil(300, [&] { return house->health < CBuilding::FullHealth; }), 0);
        // Hit by a tower, a standing priest throws back at it: a threaded ranged attack, as at a unit.
        CBuilding* tower = world.world.Player(1).CreateBuilding(CastTower, 4, 4);
        priest->Stop(), priest->onAttacked(nullptr, tower);
        EXPECT_TRUE(priest->currentCommand == CMD_ATTACK && priest->targetBuilding == tower && priest->threaded == 1);
        priest->Stop(), priest->onAttacked(warrior, nullptr);
        EXPECT_TRUE(priest->currentCommand == CMD_ATTACK && priest->targetUnit == warrior && priest->threaded == 1);
    }
}

TEST(PriestHealing, AnIdlePriestHealsItsOwnWarriorWholeStepByStepButNeitherAnAllyNorItself)
{
    for (const bool tripled : {false, true})
    {
        SCOPED_TRACE(tripled ? "hit points tripled" : "plain hit points");
        CMeleeWorld world;
        g_Config.unitHealthMultiply = tripled ? 1 : 0, InitTypeRecords();
        world.world.Player(0).allied[2] = world.world.Player(2).allied[0] = 1;
        CUnit* ally = world.Spawn(2, UNIT_WARRIOR, 11, 10, STANCE_STAND_GROUND);
        CUnit* warrior = world.Spawn(0, UNIT_WARRIOR, 13, 10, STANCE_STAND_GROUND);
        CUnit* priest = world.Spawn(0, UNIT_PRIEST, 10, 10, STANCE_STAND_GROUND);
        ally->health = warrior->health = priest->health = 50.0f;
        // Each step is one hit point of fifty, or three of 150.
        std::vector<int32_t> steps;
        float last = warrior->health;
        int32_t frame = 0;
        ASSERT_GT(world.FramesUntil(1000, [&] {
            ++frame;
            if (warrior->health != last) steps.push_back(frame);
            EXPECT_TRUE(warrior->health == last || std::fabs(warrior->health - last - 2.0f) < 1e-3f) << frame;
            last = warrior->health;
            return warrior->health == CUnit::FullHealth;
        }), 0);
        // 25 steps from 50 %, 24 intervals of 12.5 ticks.
        ASSERT_EQ(steps.size(), 25u);
        EXPECT_NEAR(steps.back() - steps.front(), 300, 1);
        EXPECT_GT(world.FramesUntil(50, [&] { return priest->animType == ANIM_STAND; }), 0);
        EXPECT_TRUE(priest->targetUnit == nullptr && ally->health == 50.0f && priest->health == 50.0f);
        // Its sparkles rise 16 to 47 above the ground, within 0.35 of the patient's centre.
        SOffsetRange sparkles;
        for (const SEffectParticle& e : g_Particles.GetEffects())
            if (e.kind == CParticles::KindSparkle)
                sparkles.Add(e.x - warrior->centreX, e.y - warrior->centreY, e.height);
        EXPECT_TRUE(sparkles.low[2] == 16.0f && sparkles.high[2] == 47.0f && sparkles.low[0] >= -0.35f - 1e-4f &&
                    sparkles.high[1] <= 0.35f);
    }
}
