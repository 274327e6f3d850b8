#include "units/C_Unit_HeroCavalry.h"

#include <algorithm>

#include "buildings/C_Building.h"
#include "net/C_UnitCommandOutbox.h"

CUnitHeroCavalry::CUnitHeroCavalry() : CUnitHeavyCavalry(UNIT_HEROCAVALRY) {}

bool CUnitHeroCavalry::Animate(int32_t ticks)
{
    starvation = 0.0f;
    for (int32_t tick = 0; tick < ticks; ++tick)
    {
        HealOneTick();
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

void CUnitHeroCavalry::HealOneTick()
{
    // Other machines learn the health from the owner's messages only.
    if (!IsOwnedHere(player) || health <= 0.0f || health >= FullHealth)
        return;
    health = std::min(health + HealPerTick, FullHealth);
    if (IsNetworkGame())
        g_UnitCommandOutbox.SendUnitHealth(this, health);
}

bool CUnitHeroCavalry::StepSwing()
{
    // The swing waits until the hero faces its target.
    if (shownFacing != facing)
        return true;
    animFrame += GetAttackAnimSpeed();
    if (hitCount > 0 && IsOwnedHere(player) && actionTargetUnit != nullptr && actionTargetUnit->pathFlag &&
        !IsTargetReached())
    {
        ResumeAction();
        return false;
    }
    const float frameCount = static_cast<float>(CUnitAnimationTable::FrameCount(model));
    if (animFrame < frameCount)
        return true;
    animFrame -= frameCount;
    if (hitCount == 0 || IsTargetReached())
        Strike();
    // A target killed by the blow has set the wind-down already.
    if (animType == ANIM_ATTACK)
        ResumeAction();
    return false;
}

void CUnitHeroCavalry::Strike()
{
    ++hitCount;
    int32_t base = 0;
    int32_t bonus = 0;
    const int32_t amount = GetAttack(&base, &bonus);
    if (actionTargetUnit != nullptr)
        actionTargetUnit->TakeHit(this, amount, m_Animation.damageType, true);
    else if (actionTargetBuilding != nullptr)
        actionTargetBuilding->OnAttacked(this, amount, m_Animation.damageType, true);
}

void CUnitHeroCavalry::onPerformAction()
{
    MeleeOnPerformAction(m_Animation.facingExtra, __LINE__, __FILE__);
}
