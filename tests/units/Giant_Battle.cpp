// The giant and the undead through the real simulation step: the giant's
// half blows, the undead's healing, the giant's reach over its next
// footprint on patrol, how both fall torn apart; and their saved parts.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "effects/C_Particles.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/TestLog.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitMeleeType.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_Player.h"
#include "world/C_ReferenceBase.h"

TEST(GiantBattle, AGiantKillsAnUndeadWithBlowsOf16)
{
    CMeleeWorld war;
    g_Particles.Reset();
    CUnit* giant = war.Spawn(0, UNIT_GIANT, 10, 10, STANCE_AGGRESSIVE);
    CUnit* undead = war.Spawn(1, UNIT_UNDEAD, 14, 10, STANCE_AGGRESSIVE);
    // A club blow of 16 is damage type 6, taken through the first factor.
    const float lossPerBlow = 16.0f * undead->GetDamageFactorA() / undead->GetMaxHitPoints() * 100.0f;
    std::vector<float> losses;
    float last = undead->health;
    ASSERT_GT(war.FramesUntil(3000, [&] {
        if (undead->health < last)
            losses.push_back(last - undead->health);
        last = undead->health;
        return undead->GetLife() == UnitLife::Corpse;
    }), 0);
    ASSERT_GE(losses.size(), 2u);
    for (size_t i = 0; i + 1 < losses.size(); ++i)   // the last is cut at 0
        EXPECT_NEAR(losses[i], lossPerBlow, 1e-3f) << "blow " << i;
    EXPECT_TRUE(giant->IsAlive() && g_Particles.HoldsCorpse(undead));
    EXPECT_EQ(war.firstFault, "");
}

TEST(GiantBattle, AStandingUndeadHealsToExactlyFullNeverStarvesAndHealsNotWhileWalking)
{
    CMeleeWorld war;
    CUnit* undead = war.Spawn(0, UNIT_UNDEAD, 10, 10, STANCE_STAND_GROUND);
    undead->health = 99.99f;
    undead->starvation = 50.0f;
    undead->Animate(1);
    EXPECT_TRUE(undead->health == 100.0f && undead->starvation == 0.0f);
    undead->health = 50.0f;
    undead->animType = ANIM_WALK;
    undead->Animate(60);
    EXPECT_EQ(undead->health, 50.0f);
}

TEST(GiantBattle, APatrollingGiantStrikesAnEnemyOnEitherNewCellOfItsNextFootprint)
{
    // Stepping east from (10, 10) to (11, 10) the giant enters (12, 10) and
    // (12, 11); a friend stands on the other one.
    for (const int32_t enemyY : {10, 11})
    {
        CMeleeWorld war;
        war.world.Player(0).type = PLAYER_COMPUTER;
        CUnit* giant = war.Spawn(0, UNIT_GIANT, 10, 10, STANCE_AGGRESSIVE);
        CUnit* enemy = war.Spawn(1, UNIT_WARRIOR, 12, enemyY, STANCE_STAND_GROUND);
        ASSERT_NE(war.Spawn(0, UNIT_WARRIOR, 12, 21 - enemyY, STANCE_STAND_GROUND), nullptr);
        giant->currentCommand = CMD_PATROL;
        bool engaged = false;
        giant->SeekTargetOnPatrol(11, 10, &engaged);
        EXPECT_TRUE(engaged && giant->actionTargetUnit == enemy && giant->model == 98) << enemyY;
    }
}

TEST(GiantBattle, ATornApartGiantThrowsElevenPartsAndATornApartUndeadFallsWhole)
{
    // Type, body parts, die model, first frame: the fall skipped or played.
    const std::tuple<int32_t, size_t, int32_t, float> cases[] = {{UNIT_GIANT, 11, 99, CMeleeWorld::FrameCount},
                                                                 {UNIT_UNDEAD, 0, 107, 0.0f}};
    for (const auto& [type, parts, dieModel, firstFrame] : cases)
    {
        CMeleeWorld war;
        g_Particles.Reset();
        CUnit* unit = war.Spawn(1, type, 10, 10, STANCE_STAND_GROUND);
        unit->tornApart = 1;
        unit->RemoveFromWorld(true);
        size_t thrown = 0;
        for (const SEffectParticle& effect : g_Particles.GetEffects())
            thrown += effect.kind >= 50 && effect.kind <= 61 ? 1 : 0;
        EXPECT_TRUE(thrown == parts && unit->model == dieModel && unit->animFrame == firstFrame) << type;
        EXPECT_GT(war.FramesUntil(200, [&] { return unit->GetLife() == UnitLife::Corpse; }), 0);
    }
}

TEST(GiantSavedParts, FieldsInOrderReadBackByteForByteAndDamagedPartsChangeNothing)
{
    CSimHarness world;
    CReferenceBase table;
    CTestLog log;
    auto make = [&](int32_t type) {
        return std::unique_ptr<CUnitMeleeType>(static_cast<CUnitMeleeType*>(world.Player(1).UnitFactory(type)));
    };
    // Hit count 0x01020304, blow flags 1 and 0, death-sound flag 1: the
    // giant keeps all four, the undead the first two.
    const std::pair<int32_t, std::string> layouts[] = {{UNIT_GIANT, std::string("\x04\x03\x02\x01\x01\x00\x01", 7)},
                                                       {UNIT_UNDEAD, std::string("\x04\x03\x02\x01\x01", 5)}};
    for (const auto& [type, bytes] : layouts)
    {
        auto unit = make(type);
        CMemorySaveStream in(bytes);
        ASSERT_TRUE(unit->LoadGameExtra(in, table));
        CMemorySaveStream out;
        unit->SaveGameExtra(out, table);
        EXPECT_EQ(out.Bytes(), bytes);
    }
    // Cut short, a flag of 2, a negative hit count.
    for (const std::string& bad : {std::string("\x04\x03\x02\x01", 4), std::string("\x04\x03\x02\x01\x02", 5),
                                   std::string("\xFF\xFF\xFF\xFF\x00", 5)})
    {
        auto undead = make(UNIT_UNDEAD);
        CMemorySaveStream stream(bad);
        EXPECT_FALSE(undead->LoadGameExtra(stream, table) && !stream.HasError());
        EXPECT_TRUE(undead->hitCount == 0 && undead->blowDealt[0] == 0);
    }
}
