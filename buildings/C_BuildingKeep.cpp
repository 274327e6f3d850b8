#include "buildings/C_BuildingKeep.h"

#include "core/C_LogFile.h"
#include "effects/C_Particles.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_King.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t StrongholdTechnology = 8;   // "TC_TRONGHOLD"
constexpr int32_t LandTerrain = 1;
constexpr int32_t StrongholdRecord = 36;
constexpr int32_t KeepIcon = 60;
constexpr int32_t StrongholdIcon = 61;
constexpr int32_t UpgradeSelectSample = 185;
constexpr int32_t SelectSample = 194;
constexpr int32_t GarrisonCheckLine = 406;

// The hearth burns at this point of the footprint, above the ground there.
constexpr float HearthOffsetX = 3.21f;
constexpr float HearthOffsetY = 3.01f;
constexpr float HearthHeight = 6.0f;
constexpr float FramesPerTick = 0.3f;
constexpr int32_t UpgradeDustPuffs = 3;

CUnitKing* AsKing(CUnit* unit)
{
    return unit != nullptr && unit->GetCastID() == UNIT_KING ? static_cast<CUnitKing*>(unit) : nullptr;
}
}  // namespace

CBuildingKeep::CBuildingKeep(int32_t ownerIndex) : CBuildingOfCast(CastKeep, ownerIndex)
{
    // A stronghold placed from a map or a save starts as one.
    if (IsStronghold())
        model = StrongholdModel;
}

CBuildingKeep::~CBuildingKeep()
{
    PutOutHearth();
}

// ---- The king --------------------------------------------------------------------

void CBuildingKeep::Garrison(CUnit* unit)
{
    if (AsKing(unit) == nullptr)
    {
        DEBUG_REPORT_AT("#DEBUG: Only king is allowed", GarrisonCheckLine);
        return;
    }
    garrisonedUnit = unit;
}

bool CBuildingKeep::UngarrisonKing()
{
    CUnit* king = garrisonedUnit;
    if (king == nullptr)
        return true;
    int32_t cell[2] = {-1, -1};
    if (!FindExitCell(king->GetSize(), LandTerrain, cell))
        return false;
    LetKingOutAt(cell);
    return true;
}

void CBuildingKeep::LetKingOutAt(const int32_t cell[2])
{
    CUnit* king = garrisonedUnit;
    king->x = cell[0];
    king->y = cell[1];
    garrisonedUnit = nullptr;
    if (CUnitKing* sheltered = AsKing(king))
        sheltered->LeaveKeep();
    king->ShowUnit(true);
}

void CBuildingKeep::ReleaseKingForGood()
{
    CUnit* king = garrisonedUnit;
    if (king == nullptr || UngarrisonKing())
        return;
    int32_t cell[2] = {-1, -1};
    if (FindRoomFurtherOut(*king, cell))
    {
        LetKingOutAt(cell);
        return;
    }
    // No room anywhere on the map: a standing keep keeps him; he falls
    // with a keep that goes.
    if (!IsTakenDown())
        return;
    garrisonedUnit = nullptr;
    AsKing(king)->LeaveKeep();
    if (IsOwnedHere(king->player))
        king->RemoveFromWorld(true);
}

// Every exit cell is taken.  A keep that has left the map frees its own
// blocks, where the king may stand; otherwise the nearest free block
// further out, never inside another building.
bool CBuildingKeep::FindRoomFurtherOut(const CUnit& king, int32_t cell[2]) const
{
    const int32_t size = king.GetSize();
    const int32_t layer = king.GetMoveLayer();
    for (int32_t i = 0; i + size <= GetWidth(); ++i)
        for (int32_t j = 0; j + size <= GetDepth(); ++j)
            if (g_GameMap.IsAreaFree(x + i, y + j, size, layer))
            {
                cell[0] = x + i;
                cell[1] = y + j;
                return true;
            }
    return FindFreeCellFurtherOut(size, layer, cell);
}

void CBuildingKeep::OnDestroyed()
{
    ReleaseKingForGood();
    PutOutHearth();
}

void CBuildingKeep::OnOwnerChanged(int32_t previousOwner)
{
    (void)previousOwner;
    // The king does not stay with the enemy; a keep won back by his own
    // player shelters him still.
    if (garrisonedUnit != nullptr && garrisonedUnit->player != owner)
        ReleaseKingForGood();
}

void CBuildingKeep::onUnitRemoved(CUnit* unit)
{
    if (unit != nullptr && unit == garrisonedUnit)
        garrisonedUnit = nullptr;
}

// ---- Keep or stronghold -----------------------------------------------------------

bool CBuildingKeep::IsStronghold() const
{
    return OwnerHasResearched(StrongholdTechnology);
}

bool CBuildingKeep::IsUpgrading() const
{
    return g_Players != nullptr && owner >= 0 && owner < MaxPlayers &&
           g_Players[owner].technologies[StrongholdTechnology].researchingBuilding != nullptr;
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

int32_t CBuildingKeep::GetIconIndex() const
{
    return IsStronghold() ? StrongholdIcon : KeepIcon;
}

void CBuildingKeep::GetSelectSound(int32_t* sample, int32_t* variants) const
{
    *sample = IsUpgrading() ? UpgradeSelectSample : SelectSample;
    *variants = 1;
}

// ---- Hearth, upgrade and the simulation step ----------------------------------------

void CBuildingKeep::StartHearthEffect()
{
    if (IsStronghold() || hearthEmitter != -1)
        return;
    const float hearthX = static_cast<float>(x) + HearthOffsetX;
    const float hearthY = static_cast<float>(y) + HearthOffsetY;
    const float ground = g_GameMap.IsOnMap(x, y) ? g_GameMap.GetHeight(hearthX, hearthY) : 0.0f;
    hearthEmitter = g_Particles.AddKind35(hearthX, ground + HearthHeight, hearthY);
}

void CBuildingKeep::PutOutHearth()
{
    if (hearthEmitter != -1)
        g_Particles.FreeParticle(hearthEmitter);
    hearthEmitter = -1;
}

void CBuildingKeep::OnFinished()
{
    CBuildingOfCast::OnFinished();
    StartHearthEffect();
}

bool CBuildingKeep::Animate(float elapsed)
{
    for (int32_t tick = 0; tick < static_cast<int32_t>(elapsed); ++tick)
        animTime += FramesPerTick;
    if (IsUpgrading())
        RaiseUpgradeDust();
    FollowResearch();
    return true;
}

void CBuildingKeep::RaiseUpgradeDust() const
{
    RaiseDust(UpgradeDustPuffs);
}

// Upgrading: the upgrade model, no hearth.  Researched: the stronghold, no
// hearth.  Otherwise (an upgrade that stopped short, or a stronghold
// handed to an owner without the technology) the plain keep with its
// hearth.
void CBuildingKeep::FollowResearch()
{
    if (!IsFinished())
        return;
    if (IsUpgrading())
    {
        PutOutHearth();
        model = UpgradeModel;
        return;
    }
    if (IsStronghold())
    {
        PutOutHearth();
        model = StrongholdModel;
        return;
    }
    if (model != KeepModel)
    {
        model = KeepModel;
        StartHearthEffect();
    }
}
