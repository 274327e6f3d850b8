#include "world/C_MapObjectPlan.h"

#include <algorithm>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/C_PtrGarbage.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_Player.h"
#include "world/ObjectFieldBounds.h"

namespace
{
constexpr int32_t NeutralOwner = -1;
constexpr const char* BadBuildingLine = "Map file: building record with a bad owner, position or cast skipped";

bool IsLandObject(int32_t cast)
{
    return cast == CastResource || cast == CastDecoration;
}
} // namespace

CMapObjectPlan::CMapObjectPlan(int32_t width, int32_t height, CPlayer* players, int32_t neutralMaker)
    : m_Width(width)
    , m_Height(height)
    , m_Players(players)
    , m_NeutralMaker(neutralMaker)
    , m_Grid(size_t(width) * size_t(height), EHolder::Nobody)
{
}

bool CMapObjectPlan::Decide(const std::vector<SMapBuildingRecord>& buildings, const std::vector<SMapUnitRecord>& units)
{
    m_Buildings.assign(buildings.size(), SVerdict());
    m_Units.assign(units.size(), SVerdict());
    if (m_Players == nullptr)
        return true;
    for (const bool land : {true, false})
        for (size_t i = 0; i < buildings.size(); ++i)
            if ((buildings[i].owner == NeutralOwner) == land && !LayBuilding(buildings[i], m_Buildings[i]))
                return false;
    for (size_t i = 0; i < units.size(); ++i)
        LayUnit(units[i], m_Units[i]);
    return true;
}

bool CMapObjectPlan::LayBuilding(const SMapBuildingRecord& record, SVerdict& verdict)
{
    const bool neutral = record.owner == NeutralOwner;
    if (record.owner < NeutralOwner || record.owner >= MaxPlayers || !IsOnGrid(record.x, record.y) ||
        record.cast < 0 || record.cast >= BuildCastCount)
    {
        verdict.skipLine = BadBuildingLine;
        return true;
    }
    // The format passes over any other building of nobody's.
    if (neutral != IsLandObject(record.cast))
    {
        if (!neutral)
            verdict.skipLine = "Map file: owned resource site or decoration skipped";
        return true;
    }
    const SFootprint footprint = FootprintOf(record);
    verdict.stands = true;
    if (!footprint.known)
        return true;   // the maker refuses it in turn, and it takes no blocks
    if (footprint.cells.empty() || int64_t(record.x) + footprint.width > m_Width ||
        int64_t(record.y) + footprint.depth > m_Height)
    {
        verdict = {false, BadBuildingLine};
        return true;
    }
    bool taken = false;
    for (int32_t i = 0; i < footprint.width; ++i)
        for (int32_t j = 0; j < footprint.depth; ++j)
            taken = taken || (footprint.cells[size_t(i * footprint.depth + j)] &&
                              HolderAt(record.x + i, record.y + j) != EHolder::Nobody);
    if (taken)
    {
        if (neutral)
            return false;
        verdict = {false, "Map file: building of player " + std::to_string(record.owner) + " (cast " +
                              std::to_string(record.cast) + ") at " + std::to_string(record.x) + "," +
                              std::to_string(record.y) + " over another object skipped"};
        return true;
    }
    for (int32_t i = 0; i < footprint.width; ++i)
        for (int32_t j = 0; j < footprint.depth; ++j)
            if (footprint.cells[size_t(i * footprint.depth + j)])
                HolderAt(record.x + i, record.y + j) = EHolder::Building;
    return true;
}

// The blocks the record's object takes, told by a probe of it that its
// maker builds and nothing else knows.
CMapObjectPlan::SFootprint CMapObjectPlan::FootprintOf(const SMapBuildingRecord& record) const
{
    const bool site = record.cast == CastResource;
    CPlayer& maker = m_Players[record.owner == NeutralOwner ? m_NeutralMaker : record.owner];
    CBuilding* probe = maker.BuildingFactory(record.cast, site ? record.resourceKind : 0, site ? record.treeCast : 0,
                                             record.cast == CastDecoration ? record.decorationKind : 0);
    SFootprint footprint;
    if (probe == nullptr)
        return footprint;
    footprint.known = true;
    footprint.width = probe->GetWidth();
    footprint.depth = probe->GetDepth();
    if (footprint.width >= 1 && footprint.depth >= 1 && footprint.width <= m_Width && footprint.depth <= m_Height)
        for (int32_t i = 0; i < footprint.width; ++i)
            for (int32_t j = 0; j < footprint.depth; ++j)
                footprint.cells.push_back(probe->IsFootprintCell(i, j));
    g_PtrGarbage.AddBuilding(probe);
    return footprint;
}

void CMapObjectPlan::LayUnit(const SMapUnitRecord& record, SVerdict& verdict)
{
    if (record.owner == NeutralOwner)
        return;   // the format makes no unit of nobody's
    const SUnitTypeRow* row = CUnitTypeTable::Find(record.type);
    const int32_t side = row != nullptr ? row->size : 1;
    if (record.owner < 0 || record.owner >= MaxPlayers || record.type < 0 || record.type >= UnitTypeCount ||
        !IsUnitFootprintOnMap(record.x, record.y, side, m_Width, m_Height))
    {
        verdict.skipLine = "Map file: unit record with a bad owner, position or type skipped";
        return;
    }
    EHolder held = EHolder::Nobody;
    for (int32_t i = 0; i < side; ++i)
        for (int32_t j = 0; j < side; ++j)
            held = std::max(held, HolderAt(record.x + i, record.y + j));
    if (held == EHolder::Building)
        verdict.skipLine = "Map file: unit on a building's block skipped";
    else if (held == EHolder::Unit)
        verdict.skipLine = "Map file: unit on an occupied block skipped";
    verdict.stands = held == EHolder::Nobody;
    // A type the factory does not make is refused when it is made, and
    // takes no blocks.
    if (!verdict.stands || row == nullptr)
        return;
    for (int32_t i = 0; i < side; ++i)
        for (int32_t j = 0; j < side; ++j)
            HolderAt(record.x + i, record.y + j) = EHolder::Unit;
}
