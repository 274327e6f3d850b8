#include "units/C_UnitRangedType.h"

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "effects/C_Particles.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_UnitSoundTable.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_Player.h"

namespace
{
constexpr SSoundPair ReleaseSound = {8, 4};
constexpr float AimHeight = 40.0f;
constexpr float LaunchHeight = 48.6f;
// The bow hand, seen from the unit: a quarter block left, half a block ahead.
constexpr float LaunchSide = -0.25f;
constexpr float LaunchAhead = 0.5f;
constexpr float Half = 0.5f;
constexpr int32_t TechnologyBallistic = 56;   // TC_BALLISTIC: exact aim, moving targets led
constexpr int32_t TechnologyFlameArrow = 58;  // TC_FLAMEARROW
constexpr const char* RefusalPrefix = "Unit record refused: ";
}  // namespace

CUnitRangedType::CUnitRangedType(int32_t cast, const SRangedShot& shot)
    : CUnitTableType(cast), m_Shot(shot)
{
}

bool CUnitRangedType::Animate(int32_t ticks)
{
    for (int32_t tick = 0; tick < ticks; ++tick)
    {
        if (StepStandOrWalk())
            continue;
        if (animType == ANIM_ATTACK)
        {
            if (!StepDraw())
                return true;
        }
        else if (!StepWindDownOrFall(&shotReleased))
            return false;
    }
    return true;
}

bool CUnitRangedType::StepDraw()
{
    // The bow is drawn only once the unit faces its target.
    if (shownFacing != facing)
        return true;
    animFrame += GetAttackAnimSpeed();
    if (animFrame >= m_Shot.releaseFrame && !shotReleased)
    {
        if (ResumeIfTargetLost())
            return false;
        Release();
    }
    if (animFrame >= static_cast<float>(CUnitAnimationTable::FrameCount(model)))
    {
        animFrame = 0.0f;
        shotReleased = 0;
        ResumeAction();
    }
    return true;
}

bool CUnitRangedType::AimAtTarget(float* aim)
{
    aim[0] = static_cast<float>(approachX) + Half;
    aim[1] = AimHeight;
    aim[2] = static_cast<float>(approachY) + Half;
    if (actionTargetUnit != nullptr)
    {
        if (CUnitTypeTable::IsResearched(player, TechnologyBallistic))
        {
            // Led to the tile the target is stepping into.
            actionTargetUnit->GetStepTargetCentre(&aim[0], &aim[2]);
            approachX = static_cast<int32_t>(aim[0]);
            approachY = static_cast<int32_t>(aim[2]);
        }
        else
        {
            approachX = actionTargetUnit->GetCentreCellX();
            approachY = actionTargetUnit->GetCentreCellY();
            aim[0] = actionTargetUnit->centreX;
            aim[2] = actionTargetUnit->centreY;
        }
        TurnTowards(true, aim[0], aim[2], 0.0f);
    }
    if (actionTargetBuilding != nullptr)
    {
        actionTargetBuilding->GetTargetPosition(aim);
        approachX = static_cast<int32_t>(aim[0]);
        approachY = static_cast<int32_t>(aim[2]);
        TurnTowards(true, aim[0], aim[2], 0.0f);
        if (actionTargetUnit != nullptr)
            DEBUG_REPORT(m_Shot.bothTargetsReport);
    }
    // A remote copy whose target has left has nothing to shoot at.
    return actionTargetUnit != nullptr || actionTargetBuilding != nullptr;
}

void CUnitRangedType::Release()
{
    shotReleased = 1;
    float aim[3];
    if (!AimAtTarget(aim))
        return;
    PlaySoundAt(ReleaseSound.sample, ReleaseSound.variants, 0);
    float launchX = 0.0f;
    float launchY = 0.0f;
    HandAt(static_cast<float>(facing), LaunchSide, LaunchAhead, &launchX, &launchY);
    StrayAim(aim);
    const int32_t kind = m_Shot.flameWithTechnology && CUnitTypeTable::IsResearched(player, TechnologyFlameArrow)
                             ? CParticles::KindFlameArrow
                             : CParticles::KindArrow;
    g_Particles.AddArrow(!IsVisibleToLocalPlayer(), this, actionTargetUnit, launchX, LaunchHeight, launchY, aim[0],
                         aim[1], aim[2], kind);
    if (CPlayer* owner = PlayerAt(player))
        ++owner->statistics[STAT_ARROWS_SHOT];
}

void CUnitRangedType::SetModelByAnimation()
{
    // Every renewed attack draws the bow from the start.
    if (!ChooseShooterModel() && animType == ANIM_DIE)
        StartDeathAnimation();
    SendAnimationChange();
}

void CUnitRangedType::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    CSaveWriter(stream).Flag(shotReleased != 0);
}

bool CUnitRangedType::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    CSaveReader in(stream, RefusalPrefix);
    uint8_t loaded = 0;
    in.Flag(loaded);
    if (!in.Finish())
        return false;
    shotReleased = loaded;
    return true;
}
