// The projectiles of the particle stand-in: how long they fly, whom they
// strike on landing, the area blast, and a shooter gone while its shot
// flies.

#include <gtest/gtest.h>

#include "effects/C_Particles.h"
#include "tests/support/SimHarness.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_Player.h"

namespace
{
struct SFlightCase
{
    float toX;
    float toY;
    int32_t ticks;
};

// One tick per two whole blocks, at least one.
const SFlightCase FlightCases[] = {
    {0.0f, 0.0f, 1}, {1.0f, 0.0f, 1}, {3.9f, 0.0f, 1}, {4.0f, 0.0f, 2}, {6.0f, 8.0f, 5}, {30.0f, 0.0f, 15},
};

int32_t AttackOf(const CUnit& unit)
{
    int32_t base = 0;
    int32_t bonus = 0;
    return unit.GetAttack(&base, &bonus);
}

float PercentOf(const CUnit& victim, int32_t amount, float factor)
{
    return static_cast<float>(amount) * factor / victim.GetMaxHitPoints() * 100.0f;
}

class Projectiles : public ::testing::Test
{
protected:
    void SetUp() override { g_Particles.Reset(); }
    void TearDown() override { g_Particles.Reset(); }

    CSimHarness m_World;
};
}  // namespace

TEST(ProjectilesFlight, OneTickPerTwoBlocksAtLeastOne)
{
    for (const SFlightCase& row : FlightCases)
        EXPECT_EQ(CParticles::FlightTicks(0.0f, 0.0f, row.toX, row.toY), row.ticks) << row.toX << "," << row.toY;
}

TEST_F(Projectiles, AnArrowStrikesItsTargetWhenItLandsWithTheAttackAtLaunch)
{
    CUnit* archer = m_World.Spawn(0, UNIT_ARCHER, 10, 10);
    CUnit* target = m_World.Spawn(1, UNIT_WARRIOR, 16, 10);
    const int32_t attack = AttackOf(*archer);
    g_Particles.AddArrow(false, archer, target, 10.5f, 48.6f, 10.5f, 16.5f, 40.0f, 10.5f, CParticles::KindArrow);
    m_World.Research(0, 20);   // a better attack after launch changes nothing
    m_World.Frame(2);
    EXPECT_FLOAT_EQ(target->health, CUnit::FullHealth);
    m_World.Frame(1);
    EXPECT_FLOAT_EQ(target->health, CUnit::FullHealth - PercentOf(*target, attack, target->GetDamageFactorB()));
    EXPECT_TRUE(g_Particles.GetProjectiles().empty());
}

TEST_F(Projectiles, AShotOutlivingItsDeletedShooterLandsAndCreditsTheShootersPlayer)
{
    CUnit* shooter = m_World.Spawn(0, UNIT_ARCHER, 10, 10);
    CUnit* target = m_World.Spawn(1, UNIT_WARRIOR, 20, 10);
    target->health = 100.0f / target->GetMaxHitPoints() + 0.5f;   // one hit point
    g_Particles.AddArrow(false, shooter, target, 10.5f, 48.6f, 10.5f, 20.5f, 40.0f, 10.5f, CParticles::KindArrow);
    m_World.Delete(shooter);
    ASSERT_EQ(g_Particles.GetProjectiles().size(), 1u);
    EXPECT_EQ(g_Particles.GetProjectiles()[0].shooter, nullptr);
    m_World.Frame(5);
    EXPECT_TRUE(target->IsDying());
    EXPECT_EQ(m_World.Player(0).statistics[STAT_UNITS_KILLED], 1);
}

TEST_F(Projectiles, AnExplodingStoneStrikesEveryUnitAroundItsBlockOnce)
{
    CUnit* catapult = m_World.Spawn(0, UNIT_CATAPULT, 2, 2);
    CUnit* centre = m_World.Spawn(1, UNIT_WARRIOR, 20, 20);
    CUnit* near = m_World.Spawn(1, UNIT_WARRIOR, 21, 21);
    CUnit* far = m_World.Spawn(1, UNIT_WARRIOR, 22, 20);
    const int32_t attack = AttackOf(*catapult);
    g_Particles.AddCatapultStone(false, catapult, 3.0f, 10.0f, 3.0f, 20.5f, 0.0f, 20.5f,
                                 CParticles::KindExplodingStone);
    m_World.Frame(12);
    const float blast = CUnit::FullHealth - PercentOf(*centre, attack, centre->GetDamageFactorC());
    EXPECT_FLOAT_EQ(centre->health, std::max(blast, 0.0f));
    EXPECT_FLOAT_EQ(near->health, std::max(blast, 0.0f));
    EXPECT_FLOAT_EQ(far->health, CUnit::FullHealth);
}
