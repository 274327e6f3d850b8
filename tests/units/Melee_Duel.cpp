// Two hostile warriors fight to the death through the real simulation step:
// the timing of the blows, the kill, the corpse and the bookkeeping.

#include <gtest/gtest.h>

#include <cmath>

#include "effects/C_Particles.h"
#include "tests/support/TestLog.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitMeleeType.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t MostFightFrames = 2000;

// Blows of `attack` that take a unit from full health to below one hit
// point: each takes attack x factor hit points off.
int32_t BlowsToKill(const CUnit& victim, int32_t attack, float factor)
{
    const float perBlow = static_cast<float>(attack) * factor;
    return static_cast<int32_t>(std::ceil((victim.GetMaxHitPoints() - 0.999f) / perBlow));
}

int32_t AttackOf(const CUnit& unit)
{
    int32_t base = 0;
    int32_t bonus = 0;
    return unit.GetAttack(&base, &bonus);
}
}  // namespace

TEST(MeleeDuel, TwoAggressiveWarriorsFiveBlocksApartFightUntilOneIsACorpse)
{
    CMeleeWorld melee;
    CTestLog log;
    g_Particles.Reset();
    CUnit* left = melee.Spawn(0, UNIT_WARRIOR, 10, 10, STANCE_AGGRESSIVE);
    CUnit* right = melee.Spawn(1, UNIT_WARRIOR, 15, 10, STANCE_AGGRESSIVE);
    ASSERT_NE(left, nullptr);
    ASSERT_NE(right, nullptr);
    const int32_t blows = BlowsToKill(*right, AttackOf(*left), right->GetDamageFactorA());
    const int32_t scores[2] = {melee.world.Player(0).score, melee.world.Player(1).score};

    int32_t blowsTaken[2] = {0, 0};
    float lastHealth[2] = {left->health, right->health};
    CUnit* fighters[2] = {left, right};
    const int32_t frames = melee.FramesUntil(MostFightFrames, [&] {
        for (int32_t side = 0; side < 2; ++side)
        {
            if (fighters[side]->health < lastHealth[side])
                ++blowsTaken[side];
            lastHealth[side] = fighters[side]->health;
        }
        return fighters[0]->GetLife() == UnitLife::Corpse || fighters[1]->GetLife() == UnitLife::Corpse;
    });
    ASSERT_GT(frames, 0) << "no one died";
    const int32_t loserSide = left->GetLife() == UnitLife::Corpse ? 0 : 1;
    const int32_t winnerSide = 1 - loserSide;
    CUnit* loser = fighters[loserSide];
    CUnit* winner = fighters[winnerSide];

    EXPECT_EQ(blowsTaken[loserSide], blows);
    EXPECT_LT(blowsTaken[winnerSide], blows);
    EXPECT_TRUE(winner->IsAlive());
    CPlayer& winnerPlayer = melee.world.Player(winnerSide);
    EXPECT_EQ(winnerPlayer.statistics[STAT_UNITS_KILLED], 1);
    EXPECT_EQ(winnerPlayer.score - scores[winnerSide], 5);
    EXPECT_FALSE(melee.world.Player(loserSide).HasUnit(loser));
    EXPECT_EQ(melee.world.Player(loserSide).unitCount, 0);
    EXPECT_TRUE(g_Particles.HoldsCorpse(loser));
    EXPECT_EQ(g_Particles.GetCorpseCount(), 1);
    // The winner finishes its swing and stands.
    melee.FramesUntil(100, [&] { return winner->animType == ANIM_STAND; });
    EXPECT_EQ(winner->animType, ANIM_STAND);
    EXPECT_EQ(winner->actionTargetUnit, nullptr);
    EXPECT_EQ(melee.firstFault, "");
    EXPECT_FALSE(log.Contains("#DEBUG: Invalid animation type for a dead unit"));
}
