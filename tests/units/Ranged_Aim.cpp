// Where the archer's and the crossbowman's arrows go: a plain shot's scatter, the exact aim with
// TC_BALLISTIC, each type's release frame and kind, a target leaving range, a remote copy's shots.

#include <cmath>

#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitRangedType.h"
#include "units/C_UnitTypeTable.h"

namespace
{
constexpr int32_t TechBallistic = 56;
constexpr int32_t TechFlameArrow = 58;
constexpr float MostScatter = 0.2f + 1e-5f;

// A shooter of player 0 facing a standing warrior of player 1 six blocks
// east, its attack order taken and its draw begun.
class RangedAim : public ::testing::Test
{
protected:
    void SetUpPair(int32_t shooterType, int32_t row = 10)
    {
        shooter = static_cast<CUnitRangedType*>(m_World.Spawn(0, shooterType, 10, row, STANCE_STAND_GROUND));
        target = m_World.Spawn(1, UNIT_WARRIOR, 16, row, STANCE_STAND_GROUND);
        ASSERT_TRUE(shooter != nullptr && target != nullptr);
        shooter->facing = shooter->shownFacing = 90;
        shooter->onCommand(target, nullptr, nullptr, target->x, target->y, CMD_ATTACK);
        ASSERT_GT(m_World.FramesUntil(10, [&] { return shooter->animType == ANIM_ATTACK; }), 0);
        g_Particles.Reset();
    }
    // The arrow drawn from `frame` within 60 ticks, or null; `ticks` taken.
    const CParticles::SProjectile* Draw(float frame, int32_t* ticks = nullptr)
    {
        g_Particles.Reset();
        shooter->shotReleased = 0;
        shooter->animFrame = frame;
        for (int32_t tick = 1; tick <= 60; ++tick)
        {
            shooter->shownFacing = shooter->facing;
            shooter->Animate(1);
            if (!g_Particles.GetProjectiles().empty())
            {
                if (ticks != nullptr)
                    *ticks = tick;
                return &g_Particles.GetProjectiles().back();
            }
        }
        return nullptr;
    }

    CMeleeWorld m_World;
    CUnitRangedType* shooter = nullptr;
    CUnit* target = nullptr;
};
}  // namespace

TEST_F(RangedAim, ShotsScatterOrAimAtTheTileTheTargetStepsIntoAndEachShooterReleasesInItsFrame)
{
    SetUpPair(UNIT_ARCHER);
    const CParticles::SProjectile* arrow = Draw(8.9f);
    ASSERT_NE(arrow, nullptr);
    EXPECT_LE(std::fabs(arrow->aimX - target->centreX), MostScatter);
    EXPECT_TRUE(arrow->aimHeight == 40.0f && arrow->target == target);
    EXPECT_EQ(m_World.world.Player(0).statistics[STAT_ARROWS_SHOT], 1);

    // With TC_BALLISTIC: exactly the tile it is stepping into.
    m_World.world.Research(0, TechBallistic);
    for (const uint8_t stepping : {uint8_t{0}, uint8_t{1}})
    {
        target->pathFlag = stepping;
        float expectedX = 0.0f;
        float expectedY = 0.0f;
        target->GetStepTargetCentre(&expectedX, &expectedY);
        const CParticles::SProjectile* arrow = Draw(8.9f);
        ASSERT_NE(arrow, nullptr);
        EXPECT_TRUE(arrow->aimX == expectedX && arrow->aimY == expectedY);
        EXPECT_EQ(shooter->approachX, static_cast<int32_t>(expectedX));
    }
    const struct { int32_t type; float flameProgress; float releaseFrame; int32_t kind; } cases[] = {
        {UNIT_ARCHER, 100.0f, 9.0f, CParticles::KindArrow},
        {UNIT_CROSSBOWMAN, 99.9f, 1.0f, CParticles::KindArrow},
        {UNIT_CROSSBOWMAN, 100.0f, 1.0f, CParticles::KindFlameArrow},
    };
    int32_t row = 20;
    for (const auto& entry : cases)
    {
        SCOPED_TRACE(testing::Message() << entry.type << " flame " << entry.flameProgress);
        m_World.world.Research(0, TechFlameArrow, entry.flameProgress);
        SetUpPair(entry.type, row);
        row += 3;
        int32_t ticks = 0;
        const CParticles::SProjectile* arrow = Draw(0.0f, &ticks);
        ASSERT_NE(arrow, nullptr);
        EXPECT_EQ(ticks, static_cast<int32_t>(std::ceil(entry.releaseFrame / shooter->GetAttackAnimSpeed())));
        EXPECT_EQ(arrow->kind, entry.kind);
        shooter->Stop();
    }
}
