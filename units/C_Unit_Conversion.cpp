// A unit changing sides, a unit boarding a transport, and the ship that
// carries a unit.

#include "core/C_Localizer.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "game/C_Selection.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_Unit.h"
#include "units/C_Unit_TransportShip.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_Player.h"
#include "world/C_PlayerServices.h"

namespace
{
constexpr uint32_t ConvertedColour = 0x0000FF00;
}

bool CUnit::ConvertToPlayer(int32_t newPlayer, bool showMessage)
{
    if (g_Players == nullptr || newPlayer < 0 || newPlayer >= MaxPlayers || player < 0 || player >= MaxPlayers)
    {
        DEBUG_REPORT("#DEBUG: Unit conversion to a player that does not exist");
        return false;
    }
    if (newPlayer == player)
        return false;
    CPlayer& oldOwner = g_Players[player];
    CPlayer& newOwner = g_Players[newPlayer];
    // A dying unit, one aboard or inside, or one its owner does not list
    // cannot change sides: its sight is not counted and no list would hold
    // it afterwards.
    if (!IsAlive() || IsDying() || !onMap || !IsFootprintRegistered() || !oldOwner.HasUnit(this))
    {
        DEBUG_REPORT("#DEBUG: Unit cannot be converted");
        return false;
    }
    if (newOwner.unitCount >= MaxPlayerUnits)
    {
        DEBUG_REPORT("#DEBUG: Unit conversion refused: the new owner's list is full");
        return false;
    }
    const int32_t previousPlayer = player;
    --oldOwner.statistics[STAT_UNITS_LOST];
    oldOwner.RemoveUnit(this, 0);
    // The unit may still be selected and grouped by the player who lost it.
    if (previousPlayer == g_LocalPlayer)
        g_Selection.RemoveUnit(this);
    controlGroup = 0;
    ApplySight(-1);
    player = newPlayer;
    newOwner.AddUnit(this);
    ApplySight(+1);
    RevealFog();
    Stop();
    ReleaseFromNewFriends();
    if (newPlayer == g_LocalPlayer)
        MarkAsConverted(showMessage);
    return true;
}

void CUnit::ReleaseFromNewFriends()
{
    // Who fought the unit and is now its friend lets it go; who followed it
    // and is now its enemy stops following.
    const CPlayer& newOwner = g_Players[player];
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        const bool friendly = p == player || newOwner.IsFriendTo(p);
        CPlayer& other = g_Players[p];
        for (int32_t i = 0; i < other.unitCount; ++i)
        {
            CUnit* unit = other.units[i];
            if (unit == nullptr || unit == this)
                continue;
            if (friendly)
                unit->onUnitRemoved(this);
            else if (unit->followedUnit == this)
                unit->followedUnit = nullptr;
        }
    }
}

void CUnit::MarkAsConverted(bool showMessage)
{
    const CPlayerServices& services = GetPlayerServices();
    g_Particles.AddTargetMark(this, nullptr);
    services.AddMinimapMarker(GetCentreCellX(), GetCentreCellY(), ConvertedColour);
    if (!showMessage)
        return;
    const char* text = g_Localizer.GetString("MSG_UNIT_CONVERETD", false);
    const CString line = GlobalFunc::ReplaceString(text != nullptr ? text : "", "%s", GetCastName());
    services.AddMessage(line.GetBuffer(), ConvertedColour);
}

bool CUnit::BoardTransport(CUnit* transport)
{
    if (transport == nullptr || transport == this || !transport->AcceptGarrison(this))
        return false;
    // Its own animation would go on acting where it stood (a stroke, a swing,
    // a cast): aboard it stands, and the other machines learn that while
    // their copies are still on the map.
    animType = ANIM_STAND;
    animFrame = 0.0f;
    SetModelByAnimation();
    g_Selection.RemoveUnit(this);
    if (IsNetworkGame())
        g_MultiplayerGame.SendUnitHidden(this);
    ShowUnit(false);
    return true;
}

CUnitTransportShip* FindPlayerTransportShip(const CUnit* unit)
{
    const CPlayer* owner = unit != nullptr ? PlayerAt(unit->player) : nullptr;
    if (owner == nullptr)
        return nullptr;
    for (int32_t i = 0; i < owner->unitCount; ++i)
    {
        CUnit* candidate = owner->units[i];
        if (candidate == nullptr || candidate->GetCastID() != UNIT_TRANSPORTSHIP)
            continue;
        CUnitTransportShip* ship = dynamic_cast<CUnitTransportShip*>(candidate);
        if (ship != nullptr && ship->IsCarrying(unit))
            return ship;
    }
    return nullptr;
}
