#include "units/C_UnitOfType.h"

#include "core/C_Localizer.h"

namespace
{
const SUnitTypeRow& RowOf(int32_t cast)
{
    const SUnitTypeRow* row = CUnitTypeTable::Find(cast);
    // Only the unit type classes construct this base, each with its own cast.
    return row != nullptr ? *row : CUnitTypeTable::Row(0);
}
}  // namespace

CUnitOfType::CUnitOfType(int32_t cast) : m_Row(RowOf(cast)) {}

const char* CUnitOfType::GetCastName() const
{
    if (m_Row.fixedName)
        return m_Row.nameKey;
    const char* text = g_Localizer.GetString(m_Row.nameKey, false);
    return text != nullptr ? text : "";
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
