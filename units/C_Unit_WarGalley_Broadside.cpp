// The war galley's animations: the broadside of two cannon shots once its
// side faces the target, the cool-down after a lost target, the wake it
// leaves lying and sailing (every ship's, CShipWake, from its own table),
// and the sinking; its hull and wreck drawing and its hit sounds.

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_ShipWake.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitAnimationTable.h"
#include "units/C_UnitModelDrawing.h"
#include "units/C_UnitSoundTable.h"
#include "units/C_Unit_Catapult.h"
#include "units/C_Unit_WarGalley.h"

namespace
{
constexpr int32_t HullModel = 56;
constexpr int32_t WreckModel = 57;
constexpr float SinkFramesPerTick = 0.5f;
constexpr SSoundPair CannonSound = {24, 1};
// The second gun fires once the cycle has counted more than this.
constexpr int32_t SecondShotAfter = 29;
constexpr float BroadsideDegrees = 270.0f;
// The two guns in the hull's own frame: blocks to the side, height in
// model units, blocks along the hull.
constexpr float GunSide = 1.29f;
constexpr float GunHeight = 17.7f;
constexpr float GunAlong[2] = {0.525f, -0.48f};
// Cannonballs fly at a unit's body or just above the ground.
constexpr float UnitImpactHeight = 40.0f;
constexpr float GroundImpactHeight = 5.0f;
constexpr float FlashSize = 1.0f;
constexpr float FlashGroundScale = 32.0f;

// The wake table, bow first, stern last.
constexpr CShipWake::SRow WakeRows[] = {
    {19.87f, 55.7f, 45.0f},    {-19.87f, 55.7f, -45.0f},   {23.66f, 8.63f, 90.0f}, {-23.49f, 8.63f, -90.0f},
    {17.41f, -58.15f, 135.0f}, {-17.27f, -58.15f, -135.0f}, {0.0f, -80.0f, 180.0f},
};
// Every row lying, the bow's four sailing.
constexpr CShipWake::STable Wake = {
    .rows = WakeRows, .lyingRows = 7, .sailingRows = 4, .lyingSpeed = 0.002f, .sailingSpeed = 0.008f};

// The wreck sinks 160 below the hull as its corpse fades out.
constexpr float WreckSinkDepth = 160.0f;

constexpr float BlockMiddle = 0.5f;
}  // namespace

bool CUnitWarGalley::Animate(int32_t ticks)
{
    for (int32_t tick = 0; tick < ticks; ++tick)
    {
        if (CShipWake::StepLyingOrSailing(*this, waveTicks, Wake))
            continue;
        switch (animType)
        {
        case ANIM_ATTACK:
            CShipWake::LeaveLyingWake(*this, waveTicks, Wake);
            if (!StepBroadside())
                return true;
            break;
        case ANIM_WIND_DOWN:
            StepCoolDown();
            break;
        case ANIM_DIE:
            if (!AnimateDeath(SinkFramesPerTick, static_cast<float>(CUnitAnimationTable::FrameCount(model))))
                return false;
            break;
        default:
            break;
        }
    }
    return true;
}

bool CUnitWarGalley::StepBroadside()
{
    // The guns bear only once the ship lies broadside on.
    if (shownFacing != facing)
        return true;
    ++cycleTicks;
    animFrame += GetAttackAnimSpeed();
    int32_t gun = -1;
    if (cycleTicks > 0 && !firstShotFired)
        gun = 0;
    else if (cycleTicks > SecondShotAfter && !secondShotFired)
        gun = 1;
    if (gun >= 0)
    {
        if (!CUnitCatapult::MayShoot(*this))
        {
            // No shot leaves, but the cycle ends at its last tick all the
            // same: a target too near to fire at would count it on for ever.
            EndCycleAtItsLastTick();
            ResumeAction();
            return false;
        }
        Fire(gun);
    }
    if (EndCycleAtItsLastTick())
        ResumeAction();
    return true;
}

bool CUnitWarGalley::EndCycleAtItsLastTick()
{
    if (cycleTicks < CycleTicks)
        return false;
    ready = 1;
    firstShotFired = 0;
    secondShotFired = 0;
    cycleTicks -= CycleTicks;
    return true;
}

void CUnitWarGalley::Fire(int32_t gun)
{
    (gun == 0 ? firstShotFired : secondShotFired) = 1;
    PlaySoundAt(CannonSound.sample, CannonSound.variants, 0);
    float impact[3];
    AimBroadside(impact);
    float muzzle[3];
    GlobalFunc::RotateVector3(GunSide, GunHeight, GunAlong[gun], 0.0f, -static_cast<float>(facing), 0.0f, muzzle);
    muzzle[0] += centreX;
    muzzle[2] += centreY;
    const bool hidden = !IsVisibleToLocalPlayer();
    g_Particles.AddCannonball(hidden, this, actionTargetUnit, muzzle[0], muzzle[1], muzzle[2], impact[0], impact[1],
                              impact[2]);
    // The flash points from the muzzle to the impact; the map's blocks
    // count 32 model units, as the heights do.
    float toImpact[3] = {(impact[0] - muzzle[0]) * FlashGroundScale, impact[1] - muzzle[1],
                         (impact[2] - muzzle[2]) * FlashGroundScale};
    GlobalFunc::NormalizeVector(toImpact);
    const float heading = GlobalFunc::GetAngle(muzzle[0] + toImpact[0], muzzle[2] + toImpact[2], muzzle[0], muzzle[2]);
    g_Particles.AddKind16(hidden, muzzle[0], muzzle[1], muzzle[2], static_cast<int32_t>(heading), FlashSize);
}

void CUnitWarGalley::AimBroadside(float impact[3])
{
    float turnX = static_cast<float>(targetX) + BlockMiddle;
    float turnY = static_cast<float>(targetY) + BlockMiddle;
    if (actionTargetUnit != nullptr)
    {
        targetX = actionTargetUnit->GetCentreCellX();
        targetY = actionTargetUnit->GetCentreCellY();
        turnX = actionTargetUnit->centreX;
        turnY = actionTargetUnit->centreY;
    }
    if (actionTargetBuilding != nullptr)
    {
        float position[3];
        actionTargetBuilding->GetTargetPosition(position);
        targetX = static_cast<int32_t>(position[0]);
        targetY = static_cast<int32_t>(position[2]);
        if (actionTargetUnit != nullptr)
            g_Log.Write("#DEBUG: WarGalley unit/building target at once");
    }
    TurnTowards(true, turnX, turnY, BroadsideDegrees);
    if (actionTargetBuilding != nullptr)
    {
        CUnitCatapult::AimAtBuilding(*actionTargetBuilding, impact);
        return;
    }
    CUnitCatapult::AimAtTargetPoint(*this, &impact[0], &impact[2]);
    impact[1] = actionTargetUnit != nullptr ? UnitImpactHeight : GroundImpactHeight;
    CUnitCatapult::ScatterByDistance(*this, &impact[0], &impact[2]);
}

void CUnitWarGalley::StepCoolDown()
{
    ++cycleTicks;
    animFrame += GetAttackAnimSpeed();
    if (cycleTicks < CycleTicks)
        return;
    ready = 1;
    Stop();
    cycleTicks = 0;
    firstShotFired = 0;
    secondShotFired = 0;
}

void CUnitWarGalley::SetModelByAnimation()
{
    switch (animType)
    {
    case ANIM_STAND:
    case ANIM_WALK:
        model = HullModel;
        cycleTicks = 0;
        break;
    case ANIM_ATTACK:
        model = HullModel;
        // A renewed attack in the middle of a cycle keeps its shots.
        if (cycleTicks == 0)
        {
            firstShotFired = 0;
            secondShotFired = 0;
            ready = 0;
        }
        break;
    case ANIM_DIE:
        animFrame = 0.0f;
        model = WreckModel;
        CShipWake::ThrowSplashes(*this);
        break;
    default:
        break;
    }
    SendAnimationChange();
}

// ---- Drawing and sounds -------------------------------------------------------------

void CUnitWarGalley::Render()
{
    if (onMap)
        CUnitModelDrawing::DrawHull(*this);
}

void CUnitWarGalley::RenderAt(float fade, float unused, int32_t shade)
{
    (void)unused;
    CUnitModelDrawing::DrawSinkingWreck(*this, fade, shade, WreckSinkDepth);
}

void CUnitWarGalley::PlayHitSound(int32_t damageType)
{
    CUnitSoundTable::PlayHitSound(*this, EHitSounds::Ship, damageType);
}
