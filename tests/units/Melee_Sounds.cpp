// The hurt and death sounds of the warrior's and the knight's tables over
// damage types 1 to 9, played at the unit's tile by the hit itself.

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "tests/support/SimHarness.h"
#include "units/C_Unit.h"
#include "units/C_UnitSoundTable.h"
#include "units/C_UnitTypeTable.h"

namespace
{
struct SSoundRow
{
    int32_t damageType;
    SSoundPair warriorDeath;
    SSoundPair warriorHurt;   // variants 0: silent
    SSoundPair knightDeath;
    SSoundPair knightHurt;
};

const SSoundRow SoundRows[] = {
    {1, {74, 12}, {64, 2}, {43, 4}, {32, 4}},   {2, {86, 12}, {66, 3}, {86, 12}, {36, 4}},
    {3, {86, 12}, {66, 3}, {86, 12}, {36, 4}},  {4, {98, 2}, {69, 2}, {98, 2}, {69, 2}},
    {5, {112, 6}, {0, 0}, {112, 6}, {0, 0}},    {6, {100, 8}, {71, 2}, {100, 8}, {40, 3}},
    {7, {108, 4}, {73, 1}, {108, 4}, {73, 1}},  {8, {108, 4}, {73, 1}, {108, 4}, {73, 1}},
    {9, {98, 2}, {69, 2}, {98, 2}, {69, 2}},
};

void ExpectSound(const std::vector<int32_t>& played, const SSoundPair& sound)
{
    if (sound.variants == 0)
    {
        EXPECT_TRUE(played.empty());
        return;
    }
    ASSERT_EQ(played.size(), 2u);
    EXPECT_GE(played[0], sound.sample);
    EXPECT_LT(played[0], sound.sample + sound.variants);
    EXPECT_EQ(played[1], 100);   // the local player sees its own unit's tile
}

// What one call of the unit's hit sound played, as (sample, volume).
std::vector<int32_t> Played(CSimHarness& world, CUnit& unit, int32_t damageType, bool alive)
{
    const size_t before = world.Samples().size();
    unit.health = alive ? CUnit::FullHealth : 0.0f;
    unit.PlayHitSound(damageType);
    return std::vector<int32_t>(world.Samples().begin() + static_cast<std::ptrdiff_t>(before), world.Samples().end());
}
}  // namespace

TEST(MeleeSounds, HurtAndDeathColumnsOfTheWarriorAndKnightTables)
{
    CSimHarness world;
    CUnit& warrior = *world.Spawn(0, UNIT_WARRIOR, 10, 10);
    CUnit& rider = *world.Spawn(0, UNIT_LIGHTCAVALRY, 14, 10);
    CUnit& knight = *world.Spawn(0, UNIT_KNIGHT, 18, 10);
    for (const SSoundRow& row : SoundRows)
    {
        SCOPED_TRACE(row.damageType);
        ExpectSound(Played(world, warrior, row.damageType, true), row.warriorHurt);
        ExpectSound(Played(world, warrior, row.damageType, false), row.warriorDeath);
        ExpectSound(Played(world, rider, row.damageType, true), row.warriorHurt);
        ExpectSound(Played(world, rider, row.damageType, false), row.warriorDeath);
        ExpectSound(Played(world, knight, row.damageType, true), row.knightHurt);
        ExpectSound(Played(world, knight, row.damageType, false), row.knightDeath);
    }
    // Outside 1 to 9 nothing plays.
    EXPECT_TRUE(Played(world, warrior, 0, true).empty());
    EXPECT_TRUE(Played(world, warrior, 10, false).empty());
    // Put back alive for the harness's clean-up.
    warrior.health = rider.health = knight.health = CUnit::FullHealth;
}

TEST(MeleeSounds, MachinesSoundTheHitEvenWhenDeadAndRidersHorsesDieAfterThem)
{
    CSimHarness world;
    CUnit& unit = *world.Spawn(0, UNIT_WARRIOR, 10, 10);
    struct SCase
    {
        EHitSounds table;
        bool alive;
        std::vector<SSoundPair> sounds;   // in the order played
    };
    const SCase cases[] = {
        {EHitSounds::Machine, true, {{118, 3}}},
        {EHitSounds::Machine, false, {{118, 3}, {130, 3}}},
        {EHitSounds::Ship, false, {{118, 3}, {18, 3}}},
        {EHitSounds::KnightHorse, true, {{32, 4}}},
        {EHitSounds::KnightHorse, false, {{43, 4}, {159, 3}}},
    };
    for (const SCase& row : cases)
    {
        const size_t before = world.Samples().size();
        unit.health = row.alive ? CUnit::FullHealth : 0.0f;
        CUnitSoundTable::PlayHitSound(unit, row.table, 1);
        ASSERT_EQ(world.Samples().size() - before, row.sounds.size() * 2);
        for (size_t i = 0; i < row.sounds.size(); ++i)
        {
            const std::vector<int32_t> played(world.Samples().begin() + static_cast<std::ptrdiff_t>(before + 2 * i),
                                              world.Samples().begin() + static_cast<std::ptrdiff_t>(before + 2 * i + 2));
            ExpectSound(played, row.sounds[i]);
        }
    }
    unit.health = CUnit::FullHealth;
}
