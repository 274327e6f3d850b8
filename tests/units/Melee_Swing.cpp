// When the blows of a swing fall: counted in ticks from the first tick the
// swing moves on (the striker faces its target), with the model's frames
// at the harness's frame count.

#include <gtest/gtest.h>

#include <vector>

#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"

namespace
{
struct SSwingCase
{
    int32_t type;
    float startFrame;
    // Advances of the swing (0.5 frames each) after which each blow lands.
    std::vector<int32_t> blowAdvances;
    int32_t attackDivisor;
};

// Warrior: from frame 10 to the frame count 20. Knight: from frame 4 to
// the half blows at frames 8 and 17.
const SSwingCase SwingCases[] = {
    {UNIT_WARRIOR, 10.0f, {20, 60}, 1},
    {UNIT_KNIGHT, 4.0f, {8, 26, 48}, 2},
};

int32_t AttackOf(const CUnit& unit)
{
    int32_t base = 0;
    int32_t bonus = 0;
    return unit.GetAttack(&base, &bonus);
}
}  // namespace

TEST(MeleeSwing, BlowsFallAtTheTypesFramesFromTheFirstTickTheSwingMoves)
{
    for (const SSwingCase& swing : SwingCases)
    {
        SCOPED_TRACE(swing.type);
        CMeleeWorld melee;
        CUnit* striker = melee.Spawn(0, swing.type, 10, 10, STANCE_STAND_GROUND);
        CUnit* target = melee.Spawn(1, UNIT_WARRIOR, 11, 10, STANCE_STAND_GROUND);
        ASSERT_NE(striker, nullptr);
        ASSERT_NE(target, nullptr);
        ASSERT_FLOAT_EQ(striker->GetAttackAnimSpeed(), 0.5f);
        striker->onCommand(target, nullptr, nullptr, 11, 10, CMD_ATTACK);
        const int32_t started = melee.FramesUntil(
            200, [&] { return striker->animType == ANIM_ATTACK && striker->animFrame > swing.startFrame; });
        ASSERT_GT(started, 0);
        ASSERT_FLOAT_EQ(striker->animFrame, swing.startFrame + 0.5f);
        const float perBlow = static_cast<float>(AttackOf(*striker) / swing.attackDivisor) *
                              target->GetDamageFactorA() / target->GetMaxHitPoints() * 100.0f;
        int32_t advance = 1;
        for (size_t blow = 0; blow < swing.blowAdvances.size(); ++blow)
        {
            const float before = target->health;
            while (advance + 1 < swing.blowAdvances[blow])
            {
                melee.Frame();
                ++advance;
                ASSERT_FLOAT_EQ(target->health, before) << "early blow at advance " << advance;
            }
            melee.Frame();
            ++advance;
            EXPECT_NEAR(before - target->health, perBlow, 0.001f) << "blow " << blow;
        }
        EXPECT_EQ(melee.firstFault, "");
    }
}

TEST(MeleeSwing, AKnightsFirstHalfBlowLandsOnATargetThatJustSteppedAway)
{
    CMeleeWorld melee;
    CUnit* knight = melee.Spawn(0, UNIT_KNIGHT, 10, 10, STANCE_STAND_GROUND);
    CUnit* target = melee.Spawn(1, UNIT_WARRIOR, 11, 10, STANCE_STAND_GROUND);
    knight->onCommand(target, nullptr, nullptr, 11, 10, CMD_ATTACK);
    ASSERT_GT(melee.FramesUntil(200, [&] { return knight->animType == ANIM_ATTACK; }), 0);
    // Out of reach before the first blow.
    g_GameMap.Block(11, 10).unit = nullptr;
    target->x = 14;
    target->centreX = 14.5f;
    g_GameMap.Block(14, 10).unit = target;
    const float before = target->health;
    melee.FramesUntil(60, [&] { return target->health < before; });
    EXPECT_LT(target->health, before);
    const float afterFirst = target->health;
    // The second one does not: the knight goes after it instead.
    melee.FramesUntil(40, [&] { return knight->animType != ANIM_ATTACK; });
    EXPECT_FLOAT_EQ(target->health, afterFirst);
    EXPECT_NE(knight->animType, ANIM_ATTACK);
    g_GameMap.Block(14, 10).unit = nullptr;
    target->x = 11;
    target->centreX = 11.5f;
    g_GameMap.Block(11, 10).unit = target;
}
