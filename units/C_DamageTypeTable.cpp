#include "units/C_DamageTypeTable.h"

namespace
{
struct SDamageTypeRow
{
    EDamageFactor living;     // a unit that is a living being
    EDamageFactor lifeless;   // a machine, a ship, a cart
    EDamageFactor building;
};

constexpr EDamageFactor A = EDamageFactor::First;
constexpr EDamageFactor B = EDamageFactor::Second;
constexpr EDamageFactor C = EDamageFactor::Third;
constexpr EDamageFactor Nil = EDamageFactor::None;

// Damage types 1 to 9, in order.
constexpr SDamageTypeRow Rows[] = {
    {A, A, A},         // 1 blade
    {B, B, B},         // 2 arrow
    {B, C, B},         // 3 burning arrow: a machine takes its third factor
    {C, C, C},         // 4 stone
    {Nil, Nil, Nil},   // 5 harmless
    {A, A, A},         // 6 charge
    {B, C, B},         // 7 fire ball
    {C, C, C},         // 8 blast
    {C, C, C},         // 9 heavy
};
static_assert(sizeof(Rows) / sizeof(Rows[0]) == CDamageTypeTable::LastType - CDamageTypeTable::FirstType + 1);

const SDamageTypeRow* RowOf(TENUMDAMAGETYPE damageType)
{
    const int32_t value = damageType;
    if (value < CDamageTypeTable::FirstType || value > CDamageTypeTable::LastType)
        return nullptr;
    return &Rows[value - CDamageTypeTable::FirstType];
}
}  // namespace

EDamageFactor CDamageTypeTable::ForUnit(TENUMDAMAGETYPE damageType, bool living)
{
    const SDamageTypeRow* row = RowOf(damageType);
    if (row == nullptr)
        return EDamageFactor::None;
    return living ? row->living : row->lifeless;
}

EDamageFactor CDamageTypeTable::ForBuilding(TENUMDAMAGETYPE damageType)
{
    const SDamageTypeRow* row = RowOf(damageType);
    return row != nullptr ? row->building : EDamageFactor::None;
}
