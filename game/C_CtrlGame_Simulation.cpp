// The part of a game frame that moves the world on.  The unit and building
// lists may change under every call (a unit dies, changes sides, a building
// is destroyed), so they are walked by index and a slot is taken again when
// it holds another object after the call.

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "effects/C_Particles.h"
#include "game/C_CtrlGame.h"
#include "game/C_MapObjectAnimation.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_Unit.h"
#include "world/C_Player.h"

namespace
{
// Calls step(unit) for every unit of the player, once each even when the
// step takes the unit out of the list.
template <typename Step>
void ForEachUnit(CPlayer& owner, Step step)
{
    for (int32_t i = 0; i < owner.unitCount;)
    {
        CUnit* unit = owner.units[i];
        step(*unit);
        if (i < owner.unitCount && owner.units[i] == unit)
            ++i;
    }
}

// A dead unit that is not dying would stay on the map for ever, neither
// alive nor on its way to a corpse: it is logged and made to die.  Only the
// owner's machine lets a unit die.
void CheckUnitBeforeTick(CUnit& unit)
{
    if (unit.animFrame < 0.0f)
        g_Log.Write("#DEBUG: Unit Animframe < 0");
    if (unit.IsAlive() || unit.IsDying() || !IsOwnedHere(unit.player))
        return;
    g_Log.Write("#DEBUG: Invalid animation type for a dead unit");
    unit.WriteLog();
    unit.RemoveFromWorld(false);
}

void TickUnits(CPlayer& owner)
{
    ForEachUnit(owner, [](CUnit& unit) {
        CheckUnitBeforeTick(unit);
        unit.TurnStep(1);
        unit.UpdateFollow(1);
        unit.Animate(1);
    });
}

void WalkUnits(CPlayer& owner, int32_t ticks)
{
    ForEachUnit(owner, [ticks](CUnit& unit) {
        unit.UpdateActionBuffer(ticks);
    });
}

void UpdateBuildings(CPlayer& owner, int32_t ticks)
{
    for (int32_t i = 0; i < owner.buildingCount;)
    {
        CBuilding* building = owner.buildings[i];
        if (building->GetHitPoints() <= 0 && !building->IsDecidedHere())
        {
            // Another machine's building, brought down here by a hit: it stays
            // listed, idle, so that it still lets go of units that leave, until
            // its own machine's word takes it down.
            ++i;
            continue;
        }
        if (building->GetHitPoints() <= 0)
        {
            DEBUG_REPORT("#DEBUG: Destroyed building in the players building list");
            if (!owner.RemoveBuilding(building, 0))
                ++i;
            continue;
        }
        if (ticks != 0)
        {
            building->UpdateProduction(ticks);
            // A building that left the list (destroyed, changed sides) is
            // not animated any more.
            if (i >= owner.buildingCount || owner.buildings[i] != building)
                continue;
        }
        building->Animate(static_cast<float>(ticks));
        if (i < owner.buildingCount && owner.buildings[i] == building)
            ++i;
    }
}
}  // namespace

void CCtrlGame::SimulationStep(int32_t ticks)
{
    if (g_Players == nullptr || ticks <= 0)
        return;
    for (int32_t tick = 0; tick < ticks; ++tick)
        for (int32_t p = 0; p < MaxPlayers; ++p)
            TickUnits(g_Players[p]);
    // A step the host granted that waited for its blocks goes before the
    // walk, so that it is taken in the frame after its blocker left.
    if (IsNetworkGame())
        g_MultiplayerGame.TakePendingSteps();
    for (int32_t p = 0; p < MaxPlayers; ++p)
        WalkUnits(g_Players[p], ticks);
    CPlayer::UpdateAllUnitsTimeSliced(g_Players);
    for (int32_t p = 0; p < MaxPlayers; ++p)
        UpdateBuildings(g_Players[p], ticks);
    CMapObjectAnimation::AnimateUnlisted(ticks);
    g_Particles.Update(ticks);
}
