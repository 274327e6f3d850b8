#include "units/C_Unit_HeavyCavalry.h"

#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"

namespace
{
constexpr SSoundPair RiderFall = {47, 1};
constexpr float RiderFallFrame = 23.0f;
constexpr SSoundPair HorseFall = {162, 1};
constexpr float HorseFallFrame = 28.0f;
constexpr const char* RefusalPrefix = "Unit record refused: ";
}  // namespace

CUnitHeavyCavalry::CUnitHeavyCavalry() : CUnitHeavyCavalry(UNIT_HEAVYCAVALRY) {}

CUnitHeavyCavalry::CUnitHeavyCavalry(int32_t cast) : CUnitMeleeType(cast) {}

bool CUnitHeavyCavalry::Animate(int32_t ticks)
{
    // A death starts between two calls (a hit from outside), never inside
    // the rider's own steps, so a call is either all fall or none.
    if (animType != ANIM_DIE)
        return CUnitMeleeType::Animate(ticks);
    for (int32_t tick = 0; tick < ticks; ++tick)
        if (!StepFall())
            return false;
    return true;
}

bool CUnitHeavyCavalry::StepFall()
{
    const float advance = m_Animation.dieAdvance;
    // Each sound once per death, whatever the ticks of one call.
    const float reached = animFrame + advance;
    if (!riderFallSounded && reached >= RiderFallFrame)
    {
        riderFallSounded = 1;
        PlaySoundAt(RiderFall.sample, RiderFall.variants, 0);
    }
    if (!horseFallSounded && reached >= HorseFallFrame)
    {
        horseFallSounded = 1;
        PlaySoundAt(HorseFall.sample, HorseFall.variants, 0);
    }
    return AnimateDeath(advance, static_cast<float>(CUnitAnimationTable::FrameCount(m_Animation.dieModel)));
}

void CUnitHeavyCavalry::onPerformAction()
{
    MeleeOnPerformAction(m_Animation.facingExtra, __LINE__, __FILE__);
}

void CUnitHeavyCavalry::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    CSaveWriter out(stream);
    out.I32(hitCount);
    out.Flag(riderFallSounded != 0);
    out.Flag(horseFallSounded != 0);
}

bool CUnitHeavyCavalry::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    CSaveReader in(stream, RefusalPrefix);
    const int32_t loadedHitCount = in.I32();
    uint8_t loadedRiderFall = 0;
    uint8_t loadedHorseFall = 0;
    in.Flag(loadedRiderFall);
    in.Flag(loadedHorseFall);
    if (!in.Failed() && loadedHitCount < 0)
        in.Refuse("the hit count is negative");
    if (!in.Finish())
        return false;
    hitCount = loadedHitCount;
    riderFallSounded = loadedRiderFall;
    horseFallSounded = loadedHorseFall;
    return true;
}
