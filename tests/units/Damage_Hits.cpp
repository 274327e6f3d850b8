// A hit on a unit: the damage rules, its effects and the alerts; and a death
// through the Die animation and the corpse to deferred deletion.

#include <utility>

#include "ai/C_UnitList.h"
#include "buildings/C_Building.h"
#include "core/C_PtrGarbage.h"
#include "effects/C_Particles.h"
#include "platform/SysClock.h"
#include "tests/support/OffsetRange.h"
#include "tests/units/UnitWorld.h"
#include "world/C_GameMap.h"

namespace
{
// A unit whose traits a test sets and which records what it was told.
class CTargetDummy : public CUnit
{
public:
    float maxHitPoints = 100.0f;
    float factors[3] = {1.0f, 1.0f, 1.0f};
    bool healable = true;
    int32_t hitEffect = 0, pointValue = 7;
    std::vector<int32_t> hitSounds;
    std::vector<const void*> attackedBy;
    std::vector<const CUnit*> targetsLost;
    std::vector<std::vector<float>> corpseDraws;   // die weight, corpse weight, level

    void RenderAt(float dieWeight, float corpseWeight, int32_t level) override
    {
        corpseDraws.push_back({dieWeight, corpseWeight, float(level)});
    }

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
    // Factors A = 0.5, B = 0.25, C = 2.0; amount 10 of 100 hit points: A takes 5, B 2.5, C 20 percent
    // points, from a living being and from a machine; 5 and the types outside 1 to 9 take nothing.
    const float taken[][2] = {{0, 0}, {5, 5},     {2.5f, 2.5f}, {2.5f, 20}, {20, 20}, {0, 0},
                              {5, 5}, {2.5f, 20}, {20, 20},     {20, 20},   {0, 0}};
    victim->factors[0] = 0.5f;
    victim->factors[1] = 0.25f;
    victim->factors[2] = 2.0f;
    for (int32_t damageType = 0; damageType <= 10; ++damageType)
        for (const bool living : {true, false})
        {
            victim->health = 100.0f;
            victim->healable = living;
            victim->TakeHit(nullptr, 10, static_cast<TENUMDAMAGETYPE>(damageType), false);
            EXPECT_FLOAT_EQ(victim->health, 100.0f - taken[damageType][living ? 0 : 1]) << damageType << living;
            ASSERT_FALSE(victim->hitSounds.empty());
            EXPECT_EQ(victim->hitSounds.back(), damageType);
        }
}

TEST_F(DamageWorld, BloodDropsAndDebrisFollowTheHitEffectOnePerPercentPointLost)
{
    victim->hitEffect = 1;
    victim->TakeHit(enemy, 30, DAMAGE_BLADE, false);
    EXPECT_FLOAT_EQ(victim->health, 70.0f);
    const std::vector<SEffectParticle>& drops = g_Particles.GetEffects();
    ASSERT_EQ(drops.size(), 30u);
    for (size_t i = 0; i < drops.size(); ++i)
    {
        EXPECT_EQ(drops[i].kind, CParticles::KindBlood);
        EXPECT_EQ(drops[i].stain, i == 0 || i == 10 || i == 20) << "drop " << i;   // every tenth stains
        EXPECT_NEAR(drops[i].x, victim->centreX, 0.4f + 1e-4f);
    }
    // 40 percent points lost: 12 bits of debris each.
    g_Particles.Reset();
    victim->health = 100.0f;
    victim->hitEffect = 2;
    victim->TakeHit(nullptr, 40, DAMAGE_BLADE, false);
    victim->hitEffect = 3;
    victim->TakeHit(nullptr, 40, DAMAGE_BLADE, false);
    const std::vector<SEffectParticle>& debris = g_Particles.GetEffects();
    ASSERT_EQ(debris.size(), 24u);
    EXPECT_TRUE(debris.front().kind == 25 && debris.back().kind == 24);

    // Over many hits both ends of the spread are reached: drops (r(20) - 10) x 0.04 blocks from the
    // centre and r(20) + 40 above the ground, debris (r(40) - 20) x 0.04 and r(20) + 20 above.
    const float ground = g_GameMap.GetHeight(victim->centreX, victim->centreY);
    const struct { int32_t effect, kind, steps; float lowest; } spreads[] = {{1, CParticles::KindBlood, 20, 40.0f},
                                                                             {3, 24, 40, 20.0f}};
    for (const auto& spread : spreads)
    {
        SCOPED_TRACE(spread.kind);
        g_Particles.Reset();
        victim->hitEffect = spread.effect;
        for (int32_t hit = 0; hit < 20; ++hit)
        {
            victim->health = 100.0f;
            victim->TakeHit(nullptr, 90, DAMAGE_BLADE, false);
        }
        SOffsetRange range;
        for (const SEffectParticle& e : g_Particles.GetEffects())
            range.Add(e.x - victim->centreX, e.y - victim->centreY, e.height - ground);
        const float reach = float(spread.steps / 2) * 0.04f;
        for (int32_t i = 0; i < 2; ++i)
            EXPECT_TRUE(std::abs(range.low[i] + reach) < 1e-4f && std::abs(range.high[i] - reach + 0.04f) < 1e-4f)
                << range.low[i] << " to " << range.high[i];
        EXPECT_TRUE(range.low[2] == spread.lowest && range.high[2] == spread.lowest + 19.0f);
    }
}

TEST_F(DamageWorld, StarvingHalfHitPointsTearingAndTheKillersCreditOnce)
{
    // 50 hit points, 20 percent starving: a 1-point hit takes 2 percent points, so 40 living hit points become 39.
    victim->maxHitPoints = 50.0f;
    victim->starvation = 20.0f;
    victim->TakeHit(nullptr, 1, DAMAGE_BLADE, false);
    EXPECT_FLOAT_EQ(victim->health, 98.0f);
    EXPECT_EQ(victim->GetLivingHitPoints(), 39);
    // 100 hit points, 99.5 taken: 0.5 percent left is no whole hit point.
    victim->maxHitPoints = 100.0f;
    victim->health = 100.0f;
    victim->factors[0] = 0.995f;
    const int32_t scoreBefore = world.Player(1).score;
    victim->TakeHit(enemy, 100, DAMAGE_BLADE, false);
    EXPECT_FLOAT_EQ(victim->health, 0.0f);
    EXPECT_TRUE(victim->IsDying());
    // A second hit only tells the attacker its target is gone.
    victim->TakeHit(enemy, 100, DAMAGE_BLADE, false);
    EXPECT_TRUE(world.Player(1).statistics[STAT_UNITS_KILLED] == 1 && world.Player(1).score == (scoreBefore + 7));
    EXPECT_EQ(enemy->targetsLost, std::vector<const CUnit*>{victim});
    EXPECT_EQ(victim->hitSounds.size(), 2u);
    // 60 hit points: a lethal blast must take more than 20 percent to tear; a stone never tears.
    const struct { float health; TENUMDAMAGETYPE type; uint8_t torn; } tears[] = {
        {25.0f, DAMAGE_BLAST, 1}, {15.0f, DAMAGE_BLAST, 0}, {25.0f, DAMAGE_STONE, 0}};
    for (const auto& t : tears)
    {
        auto* torn = static_cast<CTargetDummy*>(world.Adopt(0, new CTargetDummy, 20 + t.type, 20 + int(t.health)));
        torn->maxHitPoints = 60.0f;
        torn->health = t.health;
        torn->TakeHit(enemy, 60, t.type, false);
        EXPECT_EQ(torn->tornApart, t.torn) << t.health << " type " << t.type;
    }
}

TEST_F(DamageWorld, TheVictimAndItsFollowersStrikeBackOnlyWhenAskedAndOnlyAtALivingShooter)
{
    victim->health = 90.0f;
    victim->ApplyHit(enemy, -50, DAMAGE_BLADE, false);   // a negative amount heals nothing
    EXPECT_FLOAT_EQ(victim->health, 90.0f);
    victim->TakeHit(enemy, 1, DAMAGE_BLADE, false);
    EXPECT_TRUE(victim->attackedBy.empty());
    victim->TakeHit(enemy, 1, DAMAGE_BLADE, true);
    EXPECT_EQ(victim->attackedBy, std::vector<const void*>{enemy});
    // A unit hit from a tower strikes back at the tower.
    CBuildingDouble tower(12, 10, 1, 6);
    g_GameMap.Block(12, 10).building = &tower;
    victim->TakeHit(enemy, 1, DAMAGE_BLADE, true);
    g_GameMap.Block(12, 10).building = nullptr;
    ASSERT_EQ(victim->attackedBy.size(), 2u);
    EXPECT_EQ(victim->attackedBy[1], &tower);
    // Followers are alerted too, unless the hit before came within ten seconds.
    CTargetDummy* follower = static_cast<CTargetDummy*>(world.Adopt(0, new CTargetDummy, 8, 8));
    follower->followedUnit = victim;
    for (const auto& [wait, alerts] : {std::pair{10000u, 1u}, std::pair{9999u, 1u}, std::pair{10000u, 2u}})
    {
        SysClock::AdvanceTestClock(wait);
        victim->TakeHit(enemy, 1, DAMAGE_BLADE, false);
        EXPECT_EQ(follower->attackedBy.size(), alerts) << wait;
    }
    // The followers' list is emptied first and counts by type.
    CUnitList followers;
    followers.Add(enemy);
    victim->CollectFollowers(followers);
    EXPECT_TRUE(followers.GetCount() == 1 && followers.GetAt(0) == follower && followers.GetAt(1) == nullptr &&
                followers.CountOfType(follower->GetCastID()) == 1);
    for (int32_t count = 1; count < 256; ++count)
        ASSERT_TRUE(followers.Add(enemy));
    EXPECT_FALSE(followers.Add(enemy));   // the 257th
    followers.Clear();
    EXPECT_TRUE(followers.GetCount() == 0 && followers.CountOfType(enemy->GetCastID()) == 0);
    // The victim's player looks around a far shooter with the disc of its size: radius 1, 3 x 3 blocks.
    CTargetDummy* far = static_cast<CTargetDummy*>(world.Adopt(1, new CTargetDummy, 30, 30));
    victim->TakeHit(far, 1, DAMAGE_BLADE, false);
    for (const auto& [dx, dy] : {std::pair{0, 0}, std::pair{1, 1}, std::pair{-1, 0}})
        EXPECT_NE(world.Player(0).exploredMap[(30 + dx) * MapCornerSide + 30 + dy], 0) << dx << "," << dy;
    EXPECT_EQ(world.Player(0).exploredMap[32 * MapCornerSide + 30], 0);
    // A shooter that died while its shot flew still attacked: the owner is
    // alerted again after the quiet minute, and the kill counts.
    victim->attackedBy.clear();
    enemy->RemoveFromWorld(false);
    SysClock::AdvanceTestClock(60000);
    const size_t markers = world.Markers().size();
    victim->TakeHit(enemy, 100, DAMAGE_BLADE, true);
    EXPECT_TRUE(victim->attackedBy.empty() && world.Markers().size() == markers + 3);
    EXPECT_EQ(world.Player(1).statistics[STAT_UNITS_KILLED], 1);
}

// A corpse lies whole for the first third of its time, the fallen body fades over the second and the
// remains over the last; then the unit goes to deferred deletion.  A hidden corpse is never drawn.
TEST_F(DamageWorld, ACorpseFadesItsBodyThenItsRemainsAndLetsGoWhenItsTimeIsUp)
{
    auto* body = new CTargetDummy;
    auto* unseen = new CTargetDummy;
    body->centreX = body->centreY = 20.5f;
    g_Particles.AddCorpse(false, body);
    g_Particles.AddCorpse(true, unseen);
    const float level = float(world.Player(g_LocalPlayer).GetVisibility(20, 20));
    const struct { int32_t ticksLeft; float dieWeight, corpseWeight; } stages[] = {
        {600, 1.0f, 1.0f}, {450, 1.0f, 1.0f}, {300, 0.5f, 1.0f},  {250, 0.25f, 1.0f},
        {200, 0.0f, 1.0f}, {100, 0.0f, 0.5f}, {50, 0.0f, 0.25f}, {1, 0.0f, 0.005f}};
    for (const auto& stage : stages)
    {
        g_Particles.Update(g_Particles.GetCorpseTicksLeft(body) - stage.ticksLeft);
        body->corpseDraws.clear();
        g_Particles.RenderCorpses();
        ASSERT_EQ(body->corpseDraws.size(), 1u) << stage.ticksLeft;
        EXPECT_EQ(body->corpseDraws[0], (std::vector<float>{stage.dieWeight, stage.corpseWeight, level}))
            << stage.ticksLeft;
    }
    EXPECT_TRUE(unseen->corpseDraws.empty() && g_Particles.GetCorpseCount() == 2);
    g_Particles.Update(1);
    EXPECT_TRUE(g_Particles.GetCorpseCount() == 0 && g_PtrGarbage.GetCount() == 2);
}

// The Die animation: 30 frames at 0.6 a tick.
constexpr int32_t DieTicks = 50;

TEST(DamageDeath, AKilledWarriorFallsDecaysAndIsDeletedOnce)
{
    CSimHarness world;
    g_Particles.Reset();
    CUnit* first = world.Spawn(0, UNIT_WARRIOR, 10, 10);
    CUnit* second = world.Spawn(1, UNIT_WARRIOR, 11, 10);
    ASSERT_TRUE(first != nullptr && second != nullptr);
    first->TakeHit(second, 1, DAMAGE_BLADE, true);
    second->TakeHit(first, 1000, DAMAGE_BLADE, true);
    world.Frame(1);
    // Dying: still listed, no longer targeted.
    EXPECT_TRUE(second->animType == ANIM_DIE && world.Player(1).HasUnit(second) &&
                first->targetUnit != second && first->attacker != second);
    const int32_t lost = world.Player(1).statistics[STAT_UNITS_LOST];
    world.Frame(DieTicks - 3);
    EXPECT_TRUE(world.Player(1).HasUnit(second));
    world.Frame(4);
    ExpectWorldSound(world);
    EXPECT_TRUE(second->animType == ANIM_CORPSE && !world.Player(1).HasUnit(second) &&
                world.Player(1).statistics[STAT_UNITS_LOST] == (lost + 1));
    EXPECT_TRUE(!second->IsFootprintRegistered() && g_GameMap.Block(11, 10).unit == nullptr &&
                g_Particles.HoldsCorpse(second) && g_Particles.GetCorpseCount() == 1 && world.DeletedUnits() == 0);
    world.Frame(CParticles::CorpseTicks);
    ExpectWorldSound(world);
    EXPECT_EQ(g_Particles.GetCorpseCount(), 0);
    EXPECT_TRUE(world.DeletedUnits() == 1 && !world.IsLive(second) && world.IsLive(first));
    world.Frame(10);
    EXPECT_EQ(world.DeletedUnits(), 1);
}
