// Each rider heals (the hero) or not, fights a warrior to the death through
// the real simulation step, falls with the rider's and the horse's cry once
// each, and keeps the count and the cries in its saved part.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "effects/C_Particles.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_ReferenceBase.h"

namespace
{
std::string SavedPart(const CUnit& unit)
{
    CMemorySaveStream stream;
    unit.SaveGameExtra(stream, CReferenceBase());
    return stream.Bytes();
}
}  // namespace

TEST(CavalryDuel, EachRiderKillsAWarriorOneBlowPerSwingThenFallsWithTwoCries)
{
    // Type, die model, the warrior's death cries for the rider's damage
    // type (6: 100 to 107, 1: 74 to 85), heals.
    const int32_t riders[][5] = {{UNIT_HEAVYCAVALRY, 42, 100, 8, 0}, {UNIT_HEROCAVALRY, 85, 74, 12, 1}};
    for (const auto& row : riders)
    {
        SCOPED_TRACE(row[0]);
        CMeleeWorld melee;
        g_Particles.Reset();
        GetGlobalModel(row[1])->object.frameCount = 32;   // both cries fall inside
        CUnit* rider = melee.Spawn(0, row[0], 10, 10, STANCE_STAND_GROUND);
        CUnit* warrior = melee.Spawn(1, UNIT_WARRIOR, 12, 10, STANCE_STAND_GROUND);
        rider->health = 99.99f;
        rider->starvation = 1.0f;
        melee.Frame();
        EXPECT_EQ(rider->health, row[4] ? 100.0f : 99.99f);
        EXPECT_EQ(rider->starvation, row[4] ? 0.0f : 1.0f);
        rider->onCommand(warrior, nullptr, nullptr, 12, 10, CMD_ATTACK);
        int32_t base = 0;
        int32_t bonus = 0;
        // Both damage types take the victim's first factor; dead below one
        // hit point; a whole model's frames per swing.
        const float hitPoints = static_cast<float>(rider->GetAttack(&base, &bonus)) * warrior->GetDamageFactorA();
        const auto blows = static_cast<size_t>(std::ceil((warrior->GetMaxHitPoints() - 0.999f) / hitPoints));
        std::vector<int32_t> blowFrames;
        float last = warrior->health;
        int32_t frame = 0;
        ASSERT_GT(melee.FramesUntil(3000, [&] {
            if (warrior->health < last)
                blowFrames.push_back(frame);
            last = warrior->health;
            ++frame;
            return warrior->GetLife() == UnitLife::Corpse;
        }), 0);
        ASSERT_EQ(blowFrames.size(), blows);
        for (size_t i = 1; i < blows; ++i)
            EXPECT_NEAR(blowFrames[i] - blowFrames[i - 1], CMeleeWorld::FrameCount / rider->GetAttackAnimSpeed(), 1.0f);
        const std::vector<int32_t>& samples = melee.world.Samples();   // sample, volume
        bool warriorCried = false;
        for (size_t i = 0; i < samples.size(); i += 2)
            warriorCried = warriorCried || (samples[i] >= row[2] && samples[i] < row[2] + row[3]);
        EXPECT_TRUE(warriorCried);
        EXPECT_EQ(melee.firstFault, "");

        rider->RemoveFromWorld(false);
        const size_t before = samples.size();
        EXPECT_FALSE(rider->Animate(100));
        EXPECT_EQ(std::vector<int32_t>(samples.begin() + static_cast<std::ptrdiff_t>(before), samples.end()),
                  (std::vector<int32_t>{47, 100, 162, 100}));
        // Hit count, then the two cries' flags; read back byte for byte.
        const std::string part = SavedPart(*rider);
        EXPECT_EQ(part, std::string("\x02\x00\x00\x00\x01\x01", 6));
        std::unique_ptr<CUnit> loaded(melee.world.Player(1).UnitFactory(row[0]));
        CMemorySaveStream in(part);
        ASSERT_TRUE(loaded->LoadGameExtra(in, CReferenceBase()));
        EXPECT_EQ(SavedPart(*loaded), part);
    }
}
