#pragma once
// A list of units for the computer opponent and for the units that report
// to it: at most as many as one player may own, counted by unit type.  It
// only points at units; their players own them.

#include <cstdint>

#include "world/C_Player.h"

class CUnit;

class CUnitList
{
public:
    static constexpr int32_t Capacity = MaxPlayerUnits;

    CUnitList() { Clear(); }

    // Appends the unit and counts it by its type.  A null unit or a full
    // list is refused with a check report.
    bool Add(CUnit* unit);
    // Empties the list and its counts by type.
    void Clear();

    int32_t GetCount() const { return m_Count; }
    // Null outside 0 .. count - 1.
    CUnit* GetAt(int32_t index) const { return index >= 0 && index < m_Count ? m_Units[index] : nullptr; }
    // How many units of that TENUMUNITCAST the list holds; 0 for another value.
    int32_t CountOfType(int32_t unitType) const;

private:
    CUnit* m_Units[Capacity] = {};
    int32_t m_Count;
    int32_t m_ByType[UnitTypeCount];
};
