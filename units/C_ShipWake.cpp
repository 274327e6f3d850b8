#include "units/C_ShipWake.h"

#include <algorithm>
#include <cmath>

#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "units/C_Unit.h"

namespace
{
constexpr float DegreesToRadians = 3.14159265f / 180.0f;
constexpr float HullUnitsPerBlock = 32.0f;
constexpr float WaveScale = 1.0f;
constexpr float WaterHeight = 0.0f;

// Animation frames per tick of every hull, lying and sailing.
constexpr float LyingFramesPerTick = 0.4f;
constexpr float SailingFramesPerTick = 0.37f;
// A lying ship creaks now and then: 1 in this many ticks.
constexpr int32_t CreakChance = 500;
constexpr SSoundPair CreakSound = {21, 3};

// Splashes scatter (Random(40) - 20) / 15 blocks around the centre, 20 to
// 39 high, in two looks.
constexpr int32_t SplashCount = 20;
constexpr int32_t SplashScatter = 40;
constexpr float SplashScatterDivisor = 15.0f;
constexpr int32_t SplashHeightRange = 20;
constexpr int32_t SplashBaseHeight = 20;
constexpr int32_t SplashVariants = 2;

float ScatterOffset()
{
    return static_cast<float>(GlobalFunc::Random(SplashScatter) - SplashScatter / 2) / SplashScatterDivisor;
}
}  // namespace

bool CShipWake::CountWaveTick(int32_t& waveTicks, int32_t interval, bool onMap)
{
    if (waveTicks < StandWaveTicks)
        ++waveTicks;
    if (waveTicks < interval || !onMap)
        return false;
    waveTicks = 0;
    return true;
}

void CShipWake::Spawn(const CUnit& ship, std::span<const SRow> table, int32_t rows, float speed, bool sailing)
{
    const bool hidden = !ship.IsVisibleToLocalPlayer();
    const float heading = static_cast<float>(ship.facing);
    const float forwardX = std::sin(heading * DegreesToRadians);
    const float forwardY = std::cos(heading * DegreesToRadians);
    const size_t count = std::min(static_cast<size_t>(std::max(rows, 0)), table.size());
    for (const SRow& row : table.first(count))
    {
        float start[3];
        GlobalFunc::RotateVector3(row.x / HullUnitsPerBlock, 0.0f, row.y / HullUnitsPerBlock, 0.0f, -heading, 0.0f,
                                  start);
        const float angle = heading + row.angle;
        float velocity[3] = {std::sin(angle * DegreesToRadians) * speed, 0.0f,
                             std::cos(angle * DegreesToRadians) * speed};
        if (sailing)
        {
            velocity[0] += forwardX * speed;
            velocity[2] += forwardY * speed;
        }
        g_Particles.AddShipWave(hidden, ship.centreX + start[0], WaterHeight, ship.centreY + start[2], WaveScale,
                                angle, velocity[0], velocity[1], velocity[2]);
    }
}

bool CShipWake::StepLyingOrSailing(CUnit& ship, int32_t& waveTicks, const STable& table)
{
    switch (ship.animType)
    {
    case ANIM_STAND:
        ship.animFrame += LyingFramesPerTick;
        if (ship.onMap && GlobalFunc::Random(CreakChance) == 1)
            ship.PlaySoundAt(CreakSound.sample, CreakSound.variants, 0);
        LeaveLyingWake(ship, waveTicks, table);
        return true;
    case ANIM_WALK:
        ship.animFrame += SailingFramesPerTick;
        if (CountWaveTick(waveTicks, SailWaveTicks, ship.onMap))
            Spawn(ship, table.rows, table.sailingRows, table.sailingSpeed, true);
        return true;
    default:
        return false;
    }
}

void CShipWake::LeaveLyingWake(const CUnit& ship, int32_t& waveTicks, const STable& table)
{
    if (CountWaveTick(waveTicks, StandWaveTicks, ship.onMap))
        Spawn(ship, table.rows, table.lyingRows, table.lyingSpeed, false);
}

void CShipWake::ThrowSplashes(const CUnit& ship)
{
    const bool hidden = !ship.IsVisibleToLocalPlayer();
    for (int32_t i = 0; i < SplashCount; ++i)
    {
        const float dx = ScatterOffset();
        const float dy = ScatterOffset();
        const float height = static_cast<float>(GlobalFunc::Random(SplashHeightRange) + SplashBaseHeight);
        const int32_t variant = GlobalFunc::Random(SplashVariants);
        g_Particles.AddWaterSplash(hidden, ship.centreX + dx, height, ship.centreY + dy, variant);
    }
}
