// The three heroes through the real simulation step: each shoots a warrior
// dead (the guns strike in the frame of the shot, the laser by its
// particle), never fires while turning and dies at once; the QuiB's speech
// bubble is saved after the shot flag and runs its 200 ticks.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "effects/C_Particles.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/TestLog.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_Quib.h"
#include "world/C_ReferenceBase.h"

namespace
{
struct SHeroCase
{
    int32_t type;
    int32_t shotSample;
    bool laser;
};
const SHeroCase Heroes[] = {{UNIT_QUIB, 51, true}, {UNIT_WARHOUND, 52, false}, {UNIT_GUNSLINGER, 52, false}};

// The samples played come as (sample, volume) pairs; no volume is 51 or 52.
int32_t CountSamples(const CSimHarness& world, int32_t sample)
{
    return static_cast<int32_t>(std::count(world.Samples().begin(), world.Samples().end(), sample));
}

// A hero of the row's type at (10, 10) and a warrior standing its ground
// at (warriorX, 10), with no particles left from the row before.
std::pair<CUnit*, CUnit*> SpawnDuel(CMeleeWorld& war, const SHeroCase& row, int32_t heroStance, int32_t warriorX)
{
    g_Particles.Reset();
    CUnit* hero = war.Spawn(0, row.type, 10, 10, heroStance);
    return {hero, war.Spawn(1, UNIT_WARRIOR, warriorX, 10, STANCE_STAND_GROUND)};
}
}  // namespace

TEST(HeroesBattle, EachHeroShootsAWarriorDeadGunsAtOnceTheLaserByItsParticle)
{
    for (const SHeroCase& row : Heroes)
    {
        SCOPED_TRACE(row.type);
        CMeleeWorld war;
        // Far enough for the laser to fly more than one tick.
        const auto [hero, warrior] = SpawnDuel(war, row, STANCE_AGGRESSIVE, 20);
        int32_t shots = 0;
        int32_t hits = 0;
        int32_t hitsWithShot = 0;
        bool sawLaser = false;
        float last = warrior->health;
        ASSERT_GT(war.FramesUntil(3000, [&] {
            const int32_t nowShots = CountSamples(war.world, row.shotSample);
            if (warrior->health < last)
            {
                ++hits;
                hitsWithShot += nowShots > shots ? 1 : 0;
            }
            last = warrior->health;
            shots = nowShots;
            for (const CParticles::SProjectile& shot : g_Particles.GetProjectiles())
                sawLaser = shot.kind == CParticles::KindLaser && shot.target == warrior;
            return warrior->GetLife() == UnitLife::Corpse;
        }), 0);
        EXPECT_EQ(sawLaser, row.laser);
        EXPECT_EQ(hitsWithShot, row.laser ? 0 : hits);
        EXPECT_TRUE(hero->IsAlive() && g_Particles.HoldsCorpse(warrior));
        EXPECT_EQ(war.firstFault, "");
    }
}

TEST(HeroesBattle, ATurningHeroNeverFiresAndADeadHeroIsACorpseInTheSameFrame)
{
    for (const SHeroCase& row : Heroes)
    {
        SCOPED_TRACE(row.type);
        CMeleeWorld war;
        const auto [hero, warrior] = SpawnDuel(war, row, STANCE_STAND_GROUND, 12);
        hero->actionTargetUnit = warrior;
        hero->animType = ANIM_ATTACK;
        hero->SetModelByAnimation();
        hero->facing = 90;
        hero->shownFacing = 0;
        hero->Animate(200);
        EXPECT_TRUE(CountSamples(war.world, row.shotSample) == 0 && warrior->health == CUnit::FullHealth);
        const int32_t model = hero->model;
        hero->RemoveFromWorld(true);
        war.Frame();
        EXPECT_TRUE(hero->GetLife() == UnitLife::Corpse && g_Particles.HoldsCorpse(hero) && hero->model == model);
    }
}

TEST(HeroesBattle, TheQuibsSavedBubbleRunsOnTo200TicksAndDamagedPartsChangeNothing)
{
    CSimHarness world;
    CReferenceBase table;
    CTestLog log;
    auto make = [&] {
        return std::unique_ptr<CUnitQuib>(static_cast<CUnitQuib*>(world.Player(1).UnitFactory(UNIT_QUIB)));
    };
    const std::string bytes("\x01\x96\x00\x00\x00\x06\x00\x00\x00", 9);   // shot, 150 ticks, bubble 6
    auto quib = make();
    CMemorySaveStream in(bytes);
    ASSERT_TRUE(quib->LoadGameExtra(in, table));
    CMemorySaveStream out;
    quib->SaveGameExtra(out, table);
    EXPECT_EQ(out.Bytes(), bytes);
    quib->Animate(50);
    EXPECT_TRUE(quib->bubbleTicks == 200 && quib->bubble == 6);
    quib->Animate(1);
    EXPECT_EQ(quib->bubbleTicks, 0);

    // Cut short, bubble 7, 201 ticks, a shot flag of 2.
    for (const std::string& bad : {bytes.substr(0, 8), std::string("\x01\x96\0\0\0\x07\0\0\0", 9),
                                   std::string("\x01\xC9\0\0\0\0\0\0\0", 9), std::string("\x02\0\0\0\0\0\0\0\0", 9)})
    {
        auto damaged = make();
        CMemorySaveStream stream(bad);
        EXPECT_FALSE(damaged->LoadGameExtra(stream, table) && !stream.HasError());
        EXPECT_TRUE(damaged->shotReleased == 0 && damaged->bubbleTicks == 0 && damaged->bubble == 0);
    }
}
