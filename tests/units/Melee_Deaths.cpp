// The end of a melee unit: the fall, the torn-apart burst, the death
// sounds, a model without frames, and a death that ends inside the model
// choice.

#include <gtest/gtest.h>

#include "effects/C_Particles.h"
#include "tests/support/TestLog.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_Unit_Warrior.h"
#include "units/C_UnitTypeTable.h"

namespace
{
int32_t BodyPartsThrown()
{
    int32_t parts = 0;
    for (const SEffectParticle& effect : g_Particles.GetEffects())
        if (effect.kind >= 50 && effect.kind <= 61)
            ++parts;
    return parts;
}

// A type whose death ends as soon as its Die model is chosen.
class CInstantCorpse : public CUnitWarrior
{
public:
    void SetModelByAnimation() override
    {
        CUnitWarrior::SetModelByAnimation();
        if (animType == ANIM_DIE)
            FinishDeath();
    }
};

struct STornCase
{
    int32_t type;
    int32_t parts;
};

const STornCase TornCases[] = {
    {UNIT_WARRIOR, 10},
    {UNIT_KNIGHT, 11},
    {UNIT_LIGHTCAVALRY, 18},
};
}  // namespace

TEST(MeleeDeaths, ATornApartUnitSkipsItsFallAndThrowsItsBodyParts)
{
    for (const STornCase& row : TornCases)
    {
        SCOPED_TRACE(row.type);
        CMeleeWorld melee;
        g_Particles.Reset();
        CUnit* unit = melee.Spawn(1, row.type, 10, 10, STANCE_STAND_GROUND);
        unit->tornApart = 1;
        unit->RemoveFromWorld(false);
        EXPECT_EQ(BodyPartsThrown(), row.parts);
        EXPECT_FLOAT_EQ(unit->animFrame, static_cast<float>(CMeleeWorld::FrameCount));
        // The next tick ends it.
        EXPECT_FALSE(unit->Animate(1));
        EXPECT_TRUE(g_Particles.HoldsCorpse(unit));
        EXPECT_FALSE(melee.world.Player(1).HasUnit(unit));
    }
}

TEST(MeleeDeaths, AModelWithoutFramesCountsAsOneFrameAndIsLoggedOnce)
{
    CMeleeWorld melee;
    CTestLog log;
    GetGlobalModel(15)->object.frameCount = 0;
    EXPECT_EQ(CUnitAnimationTable::FrameIndex(7.6f, 15), 0);
    EXPECT_EQ(CUnitAnimationTable::FrameCount(15), 1);
    EXPECT_EQ(CUnitAnimationTable::FrameIndex(7.6f, 14), 7);
    EXPECT_EQ(CUnitAnimationTable::FrameIndex(27.0f, 14), 7);
    EXPECT_EQ(log.Count("Model 15 has no frames; it is drawn and animated as one frame"), 1);
    // A warrior swinging that model neither divides by zero nor stops.
    CUnit* warrior = melee.Spawn(0, UNIT_WARRIOR, 10, 10, STANCE_STAND_GROUND);
    CUnit* target = melee.Spawn(1, UNIT_WARRIOR, 11, 10, STANCE_STAND_GROUND);
    warrior->onCommand(target, nullptr, nullptr, 11, 10, CMD_ATTACK);
    const float before = target->health;
    melee.FramesUntil(200, [&] { return target->health < before; });
    EXPECT_LT(target->health, before);
    warrior->Render();
    EXPECT_EQ(static_cast<CUnitMeleeType*>(warrior)->drawnFrame, 0);
}

TEST(MeleeDeaths, ADeathThatEndsInsideTheModelChoiceLeavesACorpse)
{
    CMeleeWorld melee;
    g_Particles.Reset();
    CUnit* unit = melee.world.Adopt(1, new CInstantCorpse(), 10, 10);
    ASSERT_NE(unit, nullptr);
    unit->RemoveFromWorld(false);
    EXPECT_EQ(unit->GetLife(), UnitLife::Corpse);
    EXPECT_EQ(unit->animType, ANIM_CORPSE);
    EXPECT_TRUE(g_Particles.HoldsCorpse(unit));
    EXPECT_FALSE(melee.world.Player(1).HasUnit(unit));
    melee.Frame();
    EXPECT_EQ(melee.firstFault, "");
}
