#include "units/C_Unit_Undead.h"

#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "units/C_SelfHealingFighter.h"

namespace
{
constexpr const char* RefusalPrefix = "Unit record refused: ";
constexpr int32_t NonLocalCheckLine = 219;
}  // namespace

CUnitUndead::CUnitUndead() : CUnitMeleeType(UNIT_UNDEAD) {}

bool CUnitUndead::Animate(int32_t ticks)
{
    starvation = 0.0f;
    for (int32_t tick = 0; tick < ticks; ++tick)
    {
        switch (animType)
        {
        case ANIM_STAND:
            CUnitMeleeType::Animate(1);
            CSelfHealingFighter::HealOneTick(*this, HealPerTick);
            break;
        case ANIM_ATTACK:
            if (!StepSwing())
                return true;
            break;
        case ANIM_WIND_DOWN:
            CUnitMeleeType::Animate(1);
            if (animType != ANIM_WIND_DOWN)
                blowDealt[0] = 0;
            break;
        default:
            // Walking and falling as every melee type does.
            if (!CUnitMeleeType::Animate(1))
                return false;
            break;
        }
    }
    return true;
}

bool CUnitUndead::StepSwing()
{
    const CSelfHealingFighter::ESwing swing = CSelfHealingFighter::BeginSwingTick(*this);
    if (swing != CSelfHealingFighter::ESwing::Running)
        return swing == CSelfHealingFighter::ESwing::Waiting;
    if (!blowDealt[0] && animFrame >= BlowFrame)
    {
        if (hitCount > 0 && !IsTargetReached())
        {
            ResumeAction();
            return false;
        }
        blowDealt[0] = 1;
        CSelfHealingFighter::Strike(*this);
        // A target killed by the blow has set the wind-down already.
        if (animType != ANIM_ATTACK)
            return true;
    }
    const float frameCount = static_cast<float>(CUnitAnimationTable::FrameCount(model));
    if (animFrame >= frameCount)
    {
        blowDealt[0] = 0;
        animFrame -= frameCount;
        ResumeAction();
    }
    return true;
}

void CUnitUndead::SetModelByAnimation()
{
    if (animType != ANIM_DIE)
    {
        // Standing, walking and a new swing (hit count and blow flag
        // cleared) as the melee types choose them.
        CUnitMeleeType::SetModelByAnimation();
        return;
    }
    // Torn apart or not, the undead falls whole.
    animFrame = 0.0f;
    model = m_Animation.dieModel;
    SendAnimationChange();
}

void CUnitUndead::RenderAt(float dieWeight, float corpseWeight, int32_t level)
{
    // Only the fallen body is drawn, torn apart or not; there is no corpse
    // model to fade to.
    (void)corpseWeight;
    DrawFallen(dieWeight, level, m_Animation.corpseWound);
}

void CUnitUndead::onPerformAction()
{
    MeleeOnPerformAction(m_Animation.facingExtra, NonLocalCheckLine, __FILE__);
}

void CUnitUndead::onMoveEnd()
{
    MeleeOnMoveEnd();
}

void CUnitUndead::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    CSaveWriter out(stream);
    out.I32(hitCount);
    out.Flag(blowDealt[0] != 0);
}

bool CUnitUndead::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    CSaveReader in(stream, RefusalPrefix);
    const int32_t loadedHitCount = in.I32();
    uint8_t loadedBlow = 0;
    in.Flag(loadedBlow);
    if (!in.Failed() && loadedHitCount < 0)
        in.Refuse("the hit count is negative");
    if (!in.Finish())
        return false;
    hitCount = loadedHitCount;
    blowDealt[0] = loadedBlow;
    return true;
}
