#include "buildings/C_BuildingKeep.h"

#include "units/C_Unit.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t StrongholdTechnology = 8;   // "TC_TRONGHOLD"
constexpr int32_t StrongholdModel = 172;
constexpr int32_t LandTerrain = 1;
constexpr int32_t StrongholdRecord = 36;
}  // namespace

CBuildingKeep::CBuildingKeep(int32_t ownerIndex) : CBuildingOfCast(CastKeep, ownerIndex)
{
    // All keeps of a player turn into strongholds together.
    if (g_Players != nullptr && ownerIndex >= 0 && ownerIndex < MaxPlayers &&
        g_Players[ownerIndex].IsResearched(StrongholdTechnology))
        model = StrongholdModel;
}

bool CBuildingKeep::UngarrisonKing()
{
    CUnit* king = garrisonedUnit;
    if (king == nullptr)
        return true;
    int32_t cell[2] = {-1, -1};
    if (!FindExitCell(king->GetSize(), LandTerrain, cell))
        return false;
    king->x = cell[0];
    king->y = cell[1];
    king->ShowUnit(true);
    garrisonedUnit = nullptr;
    return true;
}

bool CBuildingKeep::IsStronghold() const
{
    return OwnerHasResearched(StrongholdTechnology);
}

int32_t CBuildingKeep::GetTypeRecordIndex() const
{
    return IsStronghold() ? StrongholdRecord : CBuildingOfCast::GetTypeRecordIndex();
}

const SBuildingStageRow& CBuildingKeep::GetStageRow() const
{
    return IsStronghold() ? CBuildingStageTable::Stronghold() : CBuildingOfCast::GetStageRow();
}

const char* CBuildingKeep::GetNameKey() const
{
    return IsStronghold() ? "BD_STRONGHOLD" : CBuildingOfCast::GetNameKey();
}
