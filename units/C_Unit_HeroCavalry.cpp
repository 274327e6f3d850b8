#include "units/C_Unit_HeroCavalry.h"

#include "units/C_SelfHealingFighter.h"

namespace
{
constexpr int32_t NonLocalCheckLine = 263;
}  // namespace

CUnitHeroCavalry::CUnitHeroCavalry() : CUnitHeavyCavalry(UNIT_HEROCAVALRY) {}

bool CUnitHeroCavalry::Animate(int32_t ticks)
{
    starvation = 0.0f;
    for (int32_t tick = 0; tick < ticks; ++tick)
    {
        CSelfHealingFighter::HealOneTick(*this, HealPerTick);
        switch (animType)
        {
        case ANIM_ATTACK:
            if (!StepSwing())
                return true;
            break;
        case ANIM_DIE:
            if (!StepFall())
                return false;
            break;
        default:
            // Standing, walking and finishing a swing as every rider does.
            CUnitMeleeType::Animate(1);
            break;
        }
    }
    return true;
}

bool CUnitHeroCavalry::StepSwing()
{
    const CSelfHealingFighter::ESwing swing = CSelfHealingFighter::BeginSwingTick(*this);
    if (swing != CSelfHealingFighter::ESwing::Running)
        return swing == CSelfHealingFighter::ESwing::Waiting;
    const float frameCount = static_cast<float>(CUnitAnimationTable::FrameCount(model));
    if (animFrame < frameCount)
        return true;
    animFrame -= frameCount;
    if (hitCount == 0 || IsTargetReached())
        CSelfHealingFighter::Strike(*this);
    // Whatever the blow did: a target it killed is no longer in the buffer,
    // so the attack performed again finds none and stands the rider at once.
    ResumeAction();
    return false;
}

void CUnitHeroCavalry::onPerformAction()
{
    MeleeOnPerformAction(m_Animation.facingExtra, NonLocalCheckLine, __FILE__);
}
