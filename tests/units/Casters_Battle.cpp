// The casters through the real simulation step.  The demon: fireballs at frame 24, the aura that waits out an
// attack, a killed demon's burst, two demons spending one rain of hell, a saved game with burning particles.
// The priest: it heals its own wounded, runs from attackers or, with the technologies, throws fireballs back.

#include <algorithm>
#include <cmath>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/GlobalFunc.h"
#include "tests/support/SaveGameRun.h"
#include "tests/units/Melee_World.h"
#include "units/C_Unit_Demon.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_TowerArcher.h"

namespace
{
constexpr int32_t RainOfHell = 52;
constexpr int32_t PriestAttack = 50;   // TC_PRIEST_ATT_1
constexpr int32_t Pyro = 54;           // TC_PYRO

// A demon of player 0 at (10, 10); its attack model long enough for the fireball's frame.
class DemonBattle : public ::testing::Test
{
protected:
    DemonBattle()
    {
        GetGlobalModel(102)->object.frameCount = 30;
        demon = static_cast<CUnitDemon*>(war.Spawn(0, UNIT_DEMON, 10, 10, STANCE_STAND_GROUND));
    }
    ~DemonBattle() override { g_Particles.Reset(); }

    static std::vector<int32_t> Effects(int32_t lowest, int32_t highest)
    {
        std::vector<int32_t> kinds;
        for (const SEffectParticle& effect : g_Particles.GetEffects())
            if (effect.kind >= lowest && effect.kind <= highest)
                kinds.push_back(effect.kind);
        std::sort(kinds.begin(), kinds.end());
        return kinds;
    }
    int32_t FramesToNextShot()
    {
        const int32_t& shots = war.world.Player(0).statistics[STAT_ARROWS_SHOT];
        const int32_t before = shots;
        return war.FramesUntil(200, [&] { return shots > before; });
    }

    CMeleeWorld war;
    CUnitDemon* demon = nullptr;
};
}  // namespace

TEST_F(DemonBattle, FireballsLeaveAtFrame24ScatteredOrAimedExactlyWhileTheAuraWaits)
{
    CUnit* warrior = war.Spawn(1, UNIT_WARRIOR, 16, 10, STANCE_STAND_GROUND);
    ASSERT_TRUE(demon != nullptr && warrior != nullptr && demon->aura != -1);
    demon->facing = demon->shownFacing = 90;
    demon->onCommand(warrior, nullptr, nullptr, warrior->x, warrior->y, CMD_ATTACK);
    ASSERT_GT(war.FramesUntil(10, [&] { return demon->animType == ANIM_ATTACK; }), 0);
    EXPECT_EQ(g_Particles.GetEmitterCount(), 0);
    EXPECT_EQ(FramesToNextShot(), static_cast<int32_t>(std::ceil(24.0f / demon->GetAttackAnimSpeed())));
    const CParticles::SProjectile shot = g_Particles.GetProjectiles().back();
    EXPECT_TRUE(shot.kind == CParticles::KindFireBall && shot.target == warrior);
    EXPECT_TRUE(std::fabs(shot.aimX - warrior->centreX) <= 0.2f && std::fabs(shot.aimY - warrior->centreY) <= 0.2f);

    war.world.Research(0, 56);   // "TC_BALLISTIC"
    ASSERT_GT(FramesToNextShot(), 0);
    float stepX = 0.0f, stepY = 0.0f;
    warrior->GetStepTargetCentre(&stepX, &stepY);
    EXPECT_TRUE(g_Particles.GetProjectiles().back().aimX == stepX && g_Particles.GetProjectiles().back().aimY == stepY);
    demon->Stop();
    ASSERT_NE(g_Particles.FindEmitter(demon->aura), nullptr);
    EXPECT_TRUE(g_Particles.FindEmitter(demon->aura)->kind == CParticles::KindAura);
}

TEST_F(DemonBattle, AKilledDemonBurstsAtOnceIntoNinePartsAndDiesOnlyOnce)
{
    demon->TakeHit(nullptr, 100000, DAMAGE_BLADE, false);
    const std::vector<int32_t> burst = {50, 51, 51, 53, 54, 54, 54, 54, 54};
    EXPECT_TRUE(Effects(50, 61) == burst && g_Particles.HoldsCorpse(demon) && !war.world.Player(0).HasUnit(demon) &&
                g_Particles.GetEmitterCount() == 0);
    demon->RemoveFromWorld(true);
    demon->animType = ANIM_DIE;
    demon->SetModelByAnimation();
    EXPECT_TRUE(Effects(50, 61) == burst && g_Particles.GetCorpseCount() == 1);
}

TEST_F(DemonBattle, TwoDemonsCastBesideAnEnemyBarracksAndTheSpellFallsOnce)
{
    auto* second = static_cast<CUnitDemon*>(war.Spawn(0, UNIT_DEMON, 10, 12, STANCE_STAND_GROUND));
    CBuilding* barracks = war.world.Player(1).CreateBuilding(CastBarracks, 20, 9);
    ASSERT_TRUE(second != nullptr && barracks != nullptr);
    barracks->Construct(0.0f, true);
    war.world.Research(0, RainOfHell);
    for (CUnitDemon* caster : {demon, second})
        caster->onCommand(nullptr, nullptr, nullptr, 19, 11, CMD_CAST_MAGIC);
    ASSERT_GT(war.FramesUntil(50, [&] { return second->animType == ANIM_SPELL; }), 0);
    EXPECT_EQ(demon->animType, ANIM_SPELL);
    EXPECT_EQ(war.FramesUntil(200, [&] { return second->animType != ANIM_SPELL; }), 125);
    EXPECT_EQ(demon->animType, ANIM_STAND);
    EXPECT_EQ(Effects(CParticles::KindFlare, CParticles::KindFlare).size(), 2u * 4u * 125u);
    EXPECT_EQ(Effects(CParticles::KindRainOfHell, CParticles::KindRainOfHell).size(), 1u);
    for (const SEffectParticle& rain : g_Particles.GetEffects())
        EXPECT_TRUE(rain.kind != CParticles::KindRainOfHell || (rain.x == 19.5f && rain.y == 11.5f));
    EXPECT_EQ(war.world.Player(0).technologies[RainOfHell].progress, 0.0f);
    EXPECT_TRUE(g_Particles.GetEmitterCount() == 2);   // both auras back
}

TEST_F(DemonBattle, AGameWithTheDemonAndTheBurningBuildingsLoadsBackByteForByte)
{
    CSaveGameRun::UseSaveLanguage();
    for (const int32_t cast : {CastBlacksmith, CastDarkAltar})
        war.world.Player(1).CreateBuilding(cast, 10 + 2 * cast, 20)->Construct(0.0f, true);
    for (int32_t frame = 0; frame < 5; ++frame)
        CSaveGameRun::Frame(war.world);
    ASSERT_EQ(g_Particles.GetEmitterCount(), 4);
    const std::vector<uint8_t> saved = CSaveGameRun::SaveDrawn();
    ASSERT_TRUE(CSaveGameRun::Load(saved));
    EXPECT_EQ(CSaveGameRun::SaveDrawn(), saved);
    const auto* loaded = static_cast<const CUnitDemon*>(war.world.Player(0).units[0]);
    ASSERT_NE(g_Particles.FindEmitter(loaded->aura), nullptr);
    EXPECT_EQ(g_Particles.FindEmitter(loaded->aura)->kind, CParticles::KindAura);
}

TEST(PriestAttacked, WithoutTheTechnologyItRunsOutOfSightOfAWarriorOrOfATowerWithNoArcher)
{
    for (const bool fromTower : {false, true})
    {
        SCOPED_TRACE(fromTower ? "tower without archers" : "warrior");
        CMeleeWorld world;
        CUnit* priest = world.Spawn(0, UNIT_PRIEST, 20, 20, STANCE_AGGRESSIVE);
        CUnitTowerArcher probe;
        probe.player = 1;
        int32_t sight = probe.GetSightRadius();
        // The warrior stands on the 2 x 2 tower's centre block.
        if (fromTower)
            priest->onAttacked(nullptr, world.world.Player(1).CreateBuilding(CastTower, 23, 20));
        else if (CUnit* warrior = world.Spawn(1, UNIT_WARRIOR, 24, 21, STANCE_STAND_GROUND))
        {
            sight = warrior->GetSightRadius();
            priest->TakeHit(warrior, 1, DAMAGE_BLADE, true);
            EXPECT_EQ(priest->attacker, warrior);
        }
        ASSERT_EQ(priest->currentCommand, CMD_RUNAWAY);
        bool turned = false;
        EXPECT_GT(world.FramesUntil(800, [&] {
            turned = turned || priest->currentCommand == CMD_ATTACK;
            return priest->currentCommand != CMD_RUNAWAY && !priest->pathFlag;
        }), 0);
        EXPECT_FALSE(turned);
        // Toward the band of sight + 1 to twice the sight around the attacker:
        // the route ends on the last block before it, one step short.
        const int32_t blocks = GlobalFunc::Distance(priest->x, priest->y, 24, 21) / 10;
        EXPECT_TRUE(blocks >= sight - 1 && blocks <= 2 * sight) << priest->x << "," << priest->y;
    }
}

TEST(PriestAttacked, WithBothTechnologiesItThrowsFireballsBackAndWithoutPyroAnAttackOrderStops)
{
    for (const bool pyro : {true, false})
    {
        SCOPED_TRACE(pyro ? "with TC_PYRO" : "without TC_PYRO");
        CMeleeWorld world;
        world.world.Research(0, PriestAttack);
        if (pyro)
            world.world.Research(0, Pyro);
        CUnit* priest = world.Spawn(0, UNIT_PRIEST, 10, 10, STANCE_AGGRESSIVE);
        CUnit* warrior = world.Spawn(1, UNIT_WARRIOR, 16, 10, STANCE_STAND_GROUND);
        ASSERT_TRUE(priest != nullptr && warrior != nullptr);
        if (pyro)
            priest->TakeHit(warrior, 1, DAMAGE_BLADE, true);
        else
            priest->onCommand(warrior, nullptr, nullptr, warrior->x, warrior->y, CMD_ATTACK);
        ASSERT_EQ(priest->currentCommand, CMD_ATTACK);
        // A fireball (5 of the warrior's 50 hit points) from where it stands.
        const int32_t frames = world.FramesUntil(200, [&] { return warrior->health < CUnit::FullHealth; });
        EXPECT_TRUE((frames > 0) == pyro && priest->x == 10);
        if (pyro)
            EXPECT_FLOAT_EQ(warrior->health, 90.0f);
        else
            EXPECT_NE(priest->currentCommand, CMD_ATTACK);
    }
}

TEST(PriestHealing, AnIdlePriestHealsItsOwnWarriorWholeStepByStepButNeitherAnAllyNorItself)
{
    for (const bool tripled : {false, true})
    {
        SCOPED_TRACE(tripled ? "hit points tripled" : "plain hit points");
        CMeleeWorld world;
        g_Config.unitHealthMultiply = tripled ? 1 : 0;
        InitTypeRecords();
        world.world.Player(0).allied[2] = world.world.Player(2).allied[0] = 1;
        CUnit* ally = world.Spawn(2, UNIT_WARRIOR, 11, 10, STANCE_STAND_GROUND);
        CUnit* warrior = world.Spawn(0, UNIT_WARRIOR, 13, 10, STANCE_STAND_GROUND);
        CUnit* priest = world.Spawn(0, UNIT_PRIEST, 10, 10, STANCE_STAND_GROUND);
        ally->health = warrior->health = priest->health = 50.0f;
        // Each step is one hit point of fifty, or three of 150.
        std::vector<int32_t> steps;
        float last = warrior->health;
        int32_t frame = 0;
        ASSERT_GT(world.FramesUntil(1000, [&] {
            ++frame;
            if (warrior->health != last)
                steps.push_back(frame);
            EXPECT_TRUE(warrior->health == last || std::fabs(warrior->health - last - 2.0f) < 1e-3f) << frame;
            last = warrior->health;
            return warrior->health == CUnit::FullHealth;
        }), 0);
        // 25 steps from 50 %, 24 intervals of 12.5 ticks.
        ASSERT_EQ(steps.size(), 25u);
        EXPECT_NEAR(steps.back() - steps.front(), 300, 1);
        EXPECT_GT(world.FramesUntil(50, [&] { return priest->animType == ANIM_STAND; }), 0);
        EXPECT_TRUE(priest->targetUnit == nullptr && ally->health == 50.0f && priest->health == 50.0f);
    }
}
