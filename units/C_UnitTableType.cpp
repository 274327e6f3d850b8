#include "units/C_UnitTableType.h"

#include <cmath>

#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitModelDrawing.h"
#include "units/C_UnitSoundTable.h"
#include "units/C_UnitTypeTable.h"

namespace
{
constexpr int32_t BodyPartSpeedSpread = 5;
constexpr int32_t BodyPartSpeedBase = 2;
constexpr float FullWeight = 1.0f;
constexpr int32_t TurnChance = 500;
constexpr int32_t IdleTurnDegrees = 45;
constexpr int32_t TurnChoices = 3;
constexpr int32_t TechnologyBallistic = 56;   // TC_BALLISTIC: exact aim
// The stray: up to 0.2 blocks either way.
constexpr int32_t ScatterSteps = 200;
constexpr int32_t ScatterMiddle = 100;
constexpr float ScatterPerStep = 0.002f;
constexpr float DegreesToRadians = 3.14159265f / 180.0f;

float Scatter()
{
    return static_cast<float>(GlobalFunc::Random(ScatterSteps) - ScatterMiddle) * ScatterPerStep;
}

// A table type always has its row; a cast without one cannot be built.
const SUnitAnimationRow& AnimationRowOf(int32_t cast)
{
    static const SUnitAnimationRow Empty{};
    const SUnitAnimationRow* row = CUnitAnimationTable::Find(cast);
    return row != nullptr ? *row : Empty;
}
}  // namespace

CUnitTableType::CUnitTableType(int32_t cast) : CUnitOfType(cast), m_Animation(AnimationRowOf(cast)) {}

void CUnitTableType::PlayHitSound(int32_t damageType)
{
    CUnitSoundTable::PlayHitSound(*this, m_Animation.hitSounds, damageType);
}

int32_t CUnitTableType::WoundLevel() const
{
    if (health >= 50.0f)
        return 0;
    if (health >= 25.0f)
        return m_Animation.woundLevels[0];
    if (health >= 5.0f)
        return m_Animation.woundLevels[1];
    return m_Animation.woundLevels[2];
}

void CUnitTableType::StartDeathAnimation()
{
    animFrame = 0.0f;
    model = m_Animation.dieModel;
    if (tornApart)
    {
        animFrame = static_cast<float>(CUnitAnimationTable::FrameCount(m_Animation.dieModel));
        ThrowBodyParts(m_Animation.extraParts, m_Animation.extraPartCount, BodyPartSpeedSpread, BodyPartSpeedBase);
    }
}

void CUnitTableType::Render()
{
    if (onMap)
        DrawStanding();
}

void CUnitTableType::DrawStanding()
{
    SModelLooks looks;
    looks.wound = WoundLevel();
    CUnitModelDrawing::Draw(*this, model, CUnitAnimationTable::FrameIndex(animFrame, model),
                            CUnitModelDrawing::OnGround(*this), looks, true);
}

void CUnitTableType::RenderAt(float dieWeight, float corpseWeight, int32_t level)
{
    if (tornApart)
        return;
    if (corpseWeight != 0.0f)
    {
        // Whole remains are drawn without blending.
        SModelLooks looks;
        looks.shade = CUnitModelDrawing::ShadeOf(level);
        if (corpseWeight != FullWeight)
            looks.fade = CUnitModelDrawing::FadeOf(corpseWeight);
        CUnitModelDrawing::Draw(*this, m_Animation.corpseModel, 0, CUnitModelDrawing::OnGround(*this), looks, false);
    }
    DrawFallen(dieWeight, level, m_Animation.corpseWound);
}

void CUnitTableType::DrawFallen(float dieWeight, int32_t level, int32_t wound)
{
    if (dieWeight == 0.0f)
        return;
    SModelLooks looks;
    looks.wound = wound;
    looks.shade = CUnitModelDrawing::ShadeOf(level);
    looks.fade = CUnitModelDrawing::FadeOf(dieWeight);
    const int32_t lastFrame = CUnitAnimationTable::FrameCount(m_Animation.dieModel) - 1;
    CUnitModelDrawing::Draw(*this, m_Animation.dieModel, lastFrame, CUnitModelDrawing::OnGround(*this), looks, false);
}

void CUnitTableType::StepStandTurning()
{
    animFrame += m_Animation.standAdvance;
    TurnNowAndThen();
}

void CUnitTableType::TurnNowAndThen()
{
    if (IsOwnedHere(player) && GlobalFunc::Random(TurnChance) == 0)
        SetDirection(facing - IdleTurnDegrees + GlobalFunc::Random(TurnChoices) * IdleTurnDegrees, true);
}

bool CUnitTableType::StepStandOrWalk()
{
    if (animType == ANIM_STAND)
        StepStandTurning();
    else if (animType == ANIM_WALK)
        animFrame += m_Animation.walkAdvance;
    else
        return false;
    return true;
}

bool CUnitTableType::StepWindDown()
{
    animFrame += GetAttackAnimSpeed();
    if (animFrame < static_cast<float>(CUnitAnimationTable::FrameCount(model)))
        return false;
    Stop();
    return true;
}

bool CUnitTableType::StepFall()
{
    return AnimateDeath(m_Animation.dieAdvance,
                        static_cast<float>(CUnitAnimationTable::FrameCount(m_Animation.dieModel)));
}

bool CUnitTableType::StepWindDownOrFall(uint8_t* released)
{
    if (animType == ANIM_WIND_DOWN)
    {
        if (StepWindDown())
            *released = 0;
        return true;
    }
    return animType != ANIM_DIE || StepFall();
}

bool CUnitTableType::ResumeIfTargetLost()
{
    if (!IsOwnedHere(player) ||
        ((actionTargetUnit != nullptr || actionTargetBuilding != nullptr) && IsTargetReached()))
        return false;
    ResumeAction();
    return true;
}

void CUnitTableType::StrayAim(float aim[3]) const
{
    if (CUnitTypeTable::IsResearched(player, TechnologyBallistic))
        return;
    aim[0] += Scatter();
    aim[2] += Scatter();
}

void CUnitTableType::HandAt(float facingDegrees, float side, float ahead, float* handX, float* handY) const
{
    const float angle = facingDegrees * DegreesToRadians;
    *handX = centreX + side * std::cos(angle) + ahead * std::sin(angle);
    *handY = centreY - side * std::sin(angle) + ahead * std::cos(angle);
}

bool CUnitTableType::ChooseStandOrWalkModel()
{
    if (animType == ANIM_STAND)
        model = m_Animation.standModel;
    else if (animType == ANIM_WALK)
        model = m_Animation.walkModel;
    else
        return false;
    return true;
}

bool CUnitTableType::ChooseShooterModel()
{
    if (ChooseStandOrWalkModel())
    {
        if (animType == ANIM_STAND)
            ready = 1;
        return true;
    }
    if (animType != ANIM_ATTACK)
        return false;
    animFrame = 0.0f;
    ready = 0;
    model = m_Animation.attackModel;
    return true;
}

bool CUnitTableType::MayPerformAction(int32_t sourceLine, const char* sourceFile)
{
    if (IsNetworkGame() && !IsOwnedHere(player))
    {
        DebugReport("#DEBUG: Unit action performed on non-local mulitplayer unit", sourceLine, sourceFile);
        return false;
    }
    if ((targetKind == TARGET_UNIT && targetUnit == nullptr) ||
        (targetKind == TARGET_BUILDING && targetBuilding == nullptr))
    {
        Stop();
        return false;
    }
    return true;
}
