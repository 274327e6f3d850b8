// A hit on a unit: the damage rules, its effects, the alerts and the
// network rule.

#include <gtest/gtest.h>

#include "buildings/C_Building.h"
#include "core/C_Config.h"
#include "effects/C_Particles.h"
#include "net/C_UnitCommandOutbox.h"
#include "platform/SysClock.h"
#include "tests/support/SimHarness.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"

namespace
{
constexpr int32_t HostRole = 1;

// A unit whose traits a test sets and which records what it was told.
class CTargetDummy : public CUnit
{
public:
    float maxHitPoints = 100.0f;
    float factors[3] = {1.0f, 1.0f, 1.0f};
    bool healable = true;
    int32_t hitEffect = 0;
    int32_t pointValue = 7;
    std::vector<int32_t> hitSounds;
    std::vector<const void*> attackedBy;
    std::vector<const CUnit*> targetsLost;

    float GetMaxHitPoints() const override { return maxHitPoints; }
    float GetDamageFactorA() const override { return factors[0]; }
    float GetDamageFactorB() const override { return factors[1]; }
    float GetDamageFactorC() const override { return factors[2]; }
    bool IsHealable() const override { return healable; }
    int32_t GetHitEffectKind() const override { return hitEffect; }
    int32_t GetPointValue() const override { return pointValue; }
    void PlayHitSound(int32_t damageType) override { hitSounds.push_back(damageType); }
    void onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding) override
    {
        attackedBy.push_back(attackerUnit != nullptr ? static_cast<const void*>(attackerUnit)
                                                     : static_cast<const void*>(attackerBuilding));
    }
    void onTargetLost(CUnit* unit, CBuilding*) override { targetsLost.push_back(unit); }
};

class CTowerDouble : public CBuilding
{
public:
    CTowerDouble(int32_t bx, int32_t by, int32_t ownerIndex) : CBuilding(bx, by, ownerIndex) {}
    int32_t GetBuildCast() const override { return 6; }
};

struct DamageWorld : ::testing::Test
{
    CSimHarness world;
    CTargetDummy* victim = nullptr;
    CTargetDummy* enemy = nullptr;

    void SetUp() override
    {
        g_Particles.Reset();
        victim = static_cast<CTargetDummy*>(world.Adopt(0, new CTargetDummy, 10, 10));
        enemy = static_cast<CTargetDummy*>(world.Adopt(1, new CTargetDummy, 12, 10));
    }
    void TearDown() override
    {
        EXPECT_TRUE(world.CheckInvariants().empty());
        g_Particles.Reset();
    }
};
}  // namespace

TEST_F(DamageWorld, EachDamageTypeUsesItsFactor)
{
    // Factors A = 0.5, B = 0.25, C = 2.0; amount 10 of 100 hit points:
    // A takes 5, B 2.5, C 20 percent points; 5, 0 and 10 take nothing.
    struct SCase
    {
        int32_t damageType;
        bool healable;
        float expectedHealth;
    };
    const SCase cases[] = {{1, true, 95.0f},  {6, false, 95.0f}, {2, false, 97.5f}, {3, true, 97.5f},
                           {3, false, 80.0f}, {7, true, 97.5f},  {7, false, 80.0f}, {4, true, 80.0f},
                           {8, true, 80.0f},  {9, false, 80.0f}, {5, true, 100.0f}, {0, true, 100.0f},
                           {10, true, 100.0f}};
    for (const SCase& c : cases)
    {
        victim->health = 100.0f;
        victim->factors[0] = 0.5f;
        victim->factors[1] = 0.25f;
        victim->factors[2] = 2.0f;
        victim->healable = c.healable;
        victim->TakeHit(nullptr, 10, c.damageType, false);
        EXPECT_FLOAT_EQ(victim->health, c.expectedHealth) << "damage type " << c.damageType;
        ASSERT_FALSE(victim->hitSounds.empty());
        EXPECT_EQ(victim->hitSounds.back(), c.damageType);
    }
}

TEST_F(DamageWorld, ThirtyPointsGiveThirtyDropsEveryTenthStained)
{
    victim->hitEffect = 1;
    victim->TakeHit(enemy, 30, 1, false);
    EXPECT_FLOAT_EQ(victim->health, 70.0f);
    const std::vector<SEffectParticle>& drops = g_Particles.GetEffects();
    ASSERT_EQ(drops.size(), 30u);
    for (size_t i = 0; i < drops.size(); ++i)
    {
        EXPECT_EQ(drops[i].kind, CParticles::KindBlood);
        EXPECT_EQ(drops[i].stain, i == 0 || i == 10 || i == 20) << "drop " << i;
        EXPECT_NEAR(drops[i].x, victim->centreX, 0.4f + 1e-4f);
    }
}

TEST_F(DamageWorld, DebrisKindsFollowTheHitEffect)
{
    // 40 percent points lost: 12 pieces.
    victim->hitEffect = 2;
    victim->TakeHit(nullptr, 40, 1, false);
    victim->hitEffect = 3;
    victim->TakeHit(nullptr, 40, 1, false);
    const std::vector<SEffectParticle>& pieces = g_Particles.GetEffects();
    ASSERT_EQ(pieces.size(), 24u);
    EXPECT_EQ(pieces.front().kind, 25);
    EXPECT_EQ(pieces.back().kind, 24);
}

TEST_F(DamageWorld, StarvationIsNotSubtractedAgainByAHit)
{
    // 50 hit points, 20 percent starving: a 1-point hit takes 2 percent
    // points, so 40 living hit points become 39.
    victim->maxHitPoints = 50.0f;
    victim->starvation = 20.0f;
    victim->TakeHit(nullptr, 1, 1, false);
    EXPECT_FLOAT_EQ(victim->health, 98.0f);
    EXPECT_EQ(victim->GetLivingHitPoints(), 39);
}

TEST_F(DamageWorld, HalfAHitPointLeftIsDeath)
{
    // 100 hit points, 99.5 taken: 0.5 percent left is no whole hit point.
    victim->factors[0] = 0.995f;
    victim->TakeHit(enemy, 100, 1, false);
    EXPECT_FLOAT_EQ(victim->health, 0.0f);
    EXPECT_TRUE(victim->IsDying());
    EXPECT_EQ(world.Player(1).statistics[STAT_UNITS_KILLED], 1);
}

TEST_F(DamageWorld, TheKillerIsCreditedOnce)
{
    const int32_t scoreBefore = world.Player(1).score;
    victim->TakeHit(enemy, 100, 1, false);
    victim->TakeHit(enemy, 100, 1, false);
    EXPECT_EQ(world.Player(1).statistics[STAT_UNITS_KILLED], 1);
    EXPECT_EQ(world.Player(1).score, scoreBefore + 7);
    // The second hit only tells the attacker its target is gone.
    ASSERT_EQ(enemy->targetsLost.size(), 1u);
    EXPECT_EQ(enemy->targetsLost[0], victim);
    EXPECT_EQ(victim->hitSounds.size(), 1u);
}

TEST_F(DamageWorld, AHeavyTearingHitTearsTheBodyApart)
{
    // 60 hit points: a lethal type-8 hit must take more than 20 percent.
    victim->maxHitPoints = 60.0f;
    victim->health = 25.0f;
    victim->TakeHit(enemy, 60, 8, false);
    EXPECT_EQ(victim->tornApart, 1);
    enemy->maxHitPoints = 60.0f;
    enemy->health = 15.0f;
    enemy->TakeHit(victim, 60, 8, false);
    EXPECT_EQ(enemy->tornApart, 0);
}

TEST_F(DamageWorld, TheVictimStrikesBackOnlyWhenAsked)
{
    victim->TakeHit(enemy, 1, 1, false);
    EXPECT_TRUE(victim->attackedBy.empty());
    victim->TakeHit(enemy, 1, 1, true);
    ASSERT_EQ(victim->attackedBy.size(), 1u);
    EXPECT_EQ(victim->attackedBy[0], enemy);
    // A unit hit from a tower strikes back at the tower.
    CTowerDouble tower(12, 10, 1);
    g_GameMap.Block(12, 10).building = &tower;
    victim->TakeHit(enemy, 1, 1, true);
    g_GameMap.Block(12, 10).building = nullptr;
    ASSERT_EQ(victim->attackedBy.size(), 2u);
    EXPECT_EQ(victim->attackedBy[1], &tower);
}

TEST_F(DamageWorld, FollowersAreAlertedAtMostEveryTenSeconds)
{
    CTargetDummy* follower = static_cast<CTargetDummy*>(world.Adopt(0, new CTargetDummy, 8, 8));
    follower->followedUnit = victim;
    std::vector<CUnit*> followers;
    victim->CollectFollowers(followers);
    ASSERT_EQ(followers.size(), 1u);

    victim->TakeHit(enemy, 1, 1, false);
    SysClock::AdvanceTestClock(9999);
    victim->TakeHit(enemy, 1, 1, false);
    EXPECT_EQ(follower->attackedBy.size(), 1u);
    SysClock::AdvanceTestClock(10000);
    victim->TakeHit(enemy, 1, 1, false);
    EXPECT_EQ(follower->attackedBy.size(), 2u);
}

TEST_F(DamageWorld, AShooterThatDiedIsNoOneToStrikeBackAt)
{
    enemy->RemoveFromWorld(false);
    victim->TakeHit(enemy, 100, 1, true);
    EXPECT_TRUE(victim->attackedBy.empty());
    EXPECT_EQ(victim->attacker, nullptr);
    EXPECT_EQ(victim->targetUnit, nullptr);
    // The kill still counts for the shooter's player.
    EXPECT_EQ(world.Player(1).statistics[STAT_UNITS_KILLED], 1);
}

TEST_F(DamageWorld, NegativeAmountsAttackersOffTheGridAndVictimsOffTheMapAreHarmless)
{
    victim->health = 90.0f;
    victim->ApplyHit(enemy, -50, 1, false);
    EXPECT_FLOAT_EQ(victim->health, 90.0f);
    // An attacker off the grid is not looked up on the map.
    enemy->ShowUnit(false);
    enemy->x = -1;
    enemy->y = -1;
    victim->TakeHit(enemy, 10, 1, true);
    EXPECT_FLOAT_EQ(victim->health, 80.0f);
    ASSERT_EQ(victim->attackedBy.size(), 1u);
    enemy->x = 12;
    enemy->y = 10;
    // A victim off the map takes no hit.
    const size_t sounds = victim->hitSounds.size();
    victim->ShowUnit(false);
    victim->TakeHit(enemy, 50, 1, true);
    EXPECT_FLOAT_EQ(victim->health, 80.0f);
    EXPECT_EQ(victim->hitSounds.size(), sounds);
}

TEST_F(DamageWorld, NetworkHitsAreReportedByTheAttackersMachine)
{
    g_Config.networkRole = HostRole;
    g_UnitCommandOutbox.Clear();
    // Player 0 is this machine's.  A hit by another machine's unit is
    // ignored: that machine sends command 43.
    victim->TakeHit(enemy, 10, 1, false);
    EXPECT_FLOAT_EQ(victim->health, 100.0f);
    EXPECT_TRUE(g_UnitCommandOutbox.GetSent().empty());

    // Our unit hits theirs: 43 goes out, the health stays theirs to decide.
    enemy->TakeHit(victim, 10, 2, false);
    ASSERT_EQ(g_UnitCommandOutbox.GetSent().size(), 1u);
    const CUnitCommandOutbox::SCommand& hit = g_UnitCommandOutbox.GetSent()[0];
    EXPECT_EQ(hit.command, 43);
    EXPECT_EQ(hit.unit, enemy);
    EXPECT_EQ(hit.other, victim);
    EXPECT_FLOAT_EQ(hit.value, 10.0f);
    EXPECT_EQ(hit.kind, 2);
    EXPECT_FLOAT_EQ(enemy->health, 100.0f);

    // Their hit on ours, received as 43: ours decides and sends 31.
    g_UnitCommandOutbox.Clear();
    victim->ApplyHit(enemy, 10, 1, false);
    EXPECT_FLOAT_EQ(victim->health, 90.0f);
    ASSERT_EQ(g_UnitCommandOutbox.GetSent().size(), 1u);
    EXPECT_EQ(g_UnitCommandOutbox.GetSent()[0].command, 31);
    EXPECT_FLOAT_EQ(g_UnitCommandOutbox.GetSent()[0].value, 90.0f);

    // A lethal one: 32 instead of 31.
    g_UnitCommandOutbox.Clear();
    victim->ApplyHit(enemy, 100, 1, false);
    ASSERT_EQ(g_UnitCommandOutbox.GetSent().size(), 1u);
    EXPECT_EQ(g_UnitCommandOutbox.GetSent()[0].command, 32);
    g_Config.networkRole = 0;
}
