#include "world/C_Player.h"

#include "game/C_Selection.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"

namespace
{
constexpr int32_t WorkerType = 1;
constexpr int32_t CommandNone = 0;
constexpr int32_t CommandPatrol = 3;
constexpr uint32_t IdleNoticeColour = 0xFFFFFF;

bool IsIdle(const CUnit& unit)
{
    return unit.currentCommand == CommandNone || unit.currentCommand == CommandPatrol;
}

// Only a unit that stands on the map and is not dying may be selected: one
// aboard a ship or waiting in a building is no one to command, and the
// selection would outlive a dying one.
bool IsIdleOnMap(const CUnit& unit)
{
    return unit.onMap && !unit.IsDying() && IsIdle(unit);
}

bool IsIdleWorker(const CUnit& unit)
{
    return unit.GetCastID() == WorkerType && IsIdleOnMap(unit);
}
} // namespace

// The search starts behind the first selected unit and wraps round, so that
// repeated presses step through the idle units.
bool CPlayer::SelectNextIdle(bool (*isCandidate)(const CUnit&), const char* noneKey)
{
    int32_t start = 0;
    const CUnit* first = g_Selection.GetFirstUnit();
    if (first != nullptr && first->listIndex >= 0 && first->listIndex < unitCount && units[first->listIndex] == first)
        start = first->listIndex + 1;
    for (int32_t step = 0; step < unitCount; ++step)
    {
        CUnit* unit = units[(start + step) % unitCount];
        if (!isCandidate(*unit))
            continue;
        g_Selection.Clear();
        g_Selection.AddUnit(unit, 0);
        g_GameMap.cameraTargetX = float(unit->x + unit->GetSize() / 2);
        g_GameMap.cameraTargetY = float(unit->y + unit->GetSize() / 2);
        return true;
    }
    ShowMessage(noneKey, IdleNoticeColour);
    return false;
}

bool CPlayer::SelectNextIdleWorker()
{
    return SelectNextIdle(IsIdleWorker, "MSG_NOIDLESLAVE");
}

bool CPlayer::SelectNextIdleUnit()
{
    return SelectNextIdle(IsIdleOnMap, "MSG_NOIDLEUNIT");
}
