// Shots: where the archer's and the crossbowman's arrows go (a plain shot's scatter, the exact aim with
// TC_BALLISTIC, each type's release frame and kind); whom the projectiles of the particle stand-in strike on
// landing, what the shooter's player counts, a shooter gone while its shot flies; and the limits of the
// record of effects.

#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/GlobalFunc.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitRangedType.h"
#include "units/C_UnitTypeTable.h"

namespace
{
constexpr int32_t TechBallistic = 56;
constexpr int32_t TechFlameArrow = 58;
constexpr float MostScatter = 0.2f + 1e-5f;

// A shooter of player 0 facing a standing warrior of player 1 six blocks
// east, its attack order taken and its draw begun.
class RangedAim : public ::testing::Test
{
protected:
    void SetUpPair(int32_t shooterType, int32_t row = 10)
    {
        shooter = static_cast<CUnitRangedType*>(m_World.Spawn(0, shooterType, 10, row, STANCE_STAND_GROUND));
        target = m_World.Spawn(1, UNIT_WARRIOR, 16, row, STANCE_STAND_GROUND);
        ASSERT_TRUE(shooter != nullptr && target != nullptr);
        shooter->facing = shooter->shownFacing = 90;
        shooter->onCommand(target, nullptr, nullptr, target->x, target->y, CMD_ATTACK);
        ASSERT_GT(m_World.FramesUntil(10, [&] { return shooter->animType == ANIM_ATTACK; }), 0);
        g_Particles.Reset();
    }
    // The arrow drawn from `frame` within 60 ticks, or null; `ticks` taken.
    const CParticles::SProjectile* Draw(float frame, int32_t* ticks = nullptr)
    {
        g_Particles.Reset();
        shooter->shotReleased = 0;
        shooter->animFrame = frame;
        for (int32_t tick = 1; tick <= 60; ++tick)
        {
            shooter->shownFacing = shooter->facing;
            shooter->Animate(1);
            if (!g_Particles.GetProjectiles().empty())
            {
                if (ticks != nullptr)
                    *ticks = tick;
                return &g_Particles.GetProjectiles().back();
            }
        }
        return nullptr;
    }

    CMeleeWorld m_World;
    CUnitRangedType* shooter = nullptr;
    CUnit* target = nullptr;
};

void Shoot(CUnit* archer, CUnit* target, float aimX, float aimY, int32_t kind = CParticles::KindArrow)
{
    g_Particles.AddArrow(false, archer, target, 10.5f, 48.6f, 10.5f, aimX, 40.0f, aimY, kind);
}
}  // namespace

TEST(ProjectilesFlight, ArrowsStrikeWithTheAttackAtLaunchAndCountWhereTheyLandForTheShootersPlayer)
{
    CMeleeWorld war;
    CUnit* archer = war.world.Spawn(0, UNIT_ARCHER, 10, 10);
    CUnit* target = war.world.Spawn(1, UNIT_WARRIOR, 16, 10);
    ASSERT_NE(war.world.Player(1).CreateBuilding(CastHouse, 10, 20), nullptr);
    const int32_t attack = CMeleeWorld::AttackOf(*archer);
    Shoot(archer, target, 16.5f, 10.5f);
    war.world.Research(0, 20);   // a better attack after launch changes nothing
    war.world.Frame(2);
    EXPECT_FLOAT_EQ(target->health, CUnit::FullHealth);
    war.world.Frame(1);
    const float lost =
        static_cast<float>(attack) * target->GetDamageFactorB() / target->GetMaxHitPoints() * 100.0f;
    EXPECT_FLOAT_EQ(target->health, CUnit::FullHealth - lost);
    EXPECT_TRUE(g_Particles.GetProjectiles().empty());
    const int32_t* stats = war.world.Player(0).statistics;
    EXPECT_EQ(stats[STAT_ARROWS_HIT_UNIT], 1);
    Shoot(archer, nullptr, 10.5f, 20.5f, CParticles::KindFlameArrow);
    war.world.Frame(20);
    EXPECT_EQ(stats[STAT_ARROWS_HIT_BUILDING], 1);
    // The house throws its 4 pieces of debris kind 24 and 1 of kind 25 where the arrow struck.
    EXPECT_TRUE(CMeleeWorld::EffectsOfKinds(24, 24) == 4 && CMeleeWorld::EffectsOfKinds(25, 25) == 1);
    for (const SEffectParticle& piece : g_Particles.GetEffects())
        EXPECT_TRUE(piece.kind < 24 || piece.kind > 25 || (piece.x == 10.5f && piece.y == 20.5f));
    Shoot(archer, nullptr, 30.5f, 30.5f);   // nothing there
    war.world.Frame(20);
    EXPECT_EQ(stats[STAT_ARROWS_HIT_UNIT] + stats[STAT_ARROWS_HIT_BUILDING], 2);
}

TEST(ProjectilesFlight, AShotOutlivingItsDeletedShooterLandsAndCreditsTheShootersPlayer)
{
    CMeleeWorld war;
    CUnit* shooter = war.world.Spawn(0, UNIT_ARCHER, 10, 10);
    CUnit* target = war.world.Spawn(1, UNIT_WARRIOR, 20, 10);
    target->health = 100.0f / target->GetMaxHitPoints() + 0.5f;   // one hit point
    Shoot(shooter, target, 20.5f, 10.5f);
    war.world.Delete(shooter);
    ASSERT_EQ(g_Particles.GetProjectiles().size(), 1u);
    EXPECT_EQ(g_Particles.GetProjectiles()[0].shooter, nullptr);
    war.world.Frame(5);
    EXPECT_TRUE(target->IsDying() && war.world.Player(0).statistics[STAT_UNITS_KILLED] == 1);
}

// A stone warns the computer players' idle or patrolling units on its block (an exploding one those in
// the disc of radius 1 around it): they walk to where the search of the band r (their size, + 2) to 2r
// first reaches r blocks, so a foot soldier ends at least r - 1 and less than r blocks away.
TEST(ProjectilesFlight, ComputerUnitsStepAsideFromAStoneOnTheirBlockOrFromAnExplodingStoneBeside)
{
    CMeleeWorld war;
    war.world.Player(2).computerAI.SetDodgeValue(0);   // never steps aside; players 1 and 3 always
    war.world.Player(3).type = PLAYER_REMOTE;
    // At (22, 20) outside the disc, at (21, 21) attacking, at (20, 21) the local player's, at (20, 19) a
    // remote player's.
    const struct { int32_t player, type, x, y, command, reach; } units[] = {
        {1, UNIT_WARRIOR, 20, 20, CMD_NONE, 3}, {1, UNIT_WARRIOR, 19, 19, CMD_NONE, 3},
        {1, UNIT_WARRIOR, 21, 20, CMD_PATROL, 3}, {1, UNIT_WARRIOR, 22, 20, CMD_NONE, 0},
        {1, UNIT_WARRIOR, 21, 21, CMD_ATTACK, 0}, {0, UNIT_WARRIOR, 20, 21, CMD_NONE, 0},
        {2, UNIT_WARRIOR, 19, 21, CMD_NONE, 0}, {3, UNIT_WARRIOR, 20, 19, CMD_NONE, 0},
        {1, UNIT_CATAPULT, 30, 30, CMD_NONE, 2}, {1, UNIT_CATAPULT, 32, 30, CMD_NONE, 0}};
    std::vector<CUnit*> spawned;
    for (const auto& u : units)
    {
        spawned.push_back(war.world.Spawn(u.player, u.type, u.x, u.y));
        ASSERT_NE(spawned.back(), nullptr);
        spawned.back()->currentCommand = u.command;
    }
    g_Particles.AddCatapultStone(false, nullptr, 5.5f, 40.0f, 5.5f, 20.5f, 0.0f, 20.5f,
                                 CParticles::KindExplodingStone);
    g_Particles.AddCatapultStone(false, nullptr, 5.5f, 40.0f, 5.5f, 30.5f, 0.0f, 30.5f, CParticles::KindStone);
    for (size_t i = 0; i < spawned.size(); ++i)
    {
        const CUnit& unit = *spawned[i];
        const int32_t tenths = GlobalFunc::Distance(unit.x, unit.y, unit.moveDestX, unit.moveDestY);
        const bool walks = unit.pathFlag != 0 && unit.routeEnd > 0;
        EXPECT_EQ(walks, units[i].reach > 0) << unit.x << "," << unit.y;
        const int32_t nearest = std::max(1, (units[i].reach - unit.GetSize()) * 10);
        EXPECT_TRUE(!walks || (tenths >= nearest && tenths < units[i].reach * 10)) << unit.x << "," << unit.y;
    }
}

// The record of effects keeps at most 8192 and the minimap at most 256 markers: one more drops the older
// half.  Freeing a block takes what stands on it, from its west and north edges to just short of the
// next block, but leaves the kinds 27, 41 and 42.
TEST(ParticlePool, AtItsLimitTheOlderHalfGoesAndFreeingABlockKeepsItsThreeLastingKinds)
{
    CMeleeWorld world;
    const struct { int32_t most; std::function<void(int32_t)> add; std::function<int32_t(size_t)> at; } pools[] = {
        {CParticles::kMostEffects, [](int32_t i) { g_Particles.AddSmash(false, float(i), 0.5f, 0.0f, 24); },
         [](size_t i) { return int32_t(g_Particles.GetEffects().at(i).x); }},
        {CParticles::kMostMinimapMarkers, [](int32_t i) { g_Particles.AddMinimapMarker(i, 0, 0xFFFF00); },
         [](size_t i) { return g_Particles.GetMinimapMarkers().at(i).x; }}};
    for (const auto& pool : pools)
    {
        for (int32_t i = 0; i < pool.most; ++i)
            pool.add(i);
        EXPECT_TRUE(pool.at(0) == 0 && pool.at(size_t(pool.most) - 1) == pool.most - 1);
        pool.add(pool.most);
        EXPECT_TRUE(pool.at(0) == pool.most / 2 && pool.at(size_t(pool.most / 2)) == pool.most) << pool.most;
    }
    EXPECT_EQ(g_Particles.GetEffects().size(), size_t(CParticles::kMostEffects / 2 + 1));
    EXPECT_EQ(g_Particles.GetMinimapMarkers().size(), size_t(CParticles::kMostMinimapMarkers / 2 + 1));

    g_Particles.Reset();
    const struct { float x, y; int32_t kind; bool stays; } pieces[] = {
        {31.0f, 31.0f, 24, false},  {31.99f, 31.99f, 25, false}, {30.99f, 31.5f, 24, true}, {32.0f, 31.5f, 24, true},
        {31.5f, 30.99f, 24, true},  {31.5f, 32.0f, 24, true},    {31.5f, 31.5f, 26, false}, {31.5f, 31.5f, 27, true},
        {31.5f, 31.5f, 28, false},  {31.5f, 31.5f, 40, false},   {31.5f, 31.5f, 41, true},  {31.5f, 31.5f, 42, true},
        {31.5f, 31.5f, 43, false}};
    for (const auto& piece : pieces)
        g_Particles.AddSmash(false, piece.x, piece.y, 0.0f, piece.kind);
    g_Particles.RemoveAt(31, 31);
    std::vector<std::tuple<float, float, int32_t>> left, staying;
    for (const SEffectParticle& effect : g_Particles.GetEffects())
        left.emplace_back(effect.x, effect.y, effect.kind);
    for (const auto& piece : pieces)
        if (piece.stays)
            staying.emplace_back(piece.x, piece.y, piece.kind);
    EXPECT_EQ(left, staying);
}

TEST_F(RangedAim, ShotsScatterOrAimAtTheTileTheTargetStepsIntoAndEachShooterReleasesInItsFrame)
{
    SetUpPair(UNIT_ARCHER);
    const CParticles::SProjectile* arrow = Draw(8.9f);
    ASSERT_NE(arrow, nullptr);
    EXPECT_LE(std::fabs(arrow->aimX - target->centreX), MostScatter);
    EXPECT_TRUE(arrow->aimHeight == 40.0f && arrow->target == target);
    EXPECT_EQ(m_World.world.Player(0).statistics[STAT_ARROWS_SHOT], 1);

    // With TC_BALLISTIC: exactly the tile it is stepping into.
    m_World.world.Research(0, TechBallistic);
    for (const uint8_t stepping : {uint8_t{0}, uint8_t{1}})
    {
        target->pathFlag = stepping;
        float expectedX = 0.0f, expectedY = 0.0f;
        target->GetStepTargetCentre(&expectedX, &expectedY);
        const CParticles::SProjectile* arrow = Draw(8.9f);
        ASSERT_NE(arrow, nullptr);
        EXPECT_TRUE(arrow->aimX == expectedX && arrow->aimY == expectedY);
        EXPECT_EQ(shooter->approachX, static_cast<int32_t>(expectedX));
    }
    const struct { int32_t type; float flameProgress; float releaseFrame; int32_t kind; } cases[] = {
        {UNIT_ARCHER, 100.0f, 9.0f, CParticles::KindArrow},
        {UNIT_CROSSBOWMAN, 99.9f, 1.0f, CParticles::KindArrow},
        {UNIT_CROSSBOWMAN, 100.0f, 1.0f, CParticles::KindFlameArrow},
    };
    int32_t row = 20;
    for (const auto& entry : cases)
    {
        SCOPED_TRACE(testing::Message() << entry.type << " flame " << entry.flameProgress);
        m_World.world.Research(0, TechFlameArrow, entry.flameProgress);
        SetUpPair(entry.type, row);
        row += 3;
        int32_t ticks = 0;
        const CParticles::SProjectile* arrow = Draw(0.0f, &ticks);
        ASSERT_NE(arrow, nullptr);
        EXPECT_EQ(ticks, static_cast<int32_t>(std::ceil(entry.releaseFrame / shooter->GetAttackAnimSpeed())));
        EXPECT_EQ(arrow->kind, entry.kind);
        shooter->Stop();
    }
}
