// A fighter's fight to the end: each fighter killing a standing warrior blow by blow through the real simulation
// step, the torn-apart burst, the riders' two cries, a model without frames, and the self-healing fighters.

#include <algorithm>
#include <cmath>
#include <utility>

#include "tests/support/MemorySaveStream.h"
#include "tests/support/TestLog.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitMeleeType.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_ReferenceBase.h"

TEST(MeleeDuel, EachFighterKillsAStandingWarriorBlowByBlow)
{
    // Type, stance (aggressive: it starts the fight itself), gap, divisor of the attack per blow (0: not
    // worked out here), whether through the second damage factor, the shot's sample, whether its hits come
    // with a particle instead of in the frame of the shot, and the animation in the tick of the killing blow
    // (-1: not looked at): a whole blow is followed by the buffered attack again, which finds no target and
    // stands the fighter; a half blow leaves the swing to wind down.
    const struct {
        int32_t type, stance, gap, divisor; bool ranged; int32_t shotSample; bool laser; int32_t animAtKill;
    } cases[] = {
        {UNIT_WARRIOR, STANCE_AGGRESSIVE, 5, 1, false, 0, false, ANIM_STAND},
        {UNIT_KNIGHT, STANCE_STAND_GROUND, 1, 2, false, 0, false, ANIM_WIND_DOWN},
        {UNIT_HEAVYCAVALRY, STANCE_STAND_GROUND, 2, 1, false, 0, false, ANIM_STAND},
        {UNIT_HEROCAVALRY, STANCE_STAND_GROUND, 2, 1, false, 0, false, -1},
        {UNIT_GIANT, STANCE_AGGRESSIVE, 4, 2, false, 0, false, -1},
        {UNIT_UNDEAD, STANCE_AGGRESSIVE, 3, 1, false, 0, false, -1},
        {UNIT_ARCHER, STANCE_STAND_GROUND, 6, 1, true, 0, false, -1},
        {UNIT_QUIB, STANCE_AGGRESSIVE, 10, 0, false, 51, true, -1},
        {UNIT_WARHOUND, STANCE_AGGRESSIVE, 10, 0, false, 52, false, -1},
        {UNIT_GUNSLINGER, STANCE_AGGRESSIVE, 10, 0, false, 52, false, -1},
    };
    for (const auto& row : cases)
    {
        SCOPED_TRACE(row.type);
        CMeleeWorld war;
        CTestLog log;
        CUnit* fighter = war.Spawn(0, row.type, 10, 10, row.stance);
        CUnit* warrior = war.Spawn(1, UNIT_WARRIOR, 10 + row.gap, 10, STANCE_STAND_GROUND);
        ASSERT_TRUE(fighter != nullptr && warrior != nullptr);
        fighter->facing = fighter->shownFacing = 90;
        if (row.stance != STANCE_AGGRESSIVE)
            fighter->onCommand(warrior, nullptr, nullptr, warrior->x, warrior->y, CMD_ATTACK);
        const int32_t score = war.world.Player(0).score;
        const std::vector<int32_t>& samples = war.world.Samples();   // sample, volume
        std::vector<int32_t> blowFrames;
        std::vector<float> losses;
        int32_t frame = 0;
        int32_t hitsWithShot = 0;
        size_t shots = 0;
        bool sawLaser = false;
        float last = warrior->health;
        int32_t animAtKill = -1;
        ASSERT_GT(war.FramesUntil(3000, [&] {
            ++frame;
            const auto nowShots = static_cast<size_t>(std::count(samples.begin(), samples.end(), row.shotSample));
            if (warrior->health < last)
            {
                blowFrames.push_back(frame);
                losses.push_back(last - warrior->health);
                hitsWithShot += nowShots > shots ? 1 : 0;
            }
            shots = nowShots;
            last = warrior->health;
            if (animAtKill < 0 && warrior->IsDying())
                animAtKill = fighter->animType;
            for (const CParticles::SProjectile& shot : g_Particles.GetProjectiles())
                sawLaser = sawLaser || (shot.kind == CParticles::KindLaser && shot.target == warrior);
            return warrior->GetLife() == UnitLife::Corpse;
        }), 0);

        if (row.divisor > 0)
        {
            // Dead below one hit point.
            const float factor = row.ranged ? warrior->GetDamageFactorB() : warrior->GetDamageFactorA();
            const float hitPoints = static_cast<float>(CMeleeWorld::AttackOf(*fighter) / row.divisor) * factor;
            ASSERT_EQ(losses.size(), static_cast<size_t>(std::ceil((warrior->GetMaxHitPoints() - 0.999f) / hitPoints)));
            for (size_t i = 0; i + 1 < losses.size(); ++i)   // the last is cut at 0
                EXPECT_NEAR(losses[i], hitPoints / warrior->GetMaxHitPoints() * 100.0f, 1e-3f) << "blow " << i;
        }
        // A whole model's frames per swing or per shot.
        const float cycle = CMeleeWorld::FrameCount / fighter->GetAttackAnimSpeed();
        for (size_t i = 1; row.divisor == 1 && i < blowFrames.size(); ++i)
            EXPECT_NEAR(blowFrames[i] - blowFrames[i - 1], row.ranged ? std::ceil(cycle) : cycle, 1.0f) << i;
        EXPECT_TRUE(row.shotSample == 0 ||
                    (sawLaser == row.laser && hitsWithShot == (row.laser ? 0 : static_cast<int32_t>(losses.size()))));
        EXPECT_TRUE(fighter->IsAlive() && g_Particles.HoldsCorpse(warrior) && g_Particles.GetCorpseCount() == 1 &&
                    !war.world.Player(1).HasUnit(warrior));
        EXPECT_TRUE(war.world.Player(0).statistics[STAT_UNITS_KILLED] == 1 && (war.world.Player(0).score - score) == 5);
        EXPECT_TRUE(row.animAtKill < 0 || animAtKill == row.animAtKill) << animAtKill;
        // The winner finishes its swing and stands.
        EXPECT_GT(war.FramesUntil(100, [&] { return fighter->animType == ANIM_STAND; }), 0);
        EXPECT_TRUE(fighter->actionTargetUnit == nullptr &&
                    !log.Contains("#DEBUG: Invalid animation type for a dead unit"));
    }
}

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
