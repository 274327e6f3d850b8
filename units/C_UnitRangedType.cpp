#include "units/C_UnitRangedType.h"

#include <cmath>

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "media/C_ModelRecord.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "net/C_UnitCommandOutbox.h"
#include "units/C_UnitSoundTable.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t TurnChance = 500;
constexpr int32_t IdleTurnDegrees = 45;
constexpr int32_t TurnChoices = 3;
constexpr SSoundPair ReleaseSound = {8, 4};
constexpr float AimHeight = 40.0f;
constexpr float LaunchHeight = 48.6f;
// The bow hand, seen from the unit: a quarter block left, half a block ahead.
constexpr float LaunchSide = -0.25f;
constexpr float LaunchAhead = 0.5f;
// Without TC_BALLISTIC the aim strays up to 0.2 blocks on each axis.
constexpr int32_t ScatterSteps = 200;
constexpr int32_t ScatterMiddle = 100;
constexpr float ScatterPerStep = 0.002f;
constexpr float Half = 0.5f;
constexpr float DegreesToRadians = 3.14159265f / 180.0f;
constexpr int32_t TechnologyBallistic = 56;   // TC_BALLISTIC: exact aim, moving targets led
constexpr int32_t TechnologyFlameArrow = 58;  // TC_FLAMEARROW
constexpr const char* RefusalPrefix = "Unit record refused: ";

float Scatter()
{
    return static_cast<float>(GlobalFunc::Random(ScatterSteps) - ScatterMiddle) * ScatterPerStep;
}
}  // namespace

CUnitRangedType::CUnitRangedType(int32_t cast, const SRangedShot& shot)
    : CUnitTableType(cast), m_Shot(shot)
{
}

bool CUnitRangedType::Animate(int32_t ticks)
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
            if (!StepDraw())
                return true;
            break;
        case ANIM_WIND_DOWN:
            animFrame += GetAttackAnimSpeed();
            if (animFrame >= static_cast<float>(CUnitAnimationTable::FrameCount(model)))
            {
                Stop();
                shotReleased = 0;
            }
            break;
        case ANIM_DIE:
            if (!AnimateDeath(m_Animation.dieAdvance,
                              static_cast<float>(CUnitAnimationTable::FrameCount(m_Animation.dieModel))))
                return false;
            break;
        default:
            break;
        }
    }
    return true;
}

void CUnitRangedType::StepStand()
{
    animFrame += m_Animation.standAdvance;
    if (IsOwnedHere(player) && GlobalFunc::Random(TurnChance) == 0)
        SetDirection(facing - IdleTurnDegrees + GlobalFunc::Random(TurnChoices) * IdleTurnDegrees, true);
}

bool CUnitRangedType::StepDraw()
{
    // The bow is drawn only once the unit faces its target.
    if (shownFacing != facing)
        return true;
    animFrame += GetAttackAnimSpeed();
    if (animFrame >= m_Shot.releaseFrame && !shotReleased)
    {
        // The owner decides whether the target is still there to be shot;
        // a remote copy shoots for the show.
        if (IsOwnedHere(player) &&
            ((actionTargetUnit == nullptr && actionTargetBuilding == nullptr) || !IsTargetReached()))
        {
            ResumeAction();
            return false;
        }
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
    const float angle = static_cast<float>(facing) * DegreesToRadians;
    const float launchX = centreX + LaunchSide * std::cos(angle) + LaunchAhead * std::sin(angle);
    const float launchY = centreY - LaunchSide * std::sin(angle) + LaunchAhead * std::cos(angle);
    if (!CUnitTypeTable::IsResearched(player, TechnologyBallistic))
    {
        aim[0] += Scatter();
        aim[2] += Scatter();
    }
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
    switch (animType)
    {
    case ANIM_STAND:
        model = m_Animation.standModel;
        ready = 1;
        break;
    case ANIM_WALK:
        model = m_Animation.walkModel;
        break;
    case ANIM_ATTACK:
        // Every renewed attack draws the bow from the start.
        animFrame = 0.0f;
        ready = 0;
        model = m_Animation.attackModel;
        break;
    case ANIM_DIE:
        StartDeathAnimation();
        break;
    default:
        break;
    }
    SendAnimationChange();
}

void CUnitRangedType::Render()
{
    CModelRecord* record = GetModelRecord();
    if (record == nullptr)
        return;
    record->SetColourSlot(player);
    record->SetWoundLevel(WoundLevel());
    drawnFrame = CUnitAnimationTable::FrameIndex(animFrame, model);
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
    if (in.Failed())
        return false;
    shotReleased = loaded;
    return true;
}
