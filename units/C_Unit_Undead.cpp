#include "units/C_Unit_Undead.h"

#include <algorithm>

#include "buildings/C_Building.h"
#include "media/C_ModelRecord.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "net/C_UnitCommandOutbox.h"

namespace
{
constexpr float LevelScale = 255.0f;
constexpr int32_t NoFade = -1;
constexpr const char* RefusalPrefix = "Unit record refused: ";
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
            HealOneTick();
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

void CUnitUndead::HealOneTick()
{
    // Other machines learn the health from the owner's messages only; a
    // dying undead does not heal.
    if (!IsOwnedHere(player) || health <= 0.0f || health >= FullHealth)
        return;
    health = std::min(health + HealPerTick, FullHealth);
    if (IsNetworkGame())
        g_UnitCommandOutbox.SendUnitHealth(this, health);
}

bool CUnitUndead::StepSwing()
{
    // The swing waits until the undead faces its target.
    if (shownFacing != facing)
        return true;
    animFrame += GetAttackAnimSpeed();
    if (hitCount > 0 && IsOwnedHere(player) && actionTargetUnit != nullptr && actionTargetUnit->pathFlag &&
        !IsTargetReached())
    {
        ResumeAction();
        return false;
    }
    if (!blowDealt[0] && animFrame >= BlowFrame)
    {
        if (hitCount > 0 && !IsTargetReached())
        {
            ResumeAction();
            return false;
        }
        blowDealt[0] = 1;
        Strike();
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

void CUnitUndead::Strike()
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
    // Only the fallen body is drawn; there is no corpse model to fade to.
    (void)corpseWeight;
    if (dieWeight == 0.0f)
        return;
    if (CModelRecord* dying = GetGlobalModel(m_Animation.dieModel))
    {
        dying->SetColourSlot(player);
        dying->SetShade(static_cast<float>(level) / LevelScale);
        dying->SetFade(static_cast<int32_t>(dieWeight * LevelScale));
        dying->SetFade(NoFade);
    }
}

void CUnitUndead::onPerformAction()
{
    MeleeOnPerformAction(m_Animation.facingExtra, __LINE__, __FILE__);
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
    if (in.Failed())
        return false;
    hitCount = loadedHitCount;
    blowDealt[0] = loadedBlow;
    return true;
}
