#include "game/C_Selection.h"

#include "units/C_Unit.h"

CSelection::CSelection()
    : units{}, unitCount(0), building(nullptr), unitUnderCursor(nullptr), shiftDown(0), cursorMode(0)
{
}

void CSelection::Clear()
{
    for (int32_t i = 0; i < unitCount; ++i)
        units[i] = nullptr;
    unitCount = 0;
    building = nullptr;
}

int32_t CSelection::IndexOf(const CUnit* unit) const
{
    for (int32_t i = 0; i < unitCount; ++i)
    {
        if (units[i] == unit)
            return i;
    }
    return -1;
}

void CSelection::AddUnit(CUnit* unit, int32_t)
{
    // A dying unit still stands on its blocks, where a rectangle finds it;
    // it left the selection as it fell and never comes back into it.
    if (!unit || unit->IsDying())
        return;
    if (IndexOf(unit) >= 0)
    {
        RemoveUnit(unit);
        return;
    }
    if (unitCount >= kMaxUnits)
        return;
    building = nullptr;
    units[unitCount++] = unit;
}

void CSelection::RemoveUnit(CUnit* unit)
{
    const int32_t index = IndexOf(unit);
    if (index < 0)
        return;
    for (int32_t i = index; i + 1 < unitCount; ++i)
        units[i] = units[i + 1];
    units[--unitCount] = nullptr;
}

void CSelection::RemoveAndClearActions(CUnit* unit)
{
    RemoveUnit(unit);
    if (unitUnderCursor == unit)
        unitUnderCursor = nullptr;
}

void CSelection::ForgetObject(const CBuilding* forgotten)
{
    if (building == forgotten)
        building = nullptr;
}

void CSelection::SelectBuilding(CBuilding* selected)
{
    Clear();
    building = selected;
}

void CSelection::OnLeftClick() {}
void CSelection::OnRightClick() {}
void CSelection::OnMinimapRightClick(int32_t x, int32_t y)
{
    minimapOrderX = x;
    minimapOrderY = y;
}
