#include "game/C_Selection.h"

#include <unordered_map>
#include <vector>

#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "units/C_Unit.h"
#include "world/C_ObjectReferences.h"
#include "world/C_Player.h"

namespace
{
constexpr const char* kRefusal = "Selection section of the saved game rejected: ";
constexpr int32_t kMostGroupUnits = MaxPlayers * MaxPlayerUnits;

// Every listed unit that carries the group's number, in player and list
// order.
std::vector<CUnit*> GroupMembers(int32_t group)
{
    std::vector<CUnit*> members;
    if (g_Players == nullptr)
        return members;
    for (int32_t p = 0; p < MaxPlayers; ++p)
        for (int32_t i = 0; i < g_Players[p].unitCount; ++i)
            if (g_Players[p].units[i]->controlGroup == group)
                members.push_back(g_Players[p].units[i]);
    return members;
}

// The group number of every unit the section names; a unit named twice is
// refused.
bool ReadGroups(CSaveReader& in, const CObjectReferences& references, std::unordered_map<CUnit*, int32_t>& groups)
{
    for (int32_t group = 1; group <= ControlGroupCount; ++group)
    {
        const int32_t count = in.I32();
        if (in.Failed())
            return false;
        if (!CSaveReader::InRange(count, 0, kMostGroupUnits))
            return in.Refuse("bad group size");
        for (int32_t i = 0; i < count; ++i)
        {
            const int32_t id = in.I32();
            if (in.Failed())
                return false;
            CUnit* unit = references.GetUnit(id);
            if (unit == nullptr)
                return in.Refuse("a group's unit is unknown");
            if (!groups.emplace(unit, group).second)
                return in.Refuse("a unit is in two groups");
        }
    }
    return true;
}
}  // namespace

void CSelection::SaveGroups(CSaveStream& stream, const CObjectReferences& references)
{
    CSaveWriter out(stream);
    for (int32_t group = 1; group <= ControlGroupCount; ++group)
    {
        const std::vector<CUnit*> members = GroupMembers(group);
        out.I32(static_cast<int32_t>(members.size()));
        for (CUnit* unit : members)
            out.I32(references.GetUnitRef(unit));
    }
}

void CSelection::SaveGame(CSaveStream& stream, const CObjectReferences& references) const
{
    CSaveWriter out(stream);
    out.I32(unitCount);
    for (int32_t i = 0; i < unitCount; ++i)
        out.I32(references.GetUnitRef(units[i]));
    out.I32(building != nullptr ? references.GetBuildingRef(building) : CObjectReferences::NoObject);
    SaveGroups(stream, references);
}

bool CSelection::LoadGame(CSaveStream& stream, const CObjectReferences& references)
{
    CSaveReader in(stream, kRefusal);
    const int32_t count = in.I32();
    if (in.Failed())
        return false;
    if (!CSaveReader::InRange(count, 0, kMaxUnits))
        return in.Refuse("bad unit count");
    CUnit* staged[kMaxUnits] = {};
    for (int32_t i = 0; i < count; ++i)
    {
        const int32_t id = in.I32();
        if (in.Failed())
            return false;
        staged[i] = references.GetUnit(id);
        if (staged[i] == nullptr)
            return in.Refuse("a selected unit is unknown");
        // Taking a unit out removes its first place only; a second one
        // would outlive the unit.
        for (int32_t j = 0; j < i; ++j)
            if (staged[j] == staged[i])
                return in.Refuse("a unit is selected twice");
    }
    const int32_t buildingId = in.I32();
    if (in.Failed())
        return false;
    CBuilding* selectedBuilding = references.GetBuilding(buildingId);
    if (buildingId != CObjectReferences::NoObject && selectedBuilding == nullptr)
        return in.Refuse("the selected building is unknown");
    std::unordered_map<CUnit*, int32_t> groups;
    if (!ReadGroups(in, references, groups))
        return false;

    Clear();
    for (int32_t i = 0; i < count; ++i)
        units[i] = staged[i];
    unitCount = count;
    building = selectedBuilding;
    unitUnderCursor = nullptr;
    for (const auto& [unit, group] : groups)
        unit->controlGroup = group;
    return true;
}
