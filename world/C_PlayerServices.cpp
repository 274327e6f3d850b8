#include "world/C_PlayerServices.h"

#include "buildings/C_Building.h"
#include "buildings/C_BuildingTower.h"
#include "buildings/C_Player_Factory.h"
#include "core/C_LogFile.h"
#include "effects/C_Particles.h"
#include "game/C_MessageList.h"
#include "media/C_VoiceBank.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_Unit.h"
#include "world/C_Player.h"

namespace
{
const CPlayerServices DefaultServices;
const CPlayerServices* s_Services = &DefaultServices;
} // namespace

const CPlayerServices& GetPlayerServices()
{
    return *s_Services;
}

void SetPlayerServices(const CPlayerServices* services)
{
    s_Services = services != nullptr ? services : &DefaultServices;
}

CUnit* CPlayerServices::CreateUnitObject(CPlayer& player, int32_t type) const
{
    return CPlayerFactory::UnitFactory(player, type);
}

CBuilding* CPlayerServices::CreateBuildingObject(CPlayer& player, int32_t cast, int32_t resourceKind,
                                                 int32_t treeCast, int32_t decorationKind) const
{
    return CPlayerFactory::BuildingFactory(player, cast, resourceKind, treeCast, decorationKind);
}

bool CPlayerServices::PerformAction(CUnit& unit, int32_t phase) const
{
    return unit.PerformAction(phase != 0);
}

void CPlayerServices::ShowUnit(CUnit& unit, bool show) const
{
    unit.ShowUnit(show);
}

void CPlayerServices::StopUnit(CUnit& unit) const
{
    unit.Stop();
}

void CPlayerServices::RestartAction(CUnit& unit) const
{
    unit.RestartAction();
}

void CPlayerServices::RemoveUnitFromWorld(CUnit& unit) const
{
    unit.RemoveFromWorld(false);
}

void CPlayerServices::UpdateFogOnMove(CUnit& unit) const
{
    unit.RefreshSight();
}

bool CPlayerServices::PlaceOnMap(CBuilding& building) const
{
    return building.PlaceOnMap();
}

// Destroyed, not only taken down: what it holds leaves as from any fall (a
// keep lets its king out).  Every machine destroys a defeated player's
// buildings itself, so none is announced.
void CPlayerServices::DestroyBuilding(CBuilding& building) const
{
    building.Destroy(false);
}

// The tower counts its archers' sight itself, with the new range.
void CPlayerServices::RefreshArcherSight(CBuilding& building) const
{
    if (building.GetBuildCast() != CastTower)
        return;
    static_cast<CBuildingTower&>(building).RefreshArcherSight();
}

// Before the device start-up there is no message list yet: the log keeps
// the line instead.
void CPlayerServices::AddMessage(const char* text, uint32_t colour) const
{
    if (g_MessageList != nullptr)
        g_MessageList->AddMessage(text, colour);
    else
        g_Log.Write(text != nullptr ? text : "");
}

void CPlayerServices::AddMinimapMarker(int32_t x, int32_t y, uint32_t colour) const
{
    g_Particles.AddMinimapMarker(x, y, colour);
}

void CPlayerServices::PlaySample(int32_t sample, int32_t volumePercent) const
{
    g_VoiceBank.Play(sample, 1, 0, volumePercent, 0.0f);
}

void CPlayerServices::PlaySampleAt(int32_t x, int32_t y, int32_t sample, int32_t loop, int32_t volumePercent) const
{
    g_VoiceBank.PlayAt(x, y, sample, 1, loop, volumePercent, 0.0f);
}

bool CPlayerServices::IsNetworkGame() const
{
    return ::IsNetworkGame();
}

// The network layer tells the others about this machine's own player.
void CPlayerServices::SendPlayerDefeated(int32_t playerIndex) const
{
    (void)playerIndex;
    g_MultiplayerGame.SendPlayerDefeated();
}
