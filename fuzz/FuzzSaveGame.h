#pragma once
// The small running game that the whole-save target loads its inputs into,
// and from which its seeds are saved: on a 32 x 32 map, a warrior of player
// 0 and one of player 1, a blacksmith, the corpses of two warriors of player
// 2 that fell together (after a load both carry the unique id -1, and they
// decay in the same frame), a tower of player 0 with two archers, a
// transport ship of player 0 with a warrior aboard and a burning torch.  The players, type records and map
// must be set up already; the objects are made through the players' own
// operations.

#include <cstdint>

#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingTower.h"
#include "core/C_PtrGarbage.h"
#include "effects/C_Particles.h"
#include "game/C_CtrlGame.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_TransportShip.h"
#include "world/C_Player.h"

namespace FuzzSaveGame
{
constexpr int32_t MapSide = 32;
constexpr int32_t SmithyX = 10;
constexpr int32_t SmithyY = 20;
constexpr int32_t TowerX = 14;
constexpr int32_t TowerY = 4;
constexpr int32_t ShipX = 24;
constexpr int32_t ShipY = 24;
constexpr int32_t TorchKind = 34;
constexpr int32_t TorchX = 3;
constexpr int32_t TorchY = 28;
constexpr int32_t Corpses = 2;
// Frames a death takes at most before the unit lies as a corpse.
constexpr int32_t MostFramesOfDeath = 100;
constexpr int32_t KillingBlow = 100000;
constexpr TENUMDAMAGETYPE MeleeDamage = DAMAGE_BLADE;

// False when a player refused an object.
inline bool Build()
{
    CPlayer* players = g_Players;
    bool made = players[0].CreateUnit(UNIT_WARRIOR, 5, 5) != nullptr &&
                players[1].CreateUnit(UNIT_WARRIOR, 20, 20) != nullptr &&
                players[1].CreateBuilding(CastBlacksmith, SmithyX, SmithyY) != nullptr;
    for (int32_t x : {25, 27})
    {
        CUnit* doomed = players[2].CreateUnit(UNIT_WARRIOR, x, 5);
        made = made && doomed != nullptr;
        if (doomed != nullptr)
            doomed->TakeHit(nullptr, KillingBlow, MeleeDamage, false);
    }
    auto* tower = dynamic_cast<CBuildingTower*>(players[0].CreateBuilding(CastTower, TowerX, TowerY));
    made = made && tower != nullptr && tower->AddArcher(players[0].NextUnitId(0)) &&
           tower->AddArcher(players[0].NextUnitId(0));
    auto* ship = dynamic_cast<CUnitTransportShip*>(players[0].CreateUnit(UNIT_TRANSPORTSHIP, ShipX, ShipY));
    CUnit* passenger = players[0].CreateUnit(UNIT_WARRIOR, ShipX - 2, ShipY);
    made = made && ship != nullptr && passenger != nullptr;
    if (made)
    {
        passenger->ShowUnit(false);
        made = ship->AcceptGarrison(passenger);
    }
    // A torch, so that the particles keep its flame.
    CBuilding* torch = players[0].CreateDecorationBuilding(TorchKind, TorchX, TorchY);
    made = made && torch != nullptr;
    if (torch != nullptr)
        torch->StartEffects();
    for (int32_t frame = 0; frame < MostFramesOfDeath && g_Particles.GetCorpseCount() < Corpses; ++frame)
        CCtrlGame::SimulationStep(1);
    g_PtrGarbage.Flush();
    return made && g_Particles.GetCorpseCount() == Corpses;
}
}  // namespace FuzzSaveGame
