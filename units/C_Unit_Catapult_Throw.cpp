// The catapult's animations: the throw once it faces its aim, the reload,
// the walk, and the death that leaves a heap of dust and a corpse.

#include "buildings/C_Building.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitAnimationTable.h"
#include "units/C_UnitSoundTable.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_Catapult.h"
#include "world/C_GameMap.h"

namespace
{
constexpr int32_t StandModel = 23;
constexpr int32_t WalkModel = 24;
constexpr int32_t AttackModel = 25;
constexpr int32_t DieModel = 26;
constexpr int32_t ReloadModel = 27;
constexpr float WalkFramesPerTick = 0.88f;
constexpr float DieFramesPerTick = 0.6f;
constexpr float ReloadFramesPerTick = 0.8f;
// The frame of the attack at which the arm lets the stone go.
constexpr float ReleaseFrame = 3.0f;
constexpr SSoundPair WindUpSound = {12, 3};
constexpr SSoundPair ReloadSound = {15, 3};
// The heap of dust: puffs (Random(40) - 20) x 0.04 blocks around the
// centre, 20 to 39 above the base height.
constexpr int32_t DustPuffCount = 20;
constexpr int32_t DustScatterSteps = 40;
constexpr int32_t DustScatterMiddle = 20;
constexpr float DustScatterStep = 0.04f;
constexpr int32_t DustRiseRange = 20;
constexpr int32_t DustRiseBase = 20;
constexpr float DustSize = 5.0f;
constexpr float DustGrowth = 1.0f;
constexpr int32_t TechnologyCatapultAttack1 = 42;   // TC_CAT_ATT_1: fire stones
constexpr int32_t TechnologyCatapultAttack2 = 43;   // TC_CAT_ATT_2: exploding stones

float DustScatter()
{
    return static_cast<float>(GlobalFunc::Random(DustScatterSteps) - DustScatterMiddle) * DustScatterStep;
}
}  // namespace

bool CUnitCatapult::Animate(int32_t ticks)
{
    for (int32_t tick = 0; tick < ticks; ++tick)
    {
        switch (animType)
        {
        case ANIM_WALK:
            animFrame += WalkFramesPerTick;
            break;
        case ANIM_ATTACK:
            if (!StepThrow())
                return true;
            break;
        case ANIM_RELOAD:
            StepReload();
            break;
        case ANIM_DIE:
            if (!AnimateDeath(DieFramesPerTick, static_cast<float>(CUnitAnimationTable::FrameCount(model))))
            {
                RaiseDust(g_GameMap.GetHeight(centreX, centreY));
                return false;
            }
            break;
        default:
            break;
        }
    }
    return true;
}

bool CUnitCatapult::StepThrow()
{
    // The arm swings only once the machine faces its aim.
    if (shownFacing != facing)
        return true;
    animFrame += GetAttackAnimSpeed();
    if (animFrame >= ReleaseFrame && !thrown)
    {
        if (!MayShoot(*this))
        {
            ResumeAction();
            return false;
        }
        Throw();
    }
    if (animFrame >= static_cast<float>(CUnitAnimationTable::FrameCount(model)))
    {
        thrown = 0;
        animType = ANIM_RELOAD;
        PlaySoundAt(ReloadSound.sample, ReloadSound.variants, 0);
        SetModelByAnimation();
    }
    return true;
}

void CUnitCatapult::Throw()
{
    thrown = 1;
    float aim[3] = {0.0f, 0.0f, 0.0f};
    if (actionTargetBuilding != nullptr)
        AimAtBuilding(*actionTargetBuilding, aim);
    else
    {
        AimAtTargetPoint(*this, &aim[0], &aim[2]);
        ScatterByDistance(*this, &aim[0], &aim[2]);
    }
    g_Particles.AddCatapultStone(!IsVisibleToLocalPlayer(), this, centreX + releaseX, releaseHeight,
                                 centreY - releaseY, aim[0], aim[1], aim[2], StoneKind());
}

int32_t CUnitCatapult::StoneKind() const
{
    if (CUnitTypeTable::IsResearched(player, TechnologyCatapultAttack2))
        return CParticles::KindExplodingStone;
    if (CUnitTypeTable::IsResearched(player, TechnologyCatapultAttack1))
        return CParticles::KindFireStone;
    return CParticles::KindStone;
}

void CUnitCatapult::StepReload()
{
    animFrame += ReloadFramesPerTick;
    if (animFrame < static_cast<float>(CUnitAnimationTable::FrameCount(model)))
        return;
    ready = 1;
    animType = ANIM_STAND;
    SetModelByAnimation();
    // A unit target may have moved: the next stone goes where it stands now.
    if (orderState != 1 && actionTargetUnit != nullptr)
    {
        targetX = actionTargetUnit->GetCentreCellX();
        targetY = actionTargetUnit->GetCentreCellY();
    }
    ResumeAction();
}

void CUnitCatapult::SetModelByAnimation()
{
    switch (animType)
    {
    case ANIM_STAND:
        model = StandModel;
        ready = 1;
        break;
    case ANIM_WALK:
        model = WalkModel;
        break;
    case ANIM_ATTACK:
        PlaySoundAt(WindUpSound.sample, WindUpSound.variants, 0);
        animFrame = 0.0f;
        ready = 0;
        model = AttackModel;
        thrown = 0;
        break;
    case ANIM_DIE:
        animFrame = 0.0f;
        model = DieModel;
        RaiseDust(0.0f);
        break;
    case ANIM_RELOAD:
        animFrame = 0.0f;
        model = ReloadModel;
        break;
    default:
        break;
    }
    SendAnimationChange();
}

void CUnitCatapult::RaiseDust(float baseHeight) const
{
    const bool hidden = !IsVisibleToLocalPlayer();
    for (int32_t i = 0; i < DustPuffCount; ++i)
    {
        const float px = centreX + DustScatter();
        const float py = centreY + DustScatter();
        const float height = baseHeight + static_cast<float>(GlobalFunc::Random(DustRiseRange) + DustRiseBase);
        g_Particles.AddDust(hidden, px, height, py, DustSize, DustGrowth);
    }
}

void CUnitCatapult::PlayHitSound(int32_t damageType)
{
    CUnitSoundTable::PlayHitSound(*this, EHitSounds::Machine, damageType);
}
