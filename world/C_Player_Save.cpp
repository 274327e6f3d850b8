// The player's section of a saved game, all numbers little-endian and
// 32-bit unless a byte: name, identity, starvation, stock and counters, the
// population history, cursors, alliances and control groups, the explored
// map and both sight-count grids column by column, score, the unit and
// building lists as reference ids, the 61 research states, the enabled
// types and casts, then the opponent's and the script's own sections.

#include "world/C_Player.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "core/C_PtrGarbage.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "platform/SysClock.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_ObjectReferences.h"
#include "world/C_ReferenceBase.h"

namespace
{
// The name with its terminating zero: no more than an 8-bit length carries
// anywhere else in the game.
constexpr int32_t MaxNameBytes = 256;
constexpr int32_t NoTeam = -1;
constexpr int32_t LastPlayerIndex = MaxPlayers - 1;
// Generous for the longest game: the history grows by 512 samples at a time.
constexpr int32_t MaxPopulationHistory = 1 << 20;
constexpr int32_t MaxSightSide = MapBlockSide;
constexpr int32_t ExploredStride = MapCornerSide;
constexpr int32_t SightStride = MapBlockSide;
constexpr int32_t ExploredCells = MapCornerSide * MapCornerSide;
constexpr int32_t NoLimit = INT32_MAX;

// The section up to the research states' end, read and checked before the
// player changes.
struct SStagedPlayer
{
    char name[MaxNameBytes] = {};
    int32_t index = 0;
    int32_t team = 0;
    int32_t type = 0;
    int32_t colourScheme = 0;
    int32_t starvationRelative = 0;
    uint8_t starvationEnabled = 0;
    int32_t populationMaximum = 0;
    int32_t wood = 0;
    int32_t stone = 0;
    int32_t gold = 0;
    int32_t groupCounts[UnitGroupCount] = {};
    int32_t queuedUnits = 0;
    int32_t queuedUnitsByType[UnitTypeCount] = {};
    int32_t finishedBuildings[BuildCastCount] = {};
    int32_t buildingsUnderConstruction[BuildCastCount] = {};
    int32_t unitsByType[UnitTypeCount] = {};
    int32_t statistics[STAT_COUNT] = {};
    int32_t unitsAdded = 0;
    int32_t buildingsAdded = 0;
    int32_t populationHistoryCount = 0;
    int32_t populationHistoryCapacity = 0;
    std::vector<SPopulationSample> populationHistory;
    int32_t unitCursors[2] = {};
    uint8_t allied[MaxPlayers] = {};
    int32_t controlGroupCounts[ControlGroupCount] = {};
    int32_t mapWidth = 0;
    int32_t mapHeight = 0;
    uint8_t exploredMap[ExploredCells] = {};
    uint8_t unitSightCounts[MapBlockCount] = {};
    uint8_t buildingSightCounts[MapBlockCount] = {};
    int32_t score = 0;
    int32_t refundCorrection = 0;
    std::vector<CUnit*> units;
    std::vector<CBuilding*> buildings;
    CTechnology technologies[TechnologyCount];
    uint8_t enabledUnitTypes[UnitTypeCount] = {};
    uint8_t enabledBuildingCasts[BuildCastCount] = {};
};

// The fields below are listed once for both directions: `Fields` is a
// CSaveWriter over a const player or a CSaveReader over the staged record.
template <typename Fields, typename T, size_t N>
void EachI32(Fields& fields, T (&values)[N])
{
    for (T& value : values)
        fields.I32(value);
}

template <typename Record, typename Fields>
void IdentityFields(Record& record, Fields& fields)
{
    fields.I32(record.index);
    fields.I32(record.team);
    fields.I32(record.type);
    fields.I32(record.colourScheme);
}

// From the starvation flag to the units and buildings added.
template <typename Record, typename Fields>
void CounterFields(Record& record, Fields& fields)
{
    fields.Bytes(&record.starvationEnabled, 1);
    fields.I32(record.populationMaximum);
    fields.I32(record.wood);
    fields.I32(record.stone);
    fields.I32(record.gold);
    EachI32(fields, record.groupCounts);
    fields.I32(record.queuedUnits);
    EachI32(fields, record.queuedUnitsByType);
    EachI32(fields, record.finishedBuildings);
    EachI32(fields, record.buildingsUnderConstruction);
    EachI32(fields, record.unitsByType);
    EachI32(fields, record.statistics);
    fields.I32(record.unitsAdded);
    fields.I32(record.buildingsAdded);
}

template <typename Record, typename Fields>
void CursorFields(Record& record, Fields& fields)
{
    EachI32(fields, record.unitCursors);
    fields.Bytes(record.allied, MaxPlayers);
    EachI32(fields, record.controlGroupCounts);
}

template <typename Record, typename Fields>
void SightFields(Record& record, Fields& fields, int32_t width, int32_t height)
{
    for (int32_t x = 0; x <= width; ++x)
    {
        fields.Bytes(&record.exploredMap[x * ExploredStride], height + 1);
        if (x < width)
        {
            fields.Bytes(&record.unitSightCounts[x * SightStride], height);
            fields.Bytes(&record.buildingSightCounts[x * SightStride], height);
        }
    }
}

template <size_t N>
bool AllInRange(const int32_t (&values)[N], int32_t lowest, int32_t highest)
{
    return std::all_of(std::begin(values), std::end(values),
                       [=](int32_t value) { return CSaveReader::InRange(value, lowest, highest); });
}

bool CountersAreNonNegative(const SStagedPlayer& staged)
{
    return AllInRange(staged.groupCounts, 0, NoLimit) && staged.queuedUnits >= 0 &&
           AllInRange(staged.queuedUnitsByType, 0, NoLimit) && AllInRange(staged.finishedBuildings, 0, NoLimit) &&
           AllInRange(staged.buildingsUnderConstruction, 0, NoLimit) &&
           AllInRange(staged.unitsByType, 0, NoLimit) && AllInRange(staged.statistics, 0, NoLimit) &&
           staged.unitsAdded >= 0 && staged.buildingsAdded >= 0 && AllInRange(staged.controlGroupCounts, 0, NoLimit);
}

bool ReadName(CSaveReader& in, SStagedPlayer& staged)
{
    int32_t nameBytes = 0;
    in.Count(nameBytes, 1, MaxNameBytes, "the name length is out of range");
    if (in.Failed())
        return false;
    in.Bytes(staged.name, nameBytes);
    if (!in.Failed() && staged.name[nameBytes - 1] != 0)
        return in.Refuse("the name has no terminating zero");
    return !in.Failed();
}

bool ReadIdentity(CSaveReader& in, SStagedPlayer& staged, int32_t ownIndex)
{
    IdentityFields(staged, in);
    if (in.Failed())
        return false;
    if (!CSaveReader::InRange(staged.index, 0, LastPlayerIndex) || (ownIndex >= 0 && staged.index != ownIndex))
        return in.Refuse("the player index does not fit this player");
    if (!CSaveReader::InRange(staged.team, NoTeam, LastPlayerIndex))
        return in.Refuse("the team is out of range");
    if (!CSaveReader::InRange(staged.type, PLAYER_NONE, PLAYER_DEFEATED))
        return in.Refuse("the player type is out of range");
    if (!CSaveReader::InRange(staged.colourScheme, 0, LastPlayerIndex))
        return in.Refuse("the colour scheme is out of range");
    return true;
}

bool ReadCounters(CSaveReader& in, SStagedPlayer& staged)
{
    staged.starvationRelative = in.I32();
    CounterFields(staged, in);
    if (in.Failed())
        return false;
    if (!CountersAreNonNegative(staged))
        return in.Refuse("a count is negative");
    return true;
}

bool ReadPopulationHistory(CSaveReader& in, SStagedPlayer& staged)
{
    in.Count(staged.populationHistoryCount, 0, MaxPopulationHistory, "the population history count is out of range");
    in.Count(staged.populationHistoryCapacity, 0, MaxPopulationHistory,
             "the population history capacity is out of range");
    if (in.Failed())
        return false;
    if (staged.populationHistoryCount > staged.populationHistoryCapacity)
        return in.Refuse("the population history holds more samples than it has room for");
    staged.populationHistory.resize(size_t(staged.populationHistoryCapacity));
    for (SPopulationSample& sample : staged.populationHistory)
        EachI32(in, sample.values);
    return !in.Failed();
}

bool ReadCursorsAndSight(CSaveReader& in, SStagedPlayer& staged)
{
    CursorFields(staged, in);
    if (in.Failed())
        return false;
    if (!AllInRange(staged.unitCursors, 0, MaxPlayerUnits))
        return in.Refuse("a unit cursor is out of range");
    // The map's own section comes later in the file: the stored size only
    // has to fit the grids.
    in.Count(staged.mapWidth, 1, MaxSightSide, "the map width is out of range");
    in.Count(staged.mapHeight, 1, MaxSightSide, "the map height is out of range");
    if (in.Failed())
        return false;
    SightFields(staged, in, staged.mapWidth, staged.mapHeight);
    in.I32(staged.score);
    in.I32(staged.refundCorrection);
    return !in.Failed();
}

// A list entry is kept when it resolved to an object of this player that
// the list does not hold yet; any other is dropped by moving the last entry
// into its place.
template <typename T, typename IsOwn>
void DropInvalidEntries(std::vector<T*>& list, IsOwn isOwn, const char* message)
{
    for (size_t i = 0; i < list.size();)
    {
        T* object = list[i];
        const bool repeated = std::find(list.begin(), list.begin() + std::ptrdiff_t(i), object) !=
                              list.begin() + std::ptrdiff_t(i);
        if (object != nullptr && isOwn(*object) && !repeated)
        {
            ++i;
            continue;
        }
        DEBUG_REPORT(message);
        list[i] = list.back();
        list.pop_back();
    }
}

bool ReadLists(CSaveReader& in, const CObjectReferences& references, SStagedPlayer& staged)
{
    int32_t unitCount = 0;
    in.Count(unitCount, 0, MaxPlayerUnits, "the unit count is out of range");
    for (int32_t i = 0; i < unitCount && !in.Failed(); ++i)
    {
        const int32_t id = in.I32();
        if (!in.Failed())
            staged.units.push_back(references.GetUnit(id));
    }
    int32_t buildingCount = 0;
    in.Count(buildingCount, 0, MaxPlayerBuildings, "the building count is out of range");
    for (int32_t i = 0; i < buildingCount && !in.Failed(); ++i)
    {
        const int32_t id = in.I32();
        if (!in.Failed())
            staged.buildings.push_back(references.GetBuilding(id));
    }
    if (in.Failed())
        return false;
    const int32_t owner = staged.index;
    DropInvalidEntries(
        staged.units, [owner](const CUnit& unit) { return unit.player == owner; },
        "#DEBUG: Invalid unit pointer at loadgame");
    DropInvalidEntries(
        staged.buildings, [owner](const CBuilding& building) { return building.owner == owner; },
        "#DEBUG: Invalid building pointer at loadgame");
    return true;
}

bool ReadResearchAndFlags(CSaveReader& in, CSaveStream& stream, const CObjectReferences& references,
                          SStagedPlayer& staged)
{
    // A state that refuses itself logs why; the refusal here only keeps the
    // section from adding a second line.
    for (CTechnology& technology : staged.technologies)
        if (!technology.LoadGame(stream, references))
            return in.Refuse("a research state is refused");
    in.Bytes(staged.enabledUnitTypes, UnitTypeCount);
    in.Bytes(staged.enabledBuildingCasts, BuildCastCount);
    return !in.Failed();
}

bool ReadSection(CSaveReader& in, CSaveStream& stream, const CObjectReferences& references,
                 SStagedPlayer& staged, int32_t ownIndex)
{
    const bool read = ReadName(in, staged) && ReadIdentity(in, staged, ownIndex) && ReadCounters(in, staged) &&
                      ReadPopulationHistory(in, staged) && ReadCursorsAndSight(in, staged) &&
                      ReadLists(in, references, staged) && ReadResearchAndFlags(in, stream, references, staged);
    if (!read)
        in.ReportCutShort();
    return read;
}

// The tick of the last starvation message travels as its distance from the
// time of saving; 0 stands for none, so a message of this very tick is
// kept as one tick earlier.
int32_t RelativeTime(uint32_t time, uint32_t now)
{
    if (time == 0)
        return 0;
    const int32_t relative = int32_t(time - now);
    return relative == 0 ? -1 : relative;
}

uint32_t AbsoluteTime(int32_t relative, uint32_t now)
{
    if (relative == 0)
        return 0;
    const uint32_t time = now + uint32_t(relative);
    return time == 0 ? uint32_t(0) - 1 : time;
}

// A unit that leaves the list at a load may still stand on the map: its
// blocks let go of it before deferred deletion takes it.
void DiscardUnit(CUnit* unit)
{
    const int32_t size = unit->GetSize();
    for (int32_t dx = 0; dx < size; ++dx)
        for (int32_t dy = 0; dy < size; ++dy)
        {
            const int32_t bx = unit->x + dx;
            const int32_t by = unit->y + dy;
            if (g_GameMap.IsOnMap(bx, by) && std::as_const(g_GameMap).Block(bx, by).unit == unit)
                g_GameMap.Block(bx, by).unit = nullptr;
        }
    unit->listIndex = -1;
    g_PtrGarbage.AddUnit(unit);
}

// The towers hand their archers back tower by tower, in the map's order.
// The list takes again the order it was saved in, which the archers'
// reference ids keep: the loaded game then saves to the same bytes, and
// the archers take their unique ids in that order.
void RestoreSavedOrder(T_Array<CUnit*>& archers, const CObjectReferences& references)
{
    CUnit** first = archers.GetData();
    std::stable_sort(first, first + archers.GetCount(), [&](const CUnit* a, const CUnit* b)
                     { return references.GetUnitRef(a) < references.GetUnitRef(b); });
}
} // namespace

void CPlayer::RegisterReferences(CReferenceBase& references) const
{
    for (int32_t i = 0; i < unitCount; ++i)
        references.AddUnit(units[i]);
    for (int32_t i = 0; i < towerArchers.GetCount(); ++i)
        references.AddUnit(towerArchers[i]);
}

void CPlayer::SaveGame(CSaveStream& stream, const CObjectReferences& references) const
{
    CSaveWriter out(stream);
    // Longer names are cut so that the reader always takes them.
    const int32_t nameLength = std::min(name.GetLength(), MaxNameBytes - 1);
    out.I32(nameLength + 1);
    out.Bytes(name.GetBuffer(), nameLength);
    out.U8(0);
    IdentityFields(*this, out);
    out.I32(RelativeTime(starvationTime, SysClock::TickCount()));
    CounterFields(*this, out);

    out.I32(populationHistoryCount);
    out.I32(populationHistoryCapacity);
    for (int32_t i = 0; i < populationHistoryCapacity; ++i)
        EachI32(out, populationHistory[i].values);

    CursorFields(*this, out);
    const int32_t width = std::clamp(g_GameMap.width, 0, MaxSightSide);
    const int32_t height = std::clamp(g_GameMap.height, 0, MaxSightSide);
    out.I32(width);
    out.I32(height);
    SightFields(*this, out, width, height);
    out.I32(score);
    out.I32(refundCorrection);

    out.I32(unitCount);
    for (int32_t i = 0; i < unitCount; ++i)
        out.I32(references.GetUnitRef(units[i]));
    out.I32(buildingCount);
    for (int32_t i = 0; i < buildingCount; ++i)
        out.I32(references.GetBuildingRef(buildings[i]));

    for (const CTechnology& technology : technologies)
        technology.SaveGame(stream, references);
    out.Bytes(enabledUnitTypes, UnitTypeCount);
    out.Bytes(enabledBuildingCasts, BuildCastCount);

    if (type == PLAYER_COMPUTER)
        computerAI.SaveGame(stream);
    script.SaveGame(stream);
}

bool CPlayer::LoadGame(CSaveStream& stream, const CObjectReferences& references)
{
    CSaveReader in(stream, "Player section refused: ");
    auto staged = std::make_unique<SStagedPlayer>();
    std::copy(std::begin(technologies), std::end(technologies), std::begin(staged->technologies));
    if (!ReadSection(in, stream, references, *staged, index))
        return false;
    const SStagedPlayer& from = *staged;

    delete[] populationHistory;
    populationHistory = nullptr;
    std::memset(alertGrid, 0, sizeof(alertGrid));
    for (int32_t i = 0; i < unitCount; ++i)
        DiscardUnit(units[i]);
    unitCount = 0;

    name = from.name;
    index = from.index;
    team = from.team;
    type = from.type;
    colourScheme = from.colourScheme;
    starvationTime = AbsoluteTime(from.starvationRelative, SysClock::TickCount());
    starvationEnabled = from.starvationEnabled;
    populationMaximum = from.populationMaximum;
    wood = from.wood;
    stone = from.stone;
    gold = from.gold;
    std::copy(std::begin(from.groupCounts), std::end(from.groupCounts), groupCounts);
    queuedUnits = from.queuedUnits;
    std::copy(std::begin(from.queuedUnitsByType), std::end(from.queuedUnitsByType), queuedUnitsByType);
    std::copy(std::begin(from.finishedBuildings), std::end(from.finishedBuildings), finishedBuildings);
    std::copy(std::begin(from.buildingsUnderConstruction), std::end(from.buildingsUnderConstruction),
              buildingsUnderConstruction);
    std::copy(std::begin(from.unitsByType), std::end(from.unitsByType), unitsByType);
    std::copy(std::begin(from.statistics), std::end(from.statistics), statistics);
    unitsAdded = from.unitsAdded;
    buildingsAdded = from.buildingsAdded;

    populationHistoryCapacity = from.populationHistoryCapacity;
    populationHistoryCount = from.populationHistoryCount;
    if (populationHistoryCapacity > 0)
    {
        populationHistory = new SPopulationSample[size_t(populationHistoryCapacity)];
        std::copy(from.populationHistory.begin(), from.populationHistory.end(), populationHistory);
    }

    std::copy(std::begin(from.unitCursors), std::end(from.unitCursors), unitCursors);
    std::copy(std::begin(from.allied), std::end(from.allied), allied);
    std::copy(std::begin(from.controlGroupCounts), std::end(from.controlGroupCounts), controlGroupCounts);
    std::memcpy(exploredMap, from.exploredMap, sizeof(exploredMap));
    std::memcpy(unitSightCounts, from.unitSightCounts, sizeof(unitSightCounts));
    std::memcpy(buildingSightCounts, from.buildingSightCounts, sizeof(buildingSightCounts));
    score = from.score;
    refundCorrection = from.refundCorrection;

    if (units == nullptr)
        units = new CUnit*[MaxPlayerUnits]();
    if (buildings == nullptr)
        buildings = new CBuilding*[MaxPlayerBuildings]();
    unitCount = int32_t(from.units.size());
    std::copy(from.units.begin(), from.units.end(), units);
    buildingCount = int32_t(from.buildings.size());
    std::copy(from.buildings.begin(), from.buildings.end(), buildings);
    // Unique ids are not part of the units' records: each unit of the player
    // gets a fresh one, so that no two of them share one (the right of way
    // between units of one player compares them).
    nextUniqueId = -1;
    for (int32_t i = 0; i < unitCount; ++i)
    {
        units[i]->listIndex = i;
        units[i]->uniqueId = NextUnitId(0);
    }
    RestoreSavedOrder(towerArchers, references);
    for (int32_t i = 0; i < towerArchers.GetCount(); ++i)
        towerArchers[i]->uniqueId = NextUnitId(0);

    std::copy(std::begin(from.technologies), std::end(from.technologies), technologies);
    std::copy(std::begin(from.enabledUnitTypes), std::end(from.enabledUnitTypes), enabledUnitTypes);
    std::copy(std::begin(from.enabledBuildingCasts), std::end(from.enabledBuildingCasts), enabledBuildingCasts);
    staged.reset();

    if (type == PLAYER_COMPUTER)
    {
        ResetComputerAI(nullptr);
        computerAI.LoadGame(stream);
    }
    script.LoadGame(stream);
    return !stream.HasError();
}
