#include "units/C_Unit_DemolishMan.h"

#include "buildings/C_Building.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_UnitActionBuffer.h"
#include "world/C_GameMap.h"

namespace
{
// A killed demolition man blows up this many frames (one per tick) after
// it fell.
constexpr float FallFramesBeforeBlast = 5.0f;
constexpr float BlastLift = 5.0f;
constexpr int32_t BlastRadius = 1;
constexpr TENUMDAMAGETYPE BlastDamageType = DAMAGE_BLAST;
constexpr float MarkSize = 3.0f;
constexpr SSoundPair BlastSound = {48, 3};
constexpr int32_t BodyPartSpeedSpread = 5;
constexpr int32_t BodyPartSpeedBase = 2;
constexpr int32_t BloodDrops = 100;
constexpr int32_t BloodStainEvery = 10;   // the first drop of each ten leaves a stain
constexpr int32_t BloodSpreadSteps = 20;
constexpr int32_t BloodSpreadMiddle = 10;
constexpr float BloodSpreadStep = 0.04f;
constexpr int32_t BloodRiseSteps = 20;
constexpr float BloodLift = 40.0f;
constexpr float BloodSize = 8.0f;

float BloodOffset()
{
    return static_cast<float>(GlobalFunc::Random(BloodSpreadSteps) - BloodSpreadMiddle) * BloodSpreadStep;
}
}  // namespace

CUnitDemolishMan::CUnitDemolishMan() : CUnitTableType(UNIT_DEMOLISHMAN) {}

bool CUnitDemolishMan::Animate(int32_t ticks)
{
    for (int32_t tick = 0; tick < ticks; ++tick)
    {
        if (StepStandOrWalk())
            continue;
        switch (animType)
        {
        case ANIM_ATTACK:
            animFrame += GetAttackAnimSpeed();
            if (animFrame >= static_cast<float>(CUnitAnimationTable::FrameCount(model)))
            {
                Explode();
                return false;
            }
            break;
        case ANIM_DIE:
            animFrame += m_Animation.dieAdvance;
            if (animFrame >= FallFramesBeforeBlast)
            {
                Explode();
                return false;
            }
            break;
        default:
            break;
        }
    }
    return true;
}

void CUnitDemolishMan::Explode()
{
    if (GetLife() == UnitLife::Corpse)
        return;
    // The bomb takes its carrier with it: dead, out of every other unit's
    // and building's links and out of the selection, but no death message
    // for the other machines, whose copies blow up on their own.
    if (!IsDying())
        RemoveFromWorld(false);
    const bool hidden = !IsVisibleToLocalPlayer();
    const float height = g_GameMap.GetHeight(centreX, centreY) + BlastLift;
    g_Particles.AddImpact(hidden, centreX, height, centreY, CParticles::KindImpact);
    g_Particles.AddBombermanHit(this, centreX, centreY, BlastRadius, BlastDamageType);
    g_Particles.AddExplosionMark(centreX, centreY, MarkSize);
    PlaySoundAt(BlastSound.sample, BlastSound.variants, 0);
    // The corpse particle, the fog kept open for the owner, out of the
    // player's list and off the map.
    FinishDeath();
    animFrame = static_cast<float>(CUnitAnimationTable::FrameCount(model));
    ThrowBodyParts(nullptr, 0, BodyPartSpeedSpread, BodyPartSpeedBase);
    for (int32_t drop = 0; drop < BloodDrops; ++drop)
    {
        const float dropX = centreX + BloodOffset();
        const float dropY = centreY + BloodOffset();
        const float dropHeight =
            g_GameMap.GetHeight(dropX, dropY) + static_cast<float>(GlobalFunc::Random(BloodRiseSteps)) + BloodLift;
        g_Particles.AddBlood(hidden, dropX, dropY, dropHeight, BloodSize, drop % BloodStainEvery == 0);
    }
}

void CUnitDemolishMan::SetModelByAnimation()
{
    if (animType == ANIM_ATTACK)
    {
        if (model != m_Animation.attackModel)
            animFrame = 0.0f;
        model = m_Animation.attackModel;
    }
    else if (animType == ANIM_DIE)
    {
        model = m_Animation.dieModel;
        animFrame = 0.0f;
    }
    else
        ChooseStandOrWalkModel();
    SendAnimationChange();
}

void CUnitDemolishMan::RenderAt(float dieWeight, float corpseWeight, int32_t level)
{
    (void)dieWeight;
    (void)corpseWeight;
    (void)level;
}

void CUnitDemolishMan::onPerformAction()
{
    // An attack on the ground goes off where it was ordered; everything
    // else is the shared body.
    if (currentCommand != CMD_ATTACK_GROUND || !IsOwnedHere(player) || !IsTargetReached())
    {
        CUnitOfType::onPerformAction();
        return;
    }
    pathFlag = 0;
    actionTargetUnit = targetUnit;
    actionTargetBuilding = targetUnit == nullptr ? targetBuilding : nullptr;
    animType = ANIM_ATTACK;
    if (actionTargetUnit != nullptr)
        TurnTowards(true, actionTargetUnit->centreX, actionTargetUnit->centreY, 0.0f);
    SetModelByAnimation();
}

void CUnitDemolishMan::onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding)
{
    // On its way to blow up, nothing turns it aside.
    if (currentCommand == CMD_ATTACK)
        return;
    MeleeOnAttacked(attackerUnit, attackerBuilding, true);
}

void CUnitDemolishMan::onEnemySighted(CUnit* enemy)
{
    if (currentCommand == CMD_ATTACK)
        return;
    MeleeOnEnemySighted(enemy);
}
