// Putting a building on the map, finishing it, and taking it off again.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingTower.h"
#include "core/C_Config.h"
#include "core/C_LogFile.h"
#include "core/C_PtrGarbage.h"
#include "editor/C_EditorPanel.h"
#include "effects/C_Particles.h"
#include "game/C_Selection.h"
#include "units/C_Unit.h"
#include "units/C_Unit_TowerArcher.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_Technology.h"

namespace
{
constexpr uint8_t FullyExplored = 255;
constexpr int32_t MaxCornerSpread = 48;
constexpr int32_t DefaultSightRadius = 5;
constexpr int32_t FogRefreshMargin = 6;
constexpr int32_t CornerRefreshMargin = 1;

bool IsPlayerIndex(int32_t index)
{
    return g_Players != nullptr && index >= 0 && index < MaxPlayers;
}

bool IsLocalOwnerUnderFog(int32_t owner)
{
    return g_Config.fogOfWar && owner == g_LocalPlayer;
}

// Each block the building takes: a decoration those of its mask, any other
// building its whole footprint.
template <typename Visit>
void ForEachClaimedBlock(const CBuilding& building, Visit visit)
{
    const bool decoration = building.GetBuildCast() == CastDecoration;
    for (int32_t i = 0; i < building.GetWidth(); ++i)
        for (int32_t j = 0; j < building.GetDepth(); ++j)
            if (!decoration || building.IsFootprintMaskSet(i, j))
                visit(g_GameMap.Block(building.x + i, building.y + j), building.x + i, building.y + j);
}
}  // namespace

bool CBuilding::PlaceOnMap()
{
    if (placed || takenDown)
        return false;
    if (!IsFootprintInsideMap())
    {
        g_Log.Write("#DEBUG: Building footprint outside the map");
        return false;
    }
    ClaimBlocks();
    g_GameMap.AddMapObject(this);
    StoreCorners();
    LevelTerrain();
    AddConstructionMark(+1);
    if (IsPlayerIndex(owner))
        g_Players[owner].RevealArea(x, y, x + GetWidth() - 1, y + GetDepth() - 1, FullyExplored);
    g_GameMap.PlaceBuildingFootprint(*this, x, y, 0, 1);
    JoinNeighbours();
    placed = 1;
    if (IsPlayerIndex(owner) && !countedAsPlaced && !IsFinished())
    {
        g_Players[owner].OnBuildingPlaced(this);
        countedAsPlaced = 1;
    }
    // A finished building shown again sees again what hiding took away.
    if (countedAsFinished && GivesSight() && !sightGiven)
        AddOwnerSight(+1);
    OnPlaced();
    return true;
}

// Whatever building stood on the blocks taken is ended, a decoration's
// too, so that no building is left holding half its blocks.  A building is
// destroyed (ruin, notices, the network told) and clears the particles
// standing on its blocks; a decoration only takes the other down.  Every
// block is taken before the first building in the way ends, so that nothing
// an ending building lets out (a sheltered king) is put down inside this
// footprint.
void CBuilding::ClaimBlocks()
{
    const bool decoration = GetBuildCast() == CastDecoration;
    std::vector<CBuilding*> inTheWay;
    ForEachClaimedBlock(*this, [&](SMapBlock& block, int32_t, int32_t) {
        CBuilding* previous = block.building;
        if (previous != nullptr && previous != this &&
            std::find(inTheWay.begin(), inTheWay.end(), previous) == inTheWay.end())
            inTheWay.push_back(previous);
        block.building = this;
        block.blocked = 1;
    });
    for (CBuilding* previous : inTheWay)
        if (decoration)
            previous->TakeDown(true);
        else
            previous->Destroy(true);
    ForEachClaimedBlock(*this, [&](SMapBlock& block, int32_t blockX, int32_t blockY) {
        block.decorationModel = NoDecoration;
        if (!decoration)
            g_Particles.RemoveAt(blockX, blockY);
    });
}

void CBuilding::StoreCorners()
{
    for (int32_t i = 0; i <= GetWidth(); ++i)
        for (int32_t j = 0; j <= GetDepth(); ++j)
        {
            savedCornerTextures[i][j] = CEditorPanel::GetCornerTexture(x + i, y + j);
            savedCornerHeights[i][j] = g_GameMap.CornerHeight(x + i, y + j);
            if (IsSolidCell(i, j))
                CEditorPanel::ResetCornerTexture(x + i, y + j);
        }
}

void CBuilding::LevelTerrain()
{
    const bool single = GetWidth() == 1 && GetDepth() == 1;
    if (GetBuildCast() == CastDecoration)
        CEditorPanel::LevelUnderDecorBuilding(*this);
    else if (!single && GetBuildCast() != CastDocks)
        CEditorPanel::LevelTerrainRect(x, y, GetWidth(), GetDepth());
}

void CBuilding::RemoveFromMap()
{
    g_GameMap.RemoveMapObject(this);
    ReleaseBlocks();
    if (!placed)
        return;
    if (GetBuildCast() == CastResource && GetResourceKind() == ResourceKindTree)
        g_Log.Write("#DEBUG: RemoveFromMap->Resource");
    RestoreCorners();
    g_GameMap.PlaceBuildingFootprint(*this, x, y, 0, -1);
    if (sightGiven)
        AddOwnerSight(-1);
    if (IsLocalOwnerUnderFog(owner))
        RefreshAround(FogRefreshMargin);
    AddConstructionMark(-1);
    placed = 0;
}

// Only blocks that still hold this building are freed: another building
// may have taken them since.
void CBuilding::ReleaseBlocks()
{
    if (!IsFootprintInsideMap())
        return;
    for (int32_t i = 0; i < GetWidth(); ++i)
        for (int32_t j = 0; j < GetDepth(); ++j)
        {
            SMapBlock& block = g_GameMap.Block(x + i, y + j);
            if (block.building != this)
                continue;
            block.building = nullptr;
            block.blocked = 0;
        }
}

void CBuilding::SetBlockBlocked(int32_t blockX, int32_t blockY, uint8_t blocked)
{
    if (!g_GameMap.IsOnMap(blockX, blockY))
        return;
    SMapBlock& block = g_GameMap.Block(blockX, blockY);
    if (block.building == this)
        block.blocked = blocked;
}

void CBuilding::RestoreCorners()
{
    const bool keepHeights = (GetWidth() == 1 && GetDepth() == 1) || GetBuildCast() == CastDocks;
    for (int32_t i = 0; i <= GetWidth(); ++i)
        for (int32_t j = 0; j <= GetDepth(); ++j)
        {
            CEditorPanel::SetCornerTexture(x + i, y + j, savedCornerTextures[i][j]);
            if (!keepHeights)
                g_GameMap.CornerHeight(x + i, y + j) = savedCornerHeights[i][j];
        }
    RefreshAround(CornerRefreshMargin);
}

void CBuilding::RefreshAround(int32_t margin) const
{
    g_GameMap.UpdateArea(x - margin, y - margin, GetWidth() + 2 * margin, GetDepth() + 2 * margin);
}

void CBuilding::AddOwnerSight(int8_t delta)
{
    if (!IsPlayerIndex(owner))
        return;
    g_Players[owner].AddBuildingSight(x, y, x + GetWidth() - 1, y + GetDepth() - 1, delta);
    sightGiven = delta > 0 ? 1 : 0;
}

void CBuilding::BuildingFinished()
{
    if (countedAsFinished || takenDown)
        return;
    if (IsPlayerIndex(owner))
    {
        g_Players[owner].OnBuildingFinished(this);
        countedAsFinished = 1;
        countedAsPlaced = 0;
    }
    // Damage taken while under construction burns from now on.
    UpdateFireEmitters();
    if (IsPlayerIndex(owner) && GivesSight() && placed && !sightGiven)
        AddOwnerSight(+1);
    AddConstructionMark(-1);
    if (IsLocalOwnerUnderFog(owner))
    {
        const int32_t radius = FinishedSightRadius();
        RefreshAround(radius + 1);
    }
}

int32_t CBuilding::FinishedSightRadius() const
{
    if (GetBuildCast() != CastTower)
        return DefaultSightRadius;
    const CBuildingTower& tower = static_cast<const CBuildingTower&>(*this);
    if (tower.archerCount > 0 && tower.archers[0] != nullptr)
        return tower.archers[0]->GetSightRadius();
    DEBUG_REPORT("#DEBUG: The tower doesn't contain any archers. InitTower() should be called before "
                 "BuildingFinished()");
    CUnitTowerArcher probe;
    probe.player = owner;
    return probe.GetSightRadius();
}

bool CBuilding::TakeDown(bool tellScript)
{
    if (!LeaveWorld(tellScript))
        return false;
    g_PtrGarbage.AddBuilding(this);
    return true;
}

bool CBuilding::TakeDownDismantled()
{
    if (!LeaveWorld(true))
        return false;
    TellComputerPlayersGone();
    // What it holds leaves as from a fall: a keep lets its king out.
    OnDestroyed();
    g_PtrGarbage.AddBuilding(this);
    return true;
}

bool CBuilding::LeaveWorld(bool tellScript)
{
    if (takenDown)
        return false;
    takenDown = 1;
    RemoveFromMap();
    DropReferences();
    if (IsPlayerIndex(owner))
    {
        CPlayer& player = g_Players[owner];
        if (countedAsPlaced || countedAsFinished || player.HasBuilding(this))
            player.RemoveBuilding(this, tellScript ? 1 : 0);
    }
    countedAsPlaced = 0;
    countedAsFinished = 0;
    // A unit half trained here no longer waits for room in the population.
    ReturnProductionCount();
    ReleaseProductionUnit(true);
    queueCount = 0;
    productionState = 0;
    RemoveFirePit();
    fireAmount = 0;
    return true;
}

// Units, the selection and a research in progress stop pointing here.
void CBuilding::DropReferences()
{
    if (g_Players != nullptr)
        for (int32_t p = 0; p < MaxPlayers; ++p)
            for (int32_t i = 0; i < g_Players[p].unitCount; ++i)
                g_Players[p].units[i]->onBuildingRemoved(this);
    g_Selection.ForgetObject(this);
    if (research != nullptr && research->researchingBuilding == this)
        research->researchingBuilding = nullptr;
    research = nullptr;
}

bool CBuilding::IsExitUsable(int32_t cellX, int32_t cellY, int32_t n, int32_t terrainClass) const
{
    return g_GameMap.IsAreaFree(cellX, cellY, n, terrainClass) && int64_t(cellX) + n <= g_GameMap.GetWidth() &&
           int64_t(cellY) + n <= g_GameMap.GetHeight();
}

bool CBuilding::FindExitCell(int32_t n, int32_t terrainClass, int32_t point[2]) const
{
    if (!(point[0] == -1 && point[1] == -1) && IsExitUsable(point[0], point[1], n, terrainClass))
        return true;
    return FindCellOnRing(n, terrainClass, 0, point);
}

bool CBuilding::FindFreeCellFurtherOut(int32_t n, int32_t terrainClass, int32_t point[2]) const
{
    // Far enough out, a ring lies around the whole map.
    const int32_t lastGap = std::max(g_GameMap.GetWidth(), g_GameMap.GetHeight());
    for (int32_t gap = 1; gap <= lastGap; ++gap)
        if (FindCellOnRing(n, terrainClass, gap, point))
            return true;
    return false;
}

// The corners of n x n areas `gap` blocks clear of the footprint: the row
// below, the right side upwards, the left side upwards, the row above.
bool CBuilding::FindCellOnRing(int32_t n, int32_t terrainClass, int32_t gap, int32_t point[2]) const
{
    const int32_t left = x - n - gap;
    const int32_t right = x + GetWidth() + gap;
    const int32_t top = y - n - gap;
    const int32_t bottom = y + GetDepth() + gap;
    auto tryCell = [&](int32_t cellX, int32_t cellY) {
        point[0] = cellX;
        point[1] = cellY;
        return IsExitUsable(cellX, cellY, n, terrainClass);
    };
    for (int32_t cellX = left; cellX <= right; ++cellX)
        if (tryCell(cellX, bottom))
            return true;
    for (int32_t cellY = bottom; cellY >= top; --cellY)
        if (tryCell(right, cellY))
            return true;
    for (int32_t cellY = bottom; cellY >= top; --cellY)
        if (tryCell(left, cellY))
            return true;
    for (int32_t cellX = x - gap; cellX <= right; ++cellX)
        if (tryCell(cellX, top))
            return true;
    return false;
}

bool CBuilding::CanPlaceAt(int32_t playerIndex, int32_t margin, int32_t checkReserved, int32_t checkExploration) const
{
    if (!IsFootprintInsideMap())
        return false;
    const bool checkSight = checkExploration && playerIndex == g_LocalPlayer && IsPlayerIndex(playerIndex);
    int32_t lowest = g_GameMap.CornerHeight(x, y);
    int32_t highest = lowest;
    for (int32_t i = 0; i < GetWidth(); ++i)
        for (int32_t j = 0; j < GetDepth(); ++j)
        {
            const SMapBlock& block = std::as_const(g_GameMap).Block(x + i, y + j);
            if (block.blocked || block.unit != nullptr || static_cast<int16_t>(block.waterLevel) >= 1)
                return false;
            if (checkReserved && g_GameMap.aiTiltMap[(x + i) * MapBlockSide + y + j] != 0)
                return false;
            if (checkSight && g_Players[playerIndex].GetVisibility(x + i, y + j) == 0)
                return false;
            lowest = std::min(lowest, g_GameMap.CornerHeight(x + i, y + j));
            highest = std::max(highest, g_GameMap.CornerHeight(x + i, y + j));
        }
    if (highest - lowest > MaxCornerSpread)
        return false;
    if (GetWidth() == 1 && GetDepth() == 1)
        return true;
    for (int32_t cx = x - margin; cx <= x + GetWidth() + margin - 1; ++cx)
        for (int32_t cy = y - margin; cy <= y + GetDepth() + margin - 1; ++cy)
        {
            if (!g_GameMap.IsOnMap(cx, cy))
                continue;
            const SMapBlock& block = std::as_const(g_GameMap).Block(cx, cy);
            const bool large = block.building == nullptr || block.building->GetWidth() > 1 ||
                               block.building->GetDepth() > 1;
            if (block.blocked && large)
                return false;
            if (checkReserved && g_GameMap.aiTiltMap[cx * MapBlockSide + cy] != 0 && large)
                return false;
        }
    return true;
}
