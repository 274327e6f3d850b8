// The priest's animation: the heal steps and sparkles of its spell, the
// fireball at the fixed frame of its attack, its models, drawing and saved
// part.

#include "buildings/C_Building.h"
#include "core/C_Config.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "net/C_MultiplayerGame.h"
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

constexpr float Half = 0.5f;
constexpr float MostTimer = 2.0f;   // the timers run below 1 plus one step
constexpr const char* RefusalPrefix = "Unit record refused: ";

bool IsTimer(float value)
{
    return value >= 0.0f && value < MostTimer;   // false for NaN too
}
}  // namespace

bool CUnitPriest::Animate(int32_t ticks)
{
    for (int32_t tick = 0; tick < ticks; ++tick)
    {
        if (StepStandOrWalk())
            continue;
        if (animType == ANIM_SPELL)
            StepSpell();
        else if (animType == ANIM_ATTACK)
        {
            if (!StepCast())
                return true;
        }
        // A throw cut short must not keep the next fight's first fireball
        // from leaving.
        else if (!StepWindDownOrFall(&castReleased))
            return false;
    }
    return true;
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
        if (ResumeIfTargetLost())
            return false;
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
    float launchX = 0.0f;
    float launchY = 0.0f;
    HandAt(static_cast<float>(facing), LaunchSide, LaunchAhead, &launchX, &launchY);
    StrayAim(aim);
    g_Particles.AddFireBall(!IsVisibleToLocalPlayer(), this, actionTargetUnit, launchX, LaunchHeight, launchY, aim[0],
                            aim[1], aim[2], FireBallTuning);
}

void CUnitPriest::SetModelByAnimation()
{
    if (!ChooseShooterModel())
    {
        if (animType == ANIM_SPELL)
            model = SpellModel;
        else if (animType == ANIM_DIE)
            StartDeathAnimation();
    }
    SendAnimationChange();
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
    if (!in.Finish())
        return false;
    if (!IsTimer(progress) || !IsTimer(timer))
        return in.Refuse("a priest's heal or sparkle timer is out of range");
    castReleased = released;
    healProgress = progress;
    sparkleTimer = timer;
    return true;
}
