// The priest's animation: the heal steps and sparkles of its spell, the
// fireball at the fixed frame of its attack, its models, drawing and saved
// part.

#include <cmath>

#include "buildings/C_Building.h"
#include "core/C_Config.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "media/C_ModelRecord.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "net/C_UnitCommandOutbox.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_Unit_Priest.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t SpellModel = 30;
constexpr float SpellAdvance = 0.4f;
// One heal step every 12.5 ticks; the sparkles come nearly every tick.
constexpr float HealRate = 0.08f;
constexpr float SparkleRate = 0.9f;
constexpr float HealPoints = 1.0f;
constexpr float HealPointsTripled = 3.0f;   // with unit hit points tripled
constexpr SSoundPair HealSound = {31, 1};
constexpr int32_t SparkleSpreadSteps = 100;
constexpr float SparkleSpreadStep = 0.01f;
constexpr float SparkleSpreadShare = 0.7f;
constexpr int32_t SparkleRiseSteps = 32;
constexpr float SparkleLift = 16.0f;
constexpr float SparkleSize = 10.0f;

constexpr float ReleaseFrame = 18.0f;
constexpr SSoundPair CastSound = {30, 1};
constexpr float AimHeight = 40.0f;
constexpr float BuildingAimShare = 1.0f / 3.0f;
constexpr float LaunchHeight = 41.6f;
// The casting hand, seen from the priest.
constexpr float LaunchSide = -0.31f;
constexpr float LaunchAhead = 0.8f;
constexpr float FireBallTuning = 0.3f;
// Without TC_BALLISTIC the aim strays up to 0.2 blocks on each axis.
constexpr int32_t ScatterSteps = 200;
constexpr int32_t ScatterMiddle = 100;
constexpr float ScatterPerStep = 0.002f;
constexpr int32_t TechnologyBallistic = 56;

constexpr int32_t TurnChance = 500;
constexpr int32_t IdleTurnDegrees = 45;
constexpr int32_t TurnChoices = 3;
constexpr float Half = 0.5f;
constexpr float DegreesToRadians = 3.14159265f / 180.0f;
constexpr float MostTimer = 2.0f;   // the timers run below 1 plus one step
constexpr const char* RefusalPrefix = "Unit record refused: ";

float Scatter()
{
    return static_cast<float>(GlobalFunc::Random(ScatterSteps) - ScatterMiddle) * ScatterPerStep;
}

bool IsTimer(float value)
{
    return value >= 0.0f && value < MostTimer;   // false for NaN too
}
}  // namespace

bool CUnitPriest::Animate(int32_t ticks)
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
        case ANIM_SPELL:
            StepSpell();
            break;
        case ANIM_ATTACK:
            if (!StepCast())
                return true;
            break;
        case ANIM_WIND_DOWN:
            animFrame += GetAttackAnimSpeed();
            if (animFrame >= static_cast<float>(CUnitAnimationTable::FrameCount(model)))
            {
                // A throw cut short must not keep the next fight's first
                // fireball from leaving.
                castReleased = 0;
                Stop();
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

void CUnitPriest::StepStand()
{
    animFrame += m_Animation.standAdvance;
    if (IsOwnedHere(player) && GlobalFunc::Random(TurnChance) == 0)
        SetDirection(facing - IdleTurnDegrees + GlobalFunc::Random(TurnChoices) * IdleTurnDegrees, true);
}

void CUnitPriest::StepSpell()
{
    animFrame += SpellAdvance;
    if (currentCommand != CMD_HEAL)
        return;
    healProgress += HealRate;
    sparkleTimer += SparkleRate;
    if (sparkleTimer >= 1.0f)
    {
        sparkleTimer -= 1.0f;
        AddSparkle();
    }
    if (healProgress >= 1.0f)
    {
        healProgress -= 1.0f;
        // Only the owner changes health; a remote copy casts for the show.
        if (IsOwnedHere(player))
            HealStep();
    }
}

void CUnitPriest::AddSparkle()
{
    const CUnit* patient = actionTargetUnit;
    if (patient == nullptr)
        return;
    const float spread = static_cast<float>(patient->GetSize()) * SparkleSpreadShare;
    auto offset = [spread] {
        return (static_cast<float>(GlobalFunc::Random(SparkleSpreadSteps)) * SparkleSpreadStep - Half) * spread;
    };
    const float px = patient->centreX + offset();
    const float py = patient->centreY + offset();
    const float height =
        g_GameMap.GetHeight(px, py) + static_cast<float>(GlobalFunc::Random(SparkleRiseSteps)) + SparkleLift;
    const CPlayer* local = PlayerAt(g_LocalPlayer);
    const bool hidden =
        local == nullptr || !local->IsCellVisible(static_cast<int32_t>(px), static_cast<int32_t>(py));
    g_Particles.AddKind85(hidden, px, height, py, SparkleSize);
}

void CUnitPriest::HealStep()
{
    CUnit* patient = actionTargetUnit;
    if (patient == nullptr)
    {
        Stop();
        return;
    }
    approachX = patient->GetCentreCellX();
    approachY = patient->GetCentreCellY();
    if (!IsTargetReached())
    {
        Stop();
        return;
    }
    PlaySoundAt(HealSound.sample, HealSound.variants, 0);
    if (!patient->Heal(g_Config.unitHealthMultiply ? HealPointsTripled : HealPoints))
        Stop();
}

bool CUnitPriest::StepCast()
{
    // The throw starts only once the priest faces its target.
    if (shownFacing != facing)
        return true;
    animFrame += GetAttackAnimSpeed();
    if (animFrame >= ReleaseFrame && !castReleased)
    {
        // The owner decides whether the target is still there; a remote
        // copy throws for the show.
        if (IsOwnedHere(player) &&
            ((actionTargetUnit == nullptr && actionTargetBuilding == nullptr) || !IsTargetReached()))
        {
            ResumeAction();
            return false;
        }
        ThrowFireBall();
    }
    if (animFrame >= static_cast<float>(CUnitAnimationTable::FrameCount(model)))
    {
        animFrame = 0.0f;
        castReleased = 0;
        ResumeAction();
    }
    return true;
}

void CUnitPriest::ThrowFireBall()
{
    PlaySoundAt(CastSound.sample, CastSound.variants, 0);
    castReleased = 1;
    // A remote copy whose target has left has nothing to aim at.
    if (actionTargetUnit == nullptr && actionTargetBuilding == nullptr)
        return;
    float aim[3] = {static_cast<float>(approachX) + Half, AimHeight, static_cast<float>(approachY) + Half};
    if (actionTargetUnit != nullptr)
    {
        approachX = actionTargetUnit->GetCentreCellX();
        approachY = actionTargetUnit->GetCentreCellY();
        aim[0] = actionTargetUnit->centreX;
        aim[2] = actionTargetUnit->centreY;
    }
    if (actionTargetBuilding != nullptr)
    {
        approachX = actionTargetBuilding->x + actionTargetBuilding->GetWidth() / 2;
        approachY = actionTargetBuilding->y + actionTargetBuilding->GetDepth() / 2;
        aim[0] = static_cast<float>(approachX) + Half;
        aim[2] = static_cast<float>(approachY) + Half;
        // The second of the three values of the building's type record.
        aim[1] = actionTargetBuilding->GetDamageFactor2() * BuildingAimShare + AimHeight;
        if (actionTargetUnit != nullptr)
            DEBUG_REPORT("#DEBUG: Priest unit/building target at once");
    }
    TurnTowards(true, aim[0], aim[2], 0.0f);
    const float angle = static_cast<float>(facing) * DegreesToRadians;
    const float launchX = centreX + LaunchSide * std::cos(angle) + LaunchAhead * std::sin(angle);
    const float launchY = centreY - LaunchSide * std::sin(angle) + LaunchAhead * std::cos(angle);
    if (!CUnitTypeTable::IsResearched(player, TechnologyBallistic))
    {
        aim[0] += Scatter();
        aim[2] += Scatter();
    }
    g_Particles.AddFireBall(!IsVisibleToLocalPlayer(), this, actionTargetUnit, launchX, LaunchHeight, launchY, aim[0],
                            aim[1], aim[2], FireBallTuning);
}

void CUnitPriest::SetModelByAnimation()
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
        animFrame = 0.0f;
        ready = 0;
        model = m_Animation.attackModel;
        break;
    case ANIM_SPELL:
        model = SpellModel;
        break;
    case ANIM_DIE:
        StartDeathAnimation();
        break;
    default:
        break;
    }
    SendAnimationChange();
}

void CUnitPriest::Render()
{
    if (!onMap)
        return;
    CModelRecord* record = GetModelRecord();
    if (record == nullptr)
        return;
    record->SetColourSlot(player);
    record->SetWoundLevel(WoundLevel());
    drawnFrame = CUnitAnimationTable::FrameIndex(animFrame, model);
}

void CUnitPriest::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    CSaveWriter out(stream);
    out.Flag(castReleased != 0);
    out.F32(healProgress);
    out.F32(sparkleTimer);
}

bool CUnitPriest::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    CSaveReader in(stream, RefusalPrefix);
    uint8_t released = 0;
    in.Flag(released);
    const float progress = in.F32();
    const float timer = in.F32();
    if (in.Failed())
        return false;
    if (!IsTimer(progress) || !IsTimer(timer))
        return in.Refuse("a priest's heal or sparkle timer is out of range");
    castReleased = released;
    healProgress = progress;
    sparkleTimer = timer;
    return true;
}
