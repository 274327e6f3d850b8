#include "units/C_UnitOfType.h"

#include "core/C_Localizer.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitAnimationTable.h"
#include "units/C_UnitBehaviourTable.h"

namespace
{
// How a type takes orders: whether it keeps the target object, which two
// commands it performs from a distance, and the one command it performs on
// the spot (target kind 0).
struct SOrderRule
{
    int32_t cast;
    bool keepsObject;
    int32_t rangedCommand1;
    int32_t rangedCommand2;
    int32_t onTheSpotCommand;
};

constexpr int32_t NoCommand = CMD_NONE;
// The Die animation until the types bring their own models: frames played
// per tick and frames in all.
constexpr float DieFramesPerTick = 0.6f;
constexpr float DieFrameCount = 30.0f;

// Types not listed keep unit, building and point and act at contact.
const SOrderRule OrderRules[] = {
    {UNIT_WORKER, true, NoCommand, NoCommand, NoCommand},
    {UNIT_ARCHER, false, CMD_ATTACK, NoCommand, NoCommand},
    {UNIT_CROSSBOWMAN, false, CMD_ATTACK, NoCommand, NoCommand},
    {UNIT_QUIB, false, CMD_ATTACK, NoCommand, NoCommand},
    {UNIT_WARHOUND, false, CMD_ATTACK, NoCommand, NoCommand},
    {UNIT_GUNSLINGER, false, CMD_ATTACK, NoCommand, NoCommand},
    {UNIT_CATAPULT, false, CMD_ATTACK, CMD_ATTACK_GROUND, NoCommand},
    {UNIT_WARGALLEY, false, CMD_ATTACK, CMD_ATTACK_GROUND, NoCommand},
    {UNIT_PRIEST, false, CMD_ATTACK, CMD_HEAL, NoCommand},
    {UNIT_DEMON, false, CMD_ATTACK, CMD_CAST_MAGIC, NoCommand},
    {UNIT_KING, true, NoCommand, NoCommand, CMD_ENTER_KEEP},
    {UNIT_SETTLER, true, NoCommand, NoCommand, CMD_FOUND_SETTLEMENT},
};

const SOrderRule* OrderRuleOf(int32_t cast)
{
    for (const SOrderRule& rule : OrderRules)
        if (rule.cast == cast)
            return &rule;
    return nullptr;
}

const SUnitTypeRow& RowOf(int32_t cast)
{
    const SUnitTypeRow* row = CUnitTypeTable::Find(cast);
    // Only the unit type classes construct this base, each with its own cast.
    return row != nullptr ? *row : CUnitTypeTable::Row(0);
}
}  // namespace

CUnitOfType::CUnitOfType(int32_t cast) : m_Row(RowOf(cast)), m_Behaviour(CUnitBehaviourTable::Find(cast)) {}

const char* CUnitOfType::GetCastName() const
{
    if (m_Row.fixedName)
        return m_Row.nameKey;
    const char* text = g_Localizer.GetString(m_Row.nameKey, false);
    return text != nullptr ? text : "";
}

bool CUnitOfType::Animate(int32_t ticks)
{
    if (animType == ANIM_DIE)
        return AnimateDeath(DieFramesPerTick * static_cast<float>(ticks), DieFrameCount);
    if (animType == ANIM_WIND_DOWN)
    {
        animFrame += GetAttackAnimSpeed() * static_cast<float>(ticks);
        if (animFrame >= static_cast<float>(CUnitAnimationTable::FrameCount(model)))
            Stop();
    }
    return true;
}

float CUnitOfType::GetMaxHitPoints() const
{
    return CUnitTypeTable::MaxHitPoints(m_Row, player);
}

int32_t CUnitOfType::GetAttack(int32_t* base, int32_t* bonus) const
{
    return CUnitTypeTable::Attack(m_Row, player, base, bonus);
}

int32_t CUnitOfType::GetAttackRange(int32_t* base, int32_t* bonus) const
{
    return CUnitTypeTable::AttackRange(m_Row, player, base, bonus);
}

int32_t CUnitOfType::GetSightRadius() const
{
    return CUnitTypeTable::SightRadius(m_Row, player);
}

float CUnitOfType::GetDamageFactorA() const
{
    return CUnitTypeTable::DamageFactor(m_Row, player, 0);
}

float CUnitOfType::GetDamageFactorB() const
{
    return CUnitTypeTable::DamageFactor(m_Row, player, 1);
}

float CUnitOfType::GetDamageFactorC() const
{
    return CUnitTypeTable::DamageFactor(m_Row, player, 2);
}

float CUnitOfType::GetAttackAnimSpeed() const
{
    return CUnitTypeTable::AttackAnimSpeed(m_Row, player);
}

void CUnitOfType::GetRepairCost(float* wood, float* stone, float* gold) const
{
    if (m_Row.repairWood < 0.0f)
        return;
    *wood = m_Row.repairWood;
    *stone = 0.0f;
    *gold = 0.0f;
}

void CUnitOfType::onCommand(CUnit* targetUnit, CBuilding* targetBuilding, CBuilding* targetObject, int32_t x,
                            int32_t y, int32_t command)
{
    if (m_Row.cast == UNIT_TOWERARCHER)
        return;   // it shoots from its tower and takes no orders
    if (m_Behaviour != nullptr && m_Behaviour->meleeCommand)
    {
        MeleeOnCommand(targetUnit, targetBuilding, x, y, command);
        return;
    }
    const SOrderRule* rule = OrderRuleOf(m_Row.cast);
    const bool keepsObject = rule != nullptr && rule->keepsObject;
    const bool isRanged = rule != nullptr && command != NoCommand &&
                          (command == rule->rangedCommand1 || command == rule->rangedCommand2);
    const int32_t kind =
        rule != nullptr && command != NoCommand && command == rule->onTheSpotCommand ? TARGET_NONE : TARGET_CHOOSE;
    InitAction(targetUnit, targetBuilding, keepsObject ? targetObject : nullptr, x, y, command, kind, false,
               isRanged);
}

void CUnitOfType::onIdle()
{
    if (m_Behaviour != nullptr && m_Behaviour->meleeIdle)
        MeleeOnIdle();
}

void CUnitOfType::onEnemySighted(CUnit* enemy)
{
    if (m_Behaviour != nullptr && m_Behaviour->meleeSighted)
        MeleeOnEnemySighted(enemy);
}

void CUnitOfType::onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding)
{
    if (m_Behaviour != nullptr && m_Behaviour->attacked != EAttackedBody::None)
        MeleeOnAttacked(attackerUnit, attackerBuilding, m_Behaviour->attacked == EAttackedBody::VariantB);
}

void CUnitOfType::onTargetLost(CUnit* unit, CBuilding* building)
{
    if (m_Behaviour == nullptr)
        return;
    if (m_Behaviour->targetLost == ETargetLostBody::WindDown)
        WindDownOnTargetLost(unit, building);
    else if (m_Behaviour->targetLost == ETargetLostBody::Halt)
        HaltOnTargetLost(unit, building);
}

void CUnitOfType::SeekTargetOnPatrol(int32_t tx, int32_t ty, bool* engaged)
{
    *engaged = false;
    if (m_Behaviour != nullptr && m_Behaviour->patrol != EPatrolBody::None)
        MeleeSeekTargetOnPatrol(tx, ty, engaged, m_Behaviour->patrol == EPatrolBody::Rider);
}

void CUnitOfType::onPerformAction()
{
    if (m_Behaviour != nullptr && m_Behaviour->meleePerform)
        MeleeOnPerformAction(m_Behaviour->performExtraDegrees, m_Behaviour->sourceLine,
                             CUnitBehaviourTable::SourceFile());
}

void CUnitOfType::onMoveEnd()
{
    if (m_Behaviour != nullptr && m_Behaviour->meleePerform)
        MeleeOnMoveEnd();
}
