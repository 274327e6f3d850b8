#include "world/C_Player.h"

#include "platform/SysClock.h"
#include "units/C_Unit.h"
#include "world/C_PlayerServices.h"

namespace
{
constexpr uint32_t ActionPassMilliseconds = 3;
constexpr uint32_t StarvationMessageInterval = 60000;
constexpr uint32_t NoticeColour = 0xFFFF00;
constexpr float NoStarvation = 0.0f;
} // namespace

// Moves the phase's cursor past units until one performs its action.
bool CPlayer::PerformNextAction(int32_t phase)
{
    int32_t& cursor = unitCursors[phase];
    const CPlayerServices& services = GetPlayerServices();
    // A removal during the pass may have shortened the list under the cursor.
    if (cursor > unitCount || cursor < 0)
        cursor = unitCount;
    while (cursor < unitCount)
    {
        CUnit& unit = *units[cursor++];
        if (unit.IsAlive() && services.PerformAction(unit, phase))
            return true;
    }
    cursor = 0;
    return false;
}

bool CPlayer::UpdateUnitsTimeSliced()
{
    if (units == nullptr)
        return false;
    if (PerformNextAction(0))
        return true;
    PerformNextAction(1);
    return false;
}

void CPlayer::UpdateAllUnitsTimeSliced(CPlayer* players)
{
    const uint32_t start = SysClock::TickCount();
    bool active[MaxPlayers];
    int32_t activeCount = MaxPlayers;
    for (bool& flag : active)
        flag = true;
    while (activeCount > 0 && SysClock::TicksBetween(start, SysClock::TickCount()) < ActionPassMilliseconds)
        for (int32_t p = 0; p < MaxPlayers; ++p)
            if (active[p] && !players[p].UpdateUnitsTimeSliced())
            {
                active[p] = false;
                --activeCount;
            }
}

void CPlayer::CheckStarvation(float amount)
{
    if (!starvationEnabled || amount == 0.0f || units == nullptr || GetPlayerServices().IsNetworkGame())
        return;
    int32_t excess = unitCount - GetPopulationLimit();
    if (excess < 0)
        excess = 0;
    if (excess == 0 && starvationTime == 0)
        return;
    const uint32_t now = SysClock::TickCount();
    bool changed = false;
    for (int32_t i = 0; i < unitCount; ++i)
    {
        CUnit& unit = *units[i];
        if (!unit.IsAlive() || !unit.CanStarve())
            continue;
        if (excess > 0)
        {
            --excess;
            // The unit's own rule: hunger never takes the last hit point.
            unit.AddStarvation(amount);
            changed = true;
            if (IsLocal())
            {
                if (starvationTime == 0 || SysClock::TicksBetween(starvationTime, now) > StarvationMessageInterval)
                {
                    ShowMessage("MSG_PEOPLESTARVING", NoticeColour);
                    starvationTime = now;
                }
            }
            else if (starvationTime == 0)
            {
                // Marks starvation in progress so that recovery is not
                // skipped once the excess is gone.
                starvationTime = now;
            }
        }
        else if (unit.starvation > NoStarvation)
        {
            unit.AddStarvation(-amount);
            starvationTime = now;
            changed = true;
        }
    }
    if (!changed)
        starvationTime = 0;
}
