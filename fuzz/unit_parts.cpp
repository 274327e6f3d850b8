// Feeds arbitrary bytes to the readers of the unit types' and building
// classes' own parts of their saved records.  The first byte picks the type:
// one of the 22 unit types, then the building casts, then resource sites and
// decorations (whose kind the second byte picks); the object is made by the
// players' real factory and the rest of the input goes to its reader.
// Links resolve through the small table of two units and two buildings.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingTower.h"
#include "buildings/C_Player_Factory.h"
#include "fuzz/FuzzSaveStream.h"
#include "fuzz/FuzzSaveWorld.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_Player.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr size_t kLargestInput = 1u << 12;
constexpr int32_t kOwner = 1;
constexpr int32_t BuildingCasts[] = {CastCastle,    CastBarracks, CastAlchemy, CastBlacksmith, CastHouse,
                                     CastTower,     CastWarehouse, CastMonastery, CastWall,     CastKeep,
                                     CastTrap,      CastDocks,    CastDarkAltar};
constexpr int32_t kBuildingCastCount = static_cast<int32_t>(sizeof(BuildingCasts) / sizeof(BuildingCasts[0]));
// Unit types, building casts, a resource site, a decoration.
constexpr int32_t kChoices = CUnitTypeTable::TypeCount + kBuildingCastCount + 2;
constexpr int32_t kKindsPerChoice = 16;
// Decoration kinds run from 1 to 79.
constexpr int32_t kDecorationKinds = 80;

class CPartsBuilding : public CBuilding
{
};

using SWorld = SFuzzSaveWorld<CPartsBuilding>;

SWorld& PreparedWorld()
{
    static bool prepared = false;
    SWorld& world = SWorld::Get();
    if (!prepared)
    {
        prepared = true;
        InitTypeRecords();
        for (int32_t p = 0; p < MaxPlayers; ++p)
            g_Players[p].Init(p, p, p == 0 ? PLAYER_LOCAL : PLAYER_COMPUTER, nullptr);
    }
    return world;
}

void LoadUnitPart(SWorld& world, int32_t type, CFuzzSaveStream& stream)
{
    std::unique_ptr<CUnit> unit(CPlayerFactory::UnitFactory(g_Players[kOwner], type));
    if (unit != nullptr)
        unit->LoadGameExtra(stream, world.table);
}

CBuilding* MakeBuilding(int32_t choice, int32_t kind)
{
    CPlayer& owner = g_Players[kOwner];
    if (choice < kBuildingCastCount)
        return CPlayerFactory::BuildingFactory(owner, BuildingCasts[choice], 0, 0, 0);
    if (choice == kBuildingCastCount)
    {
        const int32_t siteKind = kind % kKindsPerChoice;
        return CPlayerFactory::BuildingFactory(owner, CastResource, siteKind % 8, siteKind / 8, 0);
    }
    return CPlayerFactory::BuildingFactory(owner, CastDecoration, 0, 0, kind % kDecorationKinds);
}

void LoadBuildingPart(SWorld& world, int32_t choice, int32_t kind, CFuzzSaveStream& stream)
{
    std::unique_ptr<CBuilding> building(MakeBuilding(choice, kind));
    if (building == nullptr)
        return;
    building->LoadGameExtra(stream, world.table);
    // The table's units belong to the table: a tower must not delete them.
    if (building->GetBuildCast() == CastTower)
        if (auto* tower = dynamic_cast<CBuildingTower*>(building.get()))
        {
            for (CUnit*& archer : tower->archers)
                archer = nullptr;
            tower->archerCount = 0;
        }
    if (building->research != nullptr)
        building->research->researchingBuilding = nullptr;
    building->productionUnit = nullptr;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || size > kLargestInput)
        return 0;
    SWorld& world = PreparedWorld();
    const int32_t choice = data[0] % kChoices;
    const int32_t choiceKind = data[1];
    if (choice < CUnitTypeTable::TypeCount)
    {
        CFuzzSaveStream stream(data + 1, size - 1);
        LoadUnitPart(world, CUnitTypeTable::Row(choice).cast, stream);
    }
    else
    {
        CFuzzSaveStream stream(data + 2, size - 2);
        LoadBuildingPart(world, choice - CUnitTypeTable::TypeCount, choiceKind, stream);
    }
    return 0;
}
