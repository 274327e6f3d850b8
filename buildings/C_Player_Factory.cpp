#include "buildings/C_Player_Factory.h"

#include <new>

#include "buildings/C_BuildingAlchemy.h"
#include "buildings/C_BuildingBarracks.h"
#include "buildings/C_BuildingBlacksmith.h"
#include "buildings/C_BuildingCastle.h"
#include "buildings/C_BuildingDarkAltar.h"
#include "buildings/C_BuildingDecoration.h"
#include "buildings/C_BuildingDecorationAlly.h"
#include "buildings/C_BuildingDecorationBranch.h"
#include "buildings/C_BuildingDecorationCaveEntrance.h"
#include "buildings/C_BuildingDecorationCaveWall.h"
#include "buildings/C_BuildingDecorationColumn.h"
#include "buildings/C_BuildingDecorationFountain.h"
#include "buildings/C_BuildingDecorationGate.h"
#include "buildings/C_BuildingDecorationGrave.h"
#include "buildings/C_BuildingDecorationMill.h"
#include "buildings/C_BuildingDecorationRuins.h"
#include "buildings/C_BuildingDecorationStatue.h"
#include "buildings/C_BuildingDecorationTorch.h"
#include "buildings/C_BuildingDocks.h"
#include "buildings/C_BuildingGoldMine.h"
#include "buildings/C_BuildingHouse.h"
#include "buildings/C_BuildingKeep.h"
#include "buildings/C_BuildingMonastery.h"
#include "buildings/C_BuildingResource.h"
#include "buildings/C_BuildingResourceTree.h"
#include "buildings/C_BuildingTower.h"
#include "buildings/C_BuildingTrap.h"
#include "buildings/C_BuildingWall.h"
#include "buildings/C_BuildingWarehouse.h"
#include "core/C_LogFile.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_Player.h"

namespace
{
// The lines the refusals report, which logs and tests rely on.
constexpr int UnknownUnitLine = 147;
constexpr int UnknownResourceLine = 178;
constexpr int UnknownDecorationLine = 303;
constexpr int UnknownBuildingLine = 353;
// The tower archer stands inside its tower, one block in from the tile.
constexpr float TowerArcherCentreOffset = 1.0f;
}  // namespace

CUnit* CPlayerFactory::UnitFactory(CPlayer& player, int32_t unitType)
{
    const SUnitTypeRow* row = CUnitTypeTable::Find(unitType);
    if (row == nullptr)
    {
        if (player.factoryReady)
            DEBUG_REPORT_AT("#DEBUG: Unit factory: Unknown unit type", UnknownUnitLine);
        return nullptr;
    }
    CUnit* unit = row->construct();
    if (unit == nullptr)
        return nullptr;
    unit->player = player.index;
    if (row->factorySetsSpeedAndModel)
    {
        unit->speed = row->speed;
        unit->model = row->modelBase;
    }
    if (unitType == UNIT_TOWERARCHER)
    {
        unit->centreX = static_cast<float>(unit->x) + TowerArcherCentreOffset;
        unit->centreY = static_cast<float>(unit->y) + TowerArcherCentreOffset;
    }
    return unit;
}

CBuilding* CPlayerFactory::BuildingFactory(CPlayer& player, int32_t cast, int32_t resourceKind, int32_t treeCast,
                                           int32_t decorationKind)
{
    if (cast == CastResource)
        return MakeResource(player, resourceKind, treeCast);
    if (cast == CastDecoration)
        return MakeDecoration(player, decorationKind);
    return MakeBuilding(player, cast);
}

CBuilding* CPlayerFactory::MakeResource(const CPlayer& player, int32_t resourceKind, int32_t treeCast)
{
    switch (resourceKind)
    {
    // Both kinds make an open mine; a closed one comes back closed from its
    // saved state.
    case ResourceKindGold:
    case ResourceKindGoldMine:
        return new (std::nothrow) CBuildingGoldMine();
    case ResourceKindTree:
        return new (std::nothrow) CResourceTree(treeCast);
    case ResourceKindRock:
        return new (std::nothrow) CResource();
    default:
        if (player.factoryReady)
            DEBUG_REPORT_AT("#DEBUG: Building factory: Unknown resource type", UnknownResourceLine);
        return nullptr;
    }
}

CBuilding* CPlayerFactory::MakeDecoration(const CPlayer& player, int32_t decorationKind)
{
    const SDecorationKindRow* row = CBuildingDecorationKinds::Find(decorationKind);
    if (row == nullptr)
    {
        if (player.factoryReady)
            DEBUG_REPORT_AT("#DEBUG: Building factory: Unknown decoration type", UnknownDecorationLine);
        return nullptr;
    }
    switch (row->decorationClass)
    {
    case DecorationClass::Plain: return new (std::nothrow) CDecoration(decorationKind);
    case DecorationClass::Mill: return new (std::nothrow) CDecorationMill(decorationKind);
    case DecorationClass::Branch: return new (std::nothrow) CDecorationBranch(decorationKind);
    case DecorationClass::Ruins: return new (std::nothrow) CDecorationRuins(decorationKind);
    case DecorationClass::Statue: return new (std::nothrow) CDecorationStatue(decorationKind);
    case DecorationClass::Grave: return new (std::nothrow) CDecorationGrave(decorationKind);
    case DecorationClass::Torch: return new (std::nothrow) CDecorationTorch(decorationKind);
    case DecorationClass::Gate: return new (std::nothrow) CDecorationGate(decorationKind);
    case DecorationClass::CaveEntrance: return new (std::nothrow) CDecorationCaveEntrance(decorationKind);
    case DecorationClass::CaveWall: return new (std::nothrow) CDecorationCaveWall(decorationKind);
    case DecorationClass::Fountain: return new (std::nothrow) CDecorationFountain(decorationKind);
    case DecorationClass::Column: return new (std::nothrow) CDecorationColumn(decorationKind);
    case DecorationClass::Ally: return new (std::nothrow) CDecorationAlly(decorationKind);
    }
    return nullptr;
}

CBuilding* CPlayerFactory::MakeBuilding(const CPlayer& player, int32_t cast)
{
    const int32_t owner = player.index;
    switch (cast)
    {
    case CastCastle: return new (std::nothrow) CBuildingCastle(owner);
    case CastBarracks: return new (std::nothrow) CBuildingBarracks(owner);
    case CastAlchemy: return new (std::nothrow) CBuildingAlchemy(owner);
    case CastBlacksmith: return new (std::nothrow) CBuildingBlacksmith(owner);
    case CastHouse: return new (std::nothrow) CBuildingHouse(owner);
    case CastTower: return new (std::nothrow) CBuildingTower(owner);
    case CastWarehouse: return new (std::nothrow) CBuildingWarehouse(owner);
    case CastMonastery: return new (std::nothrow) CBuildingMonastery(owner);
    case CastWall: return new (std::nothrow) CBuildingWall(owner);
    case CastKeep: return new (std::nothrow) CBuildingKeep(owner);
    case CastTrap: return new (std::nothrow) CBuildingTrap(owner);
    case CastDocks: return new (std::nothrow) CBuildingDocks(owner);
    case CastDarkAltar: return new (std::nothrow) CBuildingDarkAltar(owner);
    default:
        if (player.factoryReady)
            DEBUG_REPORT_AT("#DEBUG: Building factory: Unknown building type", UnknownBuildingLine);
        return nullptr;
    }
}
