#pragma once
// Stands in for the in-game control subsystem: the local player's selection,
// holding up to 25 units or one building.

#include <cstdint>

class CUnit;
class CBuilding;

class CSelection
{
public:
    static constexpr int32_t kMaxUnits = 25;
    static constexpr int32_t kCursorModeWallPlacement = 6;

    CSelection();

    CSelection(const CSelection&) = delete;
    CSelection& operator=(const CSelection&) = delete;

    void Clear();
    // A unit already selected is taken out again; a full selection takes no
    // more.  The flag is the caller's and changes nothing here.
    void AddUnit(CUnit* unit, int32_t flag);
    void RemoveUnit(CUnit* unit);
    // That one building and no units.
    void SelectBuilding(CBuilding* building);

    // Clicks on the map at the cursor and on the minimap; what they select or
    // order is decided by the game's own view of what lies under the cursor.
    void OnLeftClick();
    void OnRightClick();
    void OnMinimapRightClick(int32_t x, int32_t y);

    CUnit* GetFirstUnit() const { return unitCount > 0 ? units[0] : nullptr; }

    CUnit* units[kMaxUnits];
    int32_t unitCount;
    CBuilding* building;
    CUnit* unitUnderCursor;
    uint8_t shiftDown;
    int32_t cursorMode;

private:
    int32_t IndexOf(const CUnit* unit) const;
};

extern CSelection g_Selection;
