#pragma once
// Stands in for the in-game control subsystem: the local player's selection,
// holding up to 25 units or one building.

#include <cstdint>

class CUnit;
class CBuilding;
class CObjectReferences;
class CSaveStream;

class CSelection
{
public:
    static constexpr int32_t kMaxUnits = 25;
    static constexpr int32_t kCursorModeWallPlacement = 6;

    CSelection();

    CSelection(const CSelection&) = delete;
    CSelection& operator=(const CSelection&) = delete;

    void Clear();
    // A unit already selected is taken out again; a full selection or a
    // dying unit takes no more.  The flag is the caller's and changes nothing
    // here.
    void AddUnit(CUnit* unit, int32_t flag);
    void RemoveUnit(CUnit* unit);
    // A unit leaving the world: out of the selection, and no click acts on
    // it as the unit under the cursor any more.
    void RemoveAndClearActions(CUnit* unit);
    // A building leaving the world: the selection holds it no more.
    void ForgetObject(const CBuilding* building);
    // That one building and no units.
    void SelectBuilding(CBuilding* building);

    // Clicks on the map at the cursor and on the minimap; what they select or
    // order is decided by the game's own view of what lies under the cursor.
    void OnLeftClick();
    void OnRightClick();
    void OnMinimapRightClick(int32_t x, int32_t y);

    // The saved game's control-group section: what is selected now (the
    // unit count, each unit's id, the building's id, -1 for none), then for
    // groups 1 to 9 the count and ids of the listed units that carry the
    // group's number.  The units keep their group number themselves, but
    // their own record does not carry it; the players save the counts.
    void SaveGame(CSaveStream& stream, const CObjectReferences& references) const;
    // Reads the section whole before it changes anything; a short or bad
    // section sets the stream's error flag, logs why and leaves the
    // selection and the group numbers as they were.  The unit under the
    // cursor is the cursor's, and is forgotten.
    bool LoadGame(CSaveStream& stream, const CObjectReferences& references);

    CUnit* GetFirstUnit() const { return unitCount > 0 ? units[0] : nullptr; }

    CUnit* units[kMaxUnits];
    int32_t unitCount;
    CBuilding* building;
    CUnit* unitUnderCursor;
    uint8_t shiftDown;
    int32_t cursorMode;
    // What a building's panel command left for the next click on the map
    // (14 places the rally point), and its second value.
    int32_t pendingAction = 0;
    int32_t pendingValue = 0;
    // The block of the last move order given on the minimap, -1 none.
    int32_t minimapOrderX = -1;
    int32_t minimapOrderY = -1;

private:
    int32_t IndexOf(const CUnit* unit) const;
    static void SaveGroups(CSaveStream& stream, const CObjectReferences& references);
};

extern CSelection g_Selection;
