#include "units/C_SelfHealingFighter.h"

#include <algorithm>

#include "buildings/C_Building.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_UnitMeleeType.h"

void CSelfHealingFighter::HealOneTick(CUnit& fighter, float perTick)
{
    if (!IsOwnedHere(fighter.player) || fighter.health <= 0.0f || fighter.health >= CUnit::FullHealth)
        return;
    fighter.health = std::min(fighter.health + perTick, CUnit::FullHealth);
    if (IsNetworkGame())
        g_MultiplayerGame.SendUnitHealth(&fighter, fighter.health);
}

CSelfHealingFighter::ESwing CSelfHealingFighter::BeginSwingTick(CUnitMeleeType& fighter)
{
    if (fighter.shownFacing != fighter.facing)
        return ESwing::Waiting;
    fighter.animFrame += fighter.GetAttackAnimSpeed();
    const CUnit* target = fighter.actionTargetUnit;
    if (fighter.hitCount > 0 && IsOwnedHere(fighter.player) && target != nullptr && target->pathFlag &&
        !fighter.IsTargetReached())
    {
        fighter.ResumeAction();
        return ESwing::Broken;
    }
    return ESwing::Running;
}

void CSelfHealingFighter::Strike(CUnitMeleeType& fighter)
{
    ++fighter.hitCount;
    int32_t base = 0;
    int32_t bonus = 0;
    const int32_t amount = fighter.GetAttack(&base, &bonus);
    const TENUMDAMAGETYPE damageType = fighter.GetAnimationRow().damageType;
    if (fighter.actionTargetUnit != nullptr)
        fighter.actionTargetUnit->TakeHit(&fighter, amount, damageType, true);
    else if (fighter.actionTargetBuilding != nullptr)
        fighter.actionTargetBuilding->OnAttacked(&fighter, amount, damageType, true);
}
