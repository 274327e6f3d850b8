// The end of a fighter: the torn-apart burst, the riders' two cries, a
// model without frames; and the self-healing fighters.

#include <utility>

#include "tests/support/MemorySaveStream.h"
#include "tests/support/TestLog.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitMeleeType.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_ReferenceBase.h"

TEST(MeleeDeaths, ATornApartUnitThrowsItsBodyPartsAndSkipsItsFallUnlessItIsUndead)
{
    // The body parts thrown, and the die model (0: not looked at).
    const struct { int32_t type, parts, dieModel; } cases[] = {{UNIT_WARRIOR, 10, 0}, {UNIT_KNIGHT, 11, 0},
        {UNIT_LIGHTCAVALRY, 18, 0}, {UNIT_GIANT, 11, 99}, {UNIT_UNDEAD, 0, 107}};
    for (const auto& row : cases)
    {
        SCOPED_TRACE(row.type);
        const bool skipsFall = row.type != UNIT_UNDEAD;
        CMeleeWorld melee;
        CUnit* unit = melee.Spawn(1, row.type, 10, 10, STANCE_STAND_GROUND);
        unit->tornApart = 1;
        unit->RemoveFromWorld(false);
        EXPECT_EQ(CMeleeWorld::EffectsOfKinds(50, 61), row.parts);
        EXPECT_FLOAT_EQ(unit->animFrame, skipsFall ? static_cast<float>(CMeleeWorld::FrameCount) : 0.0f);
        EXPECT_TRUE(row.dieModel == 0 || unit->model == row.dieModel);
        if (skipsFall)
            EXPECT_FALSE(unit->Animate(1));   // the next tick ends it
        else
            EXPECT_GT(melee.FramesUntil(200, [&] { return unit->GetLife() == UnitLife::Corpse; }), 0);
        EXPECT_TRUE(g_Particles.HoldsCorpse(unit) && !melee.world.Player(1).HasUnit(unit));
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
    CMeleeWorld melee;
    CTestLog log;
    GetGlobalModel(15)->object.frameCount = 0;
    EXPECT_TRUE(CUnitAnimationTable::FrameIndex(7.6f, 15) == 0 && CUnitAnimationTable::FrameCount(15) == 1 &&
                CUnitAnimationTable::FrameIndex(7.6f, 14) == 7);
    EXPECT_EQ(CUnitAnimationTable::FrameIndex(27.0f, 14), 7);
    EXPECT_EQ(log.Count("Model 15 has no frames; it is drawn and animated as one frame"), 1);
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
        SCOPED_TRACE(type);
        const bool heals = type != UNIT_HEAVYCAVALRY;
        CMeleeWorld war;
        CUnit* unit = war.Spawn(0, type, 10, 10, STANCE_STAND_GROUND);
        unit->health = 99.99f;
        unit->starvation = 1.0f;
        war.Frame();
        EXPECT_TRUE(unit->health == (heals ? 100.0f : 99.99f) && unit->starvation == (heals ? 0.0f : 1.0f));
    }
}
