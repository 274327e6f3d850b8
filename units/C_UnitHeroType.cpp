#include "units/C_UnitHeroType.h"

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "net/C_MultiplayerGame.h"
#include "world/C_GameMap.h"

namespace
{
constexpr float AimHeight = 40.0f;
constexpr float BlockMiddle = 0.5f;
// The guns are held a tenth of a block right and 1.55 blocks ahead, and
// fire 28 above the ground; the laser is held 0.22 left and 1.43 ahead and
// leaves at 41.28.  Only the ground offsets are turned with the hero.
constexpr float GunSide = 0.1f;
constexpr float GunAhead = 1.55f;
constexpr float GunAboveGround = 28.0f;
constexpr float LaserSide = -0.22f;
constexpr float LaserAhead = 1.43f;
constexpr float LaserLaunchHeight = 41.28f;
constexpr float FlashSize = 0.5f;
// A block counts 32 model units, as the heights do.
constexpr float FlashGroundScale = 32.0f;
}  // namespace

CUnitHeroType::CUnitHeroType(int32_t cast, const SHeroWeapon& weapon)
    : CUnitRangedType(cast, weapon.ranged), m_Weapon(weapon)
{
}

bool CUnitHeroType::Animate(int32_t ticks)
{
    for (int32_t tick = 0; tick < ticks; ++tick)
    {
        if (animType == ANIM_DIE)
            break;
        if (!StepOneTick())
            return true;
    }
    if (animType != ANIM_DIE)
        return true;
    // No fall: the hero is a corpse in the tick its death starts.
    const float frameCount = static_cast<float>(CUnitAnimationTable::FrameCount(model));
    animFrame = 0.0f;
    return AnimateDeath(frameCount, frameCount);
}

bool CUnitHeroType::StepOneTick()
{
    if (StepStandOrWalk())
        return true;
    switch (animType)
    {
    case ANIM_ATTACK:
        return StepAttack();
    case ANIM_WIND_DOWN:
        if (!m_Weapon.windsDown)
            break;
        if (StepWindDown())
            shotReleased = 0;
        break;
    default:
        break;
    }
    return true;
}

bool CUnitHeroType::IsShotMoment() const
{
    if (m_Weapon.wholeFrameShot)
        return static_cast<int32_t>(animFrame) == static_cast<int32_t>(m_Weapon.shotFrame);
    return animFrame >= m_Weapon.shotFrame;
}

bool CUnitHeroType::StepAttack()
{
    // A hero still turning never fires.
    if (shownFacing != facing)
        return true;
    animFrame += GetAttackAnimSpeed();
    if (IsShotMoment() && !shotReleased)
    {
        if (ResumeIfTargetLost())
            return false;
        Shoot();
        // A target killed by the shot has ended the attack already.
        if (animType != ANIM_ATTACK)
            return true;
    }
    const float frameCount = static_cast<float>(CUnitAnimationTable::FrameCount(model));
    if (animFrame >= frameCount)
    {
        shotReleased = 0;
        animFrame = m_Weapon.restartsCycle ? 0.0f : animFrame - frameCount;
        ResumeAction();
    }
    return true;
}

void CUnitHeroType::Shoot()
{
    shotReleased = 1;
    PlaySoundAt(m_Weapon.shotSound.sample, m_Weapon.shotSound.variants, 0);
    float aim[3];
    AimAtTarget(aim);
    if (m_Weapon.laser)
        FireLaser(aim);
    else
        FireGun(aim);
}

void CUnitHeroType::AimAtTarget(float aim[3])
{
    aim[0] = static_cast<float>(approachX) + BlockMiddle;
    aim[1] = AimHeight;
    aim[2] = static_cast<float>(approachY) + BlockMiddle;
    if (actionTargetUnit != nullptr)
    {
        // At the tile the target is stepping into.
        actionTargetUnit->GetStepTargetCentre(&aim[0], &aim[2]);
        approachX = static_cast<int32_t>(aim[0]);
        approachY = static_cast<int32_t>(aim[2]);
        TurnTowards(true, actionTargetUnit->centreX, actionTargetUnit->centreY, 0.0f);
    }
    if (actionTargetBuilding != nullptr)
    {
        actionTargetBuilding->GetTargetPosition(aim);
        TurnTowards(true, aim[0], aim[2], 0.0f);
        if (actionTargetUnit != nullptr)
            DEBUG_REPORT(m_Weapon.ranged.bothTargetsReport);
    }
}

void CUnitHeroType::MuzzleAt(float side, float ahead, float muzzle[3]) const
{
    float turned[3];
    GlobalFunc::RotateVector3(side, 0.0f, ahead, 0.0f, -static_cast<float>(facing), 0.0f, turned);
    muzzle[0] = centreX + turned[0];
    muzzle[2] = centreY + turned[2];
}

void CUnitHeroType::FireGun(const float aim[3])
{
    float muzzle[3];
    MuzzleAt(GunSide, GunAhead, muzzle);
    muzzle[1] = g_GameMap.GetHeight(muzzle[0], muzzle[2]) + GunAboveGround;
    float toAim[3] = {(aim[0] - muzzle[0]) * FlashGroundScale, aim[1] - muzzle[1],
                      (aim[2] - muzzle[2]) * FlashGroundScale};
    GlobalFunc::NormalizeVector(toAim);
    const float heading = GlobalFunc::GetAngle(muzzle[0] + toAim[0], muzzle[2] + toAim[2], muzzle[0], muzzle[2]);
    g_Particles.AddKind16(!IsVisibleToLocalPlayer(), muzzle[0], muzzle[1], muzzle[2], static_cast<int32_t>(heading),
                          FlashSize);
    // No flight: the bullet is there with the flash.
    int32_t base = 0;
    int32_t bonus = 0;
    const int32_t amount = GetAttack(&base, &bonus);
    if (actionTargetUnit != nullptr)
        actionTargetUnit->TakeHit(this, amount, CParticles::DamageGunOnUnits, true);
    else if (actionTargetBuilding != nullptr)
        actionTargetBuilding->OnAttacked(this, amount, CParticles::DamageGunOnBuildings, true);
}

void CUnitHeroType::FireLaser(const float aim[3])
{
    float muzzle[3];
    MuzzleAt(LaserSide, LaserAhead, muzzle);
    g_Particles.AddLaser(!IsVisibleToLocalPlayer(), this, actionTargetUnit, muzzle[0], LaserLaunchHeight, muzzle[2],
                         aim[0], aim[1], aim[2]);
}

void CUnitHeroType::SetModelByAnimation()
{
    // A dying hero keeps the model it had.
    if (!ChooseShooterModel() && animType == ANIM_DIE)
        animFrame = 0.0f;
    SendAnimationChange();
}

void CUnitHeroType::RenderAt(float dieWeight, float corpseWeight, int32_t level)
{
    (void)dieWeight;
    (void)corpseWeight;
    (void)level;
}

void CUnitHeroType::onMoveEnd()
{
    MeleeOnMoveEnd();
}
