#include "ai/C_UnitList.h"

#include <algorithm>

#include "core/C_LogFile.h"
#include "units/C_Unit.h"

namespace
{
bool IsUnitType(int32_t unitType)
{
    return unitType >= 0 && unitType < UnitTypeCount;
}
}  // namespace

bool CUnitList::Add(CUnit* unit)
{
    if (unit == nullptr || m_Count >= Capacity)
    {
        DEBUG_REPORT("#DEBUG: Unit list refused a unit");
        return false;
    }
    m_Units[m_Count++] = unit;
    const int32_t unitType = unit->GetCastID();
    if (IsUnitType(unitType))
        ++m_ByType[unitType];
    return true;
}

void CUnitList::Clear()
{
    // Entries past the count are never read, so they are left as they are.
    m_Count = 0;
    std::fill(std::begin(m_ByType), std::end(m_ByType), 0);
}

int32_t CUnitList::CountOfType(int32_t unitType) const
{
    return IsUnitType(unitType) ? m_ByType[unitType] : 0;
}
