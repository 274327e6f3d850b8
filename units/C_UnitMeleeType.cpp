#include "units/C_UnitMeleeType.h"

#include "buildings/C_Building.h"
#include "core/GlobalFunc.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_UnitSoundTable.h"

namespace
{
constexpr int32_t SnortChance = 1000;
constexpr SSoundPair Snort = {150, 9};
constexpr const char* RefusalPrefix = "Unit record refused: ";
}  // namespace

CUnitMeleeType::CUnitMeleeType(int32_t cast) : CUnitTableType(cast) {}

bool CUnitMeleeType::Animate(int32_t ticks)
{
    for (int32_t tick = 0; tick < ticks; ++tick)
    {
        switch (animType)
        {
        case ANIM_STAND:
            StepStand();
            break;
        case ANIM_WALK:
            animFrame += m_Animation.walkAdvance;
            break;
        case ANIM_ATTACK:
            if (!StepSwing())
                return true;
            break;
        case ANIM_WIND_DOWN:
            StepWindDown();
            break;
        case ANIM_DIE:
            if (!StepDie())
                return false;
            break;
        default:
            break;
        }
    }
    return true;
}

void CUnitMeleeType::StepStand()
{
    animFrame += m_Animation.standAdvance;
    if (m_Animation.idleHabit == EIdleHabit::Turn)
        TurnNowAndThen();
    else if (m_Animation.idleHabit == EIdleHabit::Snort)
    {
        if (onMap && GlobalFunc::Random(SnortChance) == 0)
            PlaySoundAt(Snort.sample, Snort.variants, 0);
    }
}

bool CUnitMeleeType::MayStrike()
{
    if (hitCount > 0 && !IsTargetReached())
    {
        ResumeAction();
        return false;
    }
    return true;
}

void CUnitMeleeType::Strike(int32_t amount)
{
    ++hitCount;
    if (actionTargetUnit != nullptr)
        actionTargetUnit->TakeHit(this, amount, m_Animation.damageType, true);
    else if (actionTargetBuilding != nullptr)
        actionTargetBuilding->OnAttacked(this, amount, m_Animation.damageType, true);
}

bool CUnitMeleeType::StepSwing()
{
    // The swing waits until the unit faces its target.
    if (shownFacing != facing)
        return true;
    animFrame += GetAttackAnimSpeed();
    if (hitCount > 0 && actionTargetUnit != nullptr && actionTargetUnit->pathFlag && !IsTargetReached())
    {
        ResumeAction();
        return false;
    }
    const int32_t frameCount = CUnitAnimationTable::FrameCount(model);
    if (HasHalfBlows())
        return StepHalfBlows(frameCount);
    if (animFrame < static_cast<float>(frameCount))
        return true;
    animFrame -= static_cast<float>(frameCount);
    if (!MayStrike())
        return false;
    int32_t base = 0;
    int32_t bonus = 0;
    Strike(GetAttack(&base, &bonus));
    // Whatever the blow did: a target it killed is no longer in the buffer,
    // so the attack performed again finds none and stands the unit.
    ResumeAction();
    return true;
}

bool CUnitMeleeType::StepHalfBlows(int32_t frameCount)
{
    for (int32_t blow = 0; blow < m_Animation.halfBlowCount && blow < 2; ++blow)
    {
        if (blowDealt[blow] || animFrame < m_Animation.halfBlowFrames[blow])
            continue;
        if (!MayStrike())
            return false;
        blowDealt[blow] = 1;
        int32_t base = 0;
        int32_t bonus = 0;
        Strike(GetAttack(&base, &bonus) / 2);
        if (animType != ANIM_ATTACK)
            return true;
    }
    if (animFrame >= static_cast<float>(frameCount))
    {
        animFrame -= static_cast<float>(frameCount);
        blowDealt[0] = 0;
        blowDealt[1] = 0;
        ResumeAction();
    }
    return true;
}

bool CUnitMeleeType::StepDie()
{
    const float advance = m_Animation.dieAdvance;
    if (HasDeathSound() && !deathSoundPlayed && animFrame + advance >= m_Animation.deathSoundFrame)
    {
        deathSoundPlayed = 1;
        PlaySoundAt(m_Animation.deathSound.sample, m_Animation.deathSound.variants, 0);
    }
    return StepFall();
}

void CUnitMeleeType::SetModelByAnimation()
{
    // A swing in progress goes on where it is.
    if (animType == ANIM_ATTACK && model != m_Animation.attackModel)
    {
        animFrame = m_Animation.attackStartFrame;
        hitCount = 0;
        blowDealt[0] = 0;
        blowDealt[1] = 0;
        model = m_Animation.attackModel;
    }
    else if (animType == ANIM_DIE)
        StartDeathAnimation();
    else
        ChooseStandOrWalkModel();
    SendAnimationChange();
}

void CUnitMeleeType::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    CSaveWriter out(stream);
    out.I32(hitCount);
    if (HasHalfBlows())
    {
        out.Flag(blowDealt[0] != 0);
        out.Flag(blowDealt[1] != 0);
    }
    if (HasDeathSound())
        out.Flag(deathSoundPlayed != 0);
}

bool CUnitMeleeType::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    CSaveReader in(stream, RefusalPrefix);
    const int32_t loadedHitCount = in.I32();
    uint8_t loadedBlows[2] = {0, 0};
    uint8_t loadedDeathSound = 0;
    if (HasHalfBlows())
    {
        in.Flag(loadedBlows[0]);
        in.Flag(loadedBlows[1]);
    }
    if (HasDeathSound())
        in.Flag(loadedDeathSound);
    if (!in.Failed() && loadedHitCount < 0)
        in.Refuse("the hit count is negative");
    if (!in.Finish())
        return false;
    hitCount = loadedHitCount;
    blowDealt[0] = loadedBlows[0];
    blowDealt[1] = loadedBlows[1];
    deathSoundPlayed = loadedDeathSound;
    return true;
}
