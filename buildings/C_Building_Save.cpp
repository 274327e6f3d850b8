// A building's base record in a saved game: items in a fixed order and
// width, the production queue as type-record indexes, the held unit as a
// reference id, the research as its technology state's player and
// technology, the fire records, the terrain corners kept from before the
// building stood there; then the type's own part.
//
// Loading reads the whole record into a staging copy and checks it before
// the building takes any of it: a damaged record is refused with a log line
// and the stream's error flag, and the building stays as its factory made it.

#include <algorithm>
#include <memory>
#include <vector>

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_ObjectReferences.h"
#include "world/C_Player.h"
#include "world/C_Technology.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr const char* RefusalPrefix = "Building record refused: ";
constexpr int32_t NoPlace = -1;
constexpr int32_t NeutralOwner = -1;
constexpr int32_t NoResearch = -1;
constexpr int32_t HighestCornerTexture = 255;
constexpr float MaxPercent = 100.0f;

// The record as it lies in the stream.
struct SBuildingRecord
{
    int32_t place[2] = {};
    float health = 0.0f;
    float buildProgress = 0.0f;
    int32_t owner = 0;
    int32_t reservedA = 0;
    uint8_t placed = 0;
    int32_t scriptId = 0;
    uint8_t attackEventArmed = 0;
    int32_t model = 0;
    float animTime = 0.0f;
    int32_t queueCount = 0;
    int32_t queue[CBuilding::QueueCapacity] = {};
    float progress = 0.0f;
    int32_t productionUnit = CObjectReferences::NoObject;
    int32_t productionState = 0;
    int32_t rally[2] = {};
    int32_t pendingCommand = 0;
    int32_t research[2] = {NoResearch, NoResearch};
    int32_t fireCapacity = 0;
    int32_t fireCount = 0;
    int32_t fireLevel = 0;
    std::vector<CFirePosition> fires;
    int32_t cornerTextures[CBuilding::MaxCornerSide][CBuilding::MaxCornerSide] = {};
    int32_t cornerHeights[CBuilding::MaxCornerSide][CBuilding::MaxCornerSide] = {};
    float drawPosition[3] = {};
    int32_t exitRequests = 0;
};

// Items 1 to 25 in their order, for saving (CSaveWriter) and loading
// (CSaveReader) alike.  The fire records are read over as many as the
// factory allocated, and the corners over the type's own footprint.
template <class Io>
void TransferRecord(Io& io, SBuildingRecord& r, int32_t allocatedFires, int32_t width, int32_t depth)
{
    io.I32(r.place[0]);
    io.I32(r.place[1]);
    io.F32(r.health);
    io.F32(r.buildProgress);
    io.I32(r.owner);
    io.I32(r.reservedA);
    io.Flag(r.placed);
    io.I32(r.scriptId);
    io.Flag(r.attackEventArmed);
    io.I32(r.model);
    io.F32(r.animTime);
    io.Count(r.queueCount, 0, CBuilding::QueueCapacity, "the queue count is out of range");
    for (int32_t i = 0; i < r.queueCount; ++i)
        io.I32(r.queue[i]);
    io.F32(r.progress);
    io.I32(r.productionUnit);
    io.I32(r.productionState);
    io.I32(r.rally[0]);
    io.I32(r.rally[1]);
    io.I32(r.pendingCommand);
    io.I32(r.research[0]);
    io.I32(r.research[1]);
    io.Count(r.fireCapacity, allocatedFires, allocatedFires, "the fire capacity differs from the building type's");
    io.Count(r.fireCount, 0, r.fireCapacity, "the fire count is out of range");
    io.I32(r.fireLevel);
    r.fires.resize(size_t(r.fireCapacity));
    for (CFirePosition& fire : r.fires)
    {
        io.F32(fire.threshold);
        for (float& value : fire.offset)
            io.F32(value);
        io.F32(fire.size);
        io.I32(fire.particle);
    }
    for (int32_t i = 0; i <= width; ++i)
    {
        for (int32_t j = 0; j <= depth; ++j)
            io.I32(r.cornerTextures[i][j]);
        for (int32_t j = 0; j <= depth; ++j)
            io.I32(r.cornerHeights[i][j]);
    }
    for (float& value : r.drawPosition)
        io.F32(value);
    io.I32(r.exitRequests);
}

bool IsFootprintSizeSaveable(int32_t width, int32_t depth)
{
    return CSaveReader::InRange(width, 1, CBuilding::MaxFootprintSide) &&
           CSaveReader::InRange(depth, 1, CBuilding::MaxFootprintSide);
}

// A building not placed may still carry the off-map marker; otherwise its
// whole footprint indexes the block grid.
bool IsPlaceAcceptable(const SBuildingRecord& r, int32_t width, int32_t depth)
{
    if (!r.placed && r.place[0] == NoPlace && r.place[1] == NoPlace)
        return true;
    return CSaveReader::InRange(r.place[0], 0, MapBlockSide - width) &&
           CSaveReader::InRange(r.place[1], 0, MapBlockSide - depth);
}

bool IsFinitePercent(float value)
{
    return CSaveReader::InRange(value, 0.0f, MaxPercent);
}

const char* CheckState(const SBuildingRecord& r, int32_t width, int32_t depth)
{
    if (!CSaveReader::InRange(r.owner, NeutralOwner, MaxPlayers - 1))
        return "the owner is out of range";
    if (!IsPlaceAcceptable(r, width, depth))
        return "the footprint lies outside the map";
    if (!IsFinitePercent(r.health) || !IsFinitePercent(r.buildProgress) || !IsFinitePercent(r.progress))
        return "health or progress is not a percent";
    if (!CSaveReader::IsFinite(r.animTime) || !std::all_of(std::begin(r.drawPosition), std::end(r.drawPosition),
                                                          [](float v) { return CSaveReader::IsFinite(v); }))
        return "a number is not finite";
    if (!CSaveReader::InRange(r.productionState, CBuilding::ProductionIdle, CBuilding::ProductionWaitingForHost))
        return "the production state is out of range";
    if (!CSaveReader::InRange(r.rally[0], NoPlace, MapBlockSide - 1) ||
        !CSaveReader::InRange(r.rally[1], NoPlace, MapBlockSide - 1))
        return "the rally point lies outside the map";
    if (r.exitRequests < 0)
        return "the exit request count is negative";
    return nullptr;
}

const char* CheckProduction(const SBuildingRecord& r)
{
    if (r.queueCount > 0 && g_UnitStats == nullptr)
        return "a queue entry has no type records to point at";
    for (int32_t i = 0; i < r.queueCount; ++i)
        if (!CSaveReader::InRange(r.queue[i], 0, TypeRecordCount - 1))
            return "a queue entry's type record is out of range";
    const bool noResearch = r.research[0] == NoResearch && r.research[1] == NoResearch;
    if (noResearch)
        return nullptr;
    if (!CSaveReader::InRange(r.research[0], 0, MaxPlayers - 1) ||
        !CSaveReader::InRange(r.research[1], 0, TechnologyCount - 1))
        return "the research is out of range";
    if (g_Players == nullptr)
        return "the research has no player to belong to";
    // Research raises the owner's technology, no other player's.
    if (r.research[0] != r.owner)
        return "the research is another player's";
    return nullptr;
}

const char* CheckFires(const SBuildingRecord& r)
{
    if (r.fireLevel < 0)
        return "the fire level is negative";
    for (const CFirePosition& fire : r.fires)
    {
        const bool finite = CSaveReader::IsFinite(fire.threshold) && CSaveReader::IsFinite(fire.size) &&
                            std::all_of(std::begin(fire.offset), std::end(fire.offset),
                                        [](float v) { return CSaveReader::IsFinite(v); });
        if (!finite)
            return "a fire record is not finite";
        // A handle, not a place in the pool: the particles number their
        // fires on for the whole session.  Whether it names a fire of the
        // saved particles is known once the whole game is read.
        if (fire.particle < CBuilding::NoParticle)
            return "a fire's particle is out of range";
    }
    return nullptr;
}

const char* CheckCorners(const SBuildingRecord& r, int32_t width, int32_t depth)
{
    for (int32_t i = 0; i <= width; ++i)
        for (int32_t j = 0; j <= depth; ++j)
            if (!CSaveReader::InRange(r.cornerTextures[i][j], 0, HighestCornerTexture))
                return "a corner texture is out of range";
    return nullptr;
}

const char* CheckRecord(const SBuildingRecord& r, int32_t width, int32_t depth)
{
    if (const char* reason = CheckState(r, width, depth))
        return reason;
    if (const char* reason = CheckProduction(r))
        return reason;
    if (const char* reason = CheckFires(r))
        return reason;
    return CheckCorners(r, width, depth);
}

bool IsPlayerIndex(int32_t index)
{
    return index >= 0 && index < MaxPlayers;
}
}  // namespace

bool CBuilding::SaveGame(CSaveStream& stream, const CObjectReferences& references) const
{
    const int32_t width = GetWidth();
    const int32_t depth = GetDepth();
    const bool queueWhole =
        std::all_of(queue, queue + std::clamp(queueCount, 0, QueueCapacity), [](const CUnitStats* s) { return s; });
    if (!IsFootprintSizeSaveable(width, depth) || !queueWhole || fireCount > fireCapacity)
    {
        // A record that could not be read back must not be written.
        g_Log.Write("Save game failed: a building's record cannot be written whole");
        stream.SetError();
        return false;
    }
    auto staged = std::make_unique<SBuildingRecord>();
    SBuildingRecord& r = *staged;
    r.place[0] = x;
    r.place[1] = y;
    r.health = health;
    r.buildProgress = buildProgress;
    r.owner = owner;
    r.reservedA = controlGroup;
    r.placed = placed;
    r.scriptId = scriptTag;
    r.attackEventArmed = attackEventArmed;
    r.model = model;
    r.animTime = animTime;
    r.queueCount = std::clamp(queueCount, 0, QueueCapacity);
    for (int32_t i = 0; i < r.queueCount; ++i)
        r.queue[i] = queue[i]->index;
    r.progress = progress;
    r.productionUnit = references.GetUnitRef(productionUnit);
    r.productionState = productionState;
    r.rally[0] = rallyX;
    r.rally[1] = rallyY;
    r.pendingCommand = pendingCommand;
    if (research != nullptr)
    {
        r.research[0] = research->owner;
        r.research[1] = research->technologyId;
    }
    r.fireCapacity = fireCapacity;
    r.fireCount = fireCount;
    r.fireLevel = fireAmount;
    r.fires.assign(firePositions, firePositions + fireCapacity);
    std::copy(&savedCornerTextures[0][0], &savedCornerTextures[0][0] + MaxCornerSide * MaxCornerSide,
              &r.cornerTextures[0][0]);
    std::copy(&savedCornerHeights[0][0], &savedCornerHeights[0][0] + MaxCornerSide * MaxCornerSide,
              &r.cornerHeights[0][0]);
    std::copy(std::begin(drawPosition), std::end(drawPosition), r.drawPosition);
    r.exitRequests = exitRequests;

    CSaveWriter out(stream);
    TransferRecord(out, r, fireCapacity, width, depth);
    SaveGameExtra(stream, references);
    return !stream.HasError();
}

bool CBuilding::LoadGame(CSaveStream& stream, const CObjectReferences& references)
{
    const int32_t width = GetWidth();
    const int32_t depth = GetDepth();
    CSaveReader in(stream, RefusalPrefix);
    if (!IsFootprintSizeSaveable(width, depth))
        return in.Refuse("the building type's footprint is too large");
    auto staged = std::make_unique<SBuildingRecord>();
    SBuildingRecord& r = *staged;
    TransferRecord(in, r, fireCapacity, width, depth);
    if (!in.Finish())
        return false;
    if (const char* reason = CheckRecord(r, width, depth))
        return in.Refuse(reason);
    // The unit it holds is deleted with the building: one of the owner's.
    // That it is alive, off the map and held by nothing else is known once
    // the whole game is read (CObjectLinks).
    CUnit* waiting = nullptr;
    if (r.productionUnit != CObjectReferences::NoObject)
    {
        waiting = references.GetUnit(r.productionUnit);
        if (waiting == nullptr || waiting->player != r.owner)
            return in.Refuse("the production unit is no unit of the building's owner");
    }

    x = r.place[0];
    y = r.place[1];
    health = r.health;
    buildProgress = r.buildProgress;
    owner = r.owner;
    controlGroup = r.reservedA;
    placed = r.placed;
    scriptTag = r.scriptId;
    attackEventArmed = r.attackEventArmed;
    model = r.model;
    animTime = r.animTime;
    queueCount = r.queueCount;
    for (int32_t i = 0; i < QueueCapacity; ++i)
        queue[i] = i < queueCount ? &g_UnitStats[r.queue[i]] : nullptr;
    progress = r.progress;
    productionUnit = waiting;
    productionState = r.productionState;
    rallyX = r.rally[0];
    rallyY = r.rally[1];
    pendingCommand = r.pendingCommand;
    if (research != nullptr && research->researchingBuilding == this)
        research->researchingBuilding = nullptr;
    research = nullptr;
    if (r.research[0] != NoResearch)
    {
        research = &g_Players[r.research[0]].technologies[r.research[1]];
        research->researchingBuilding = this;
    }
    fireCount = r.fireCount;
    fireAmount = r.fireLevel;
    std::copy(r.fires.begin(), r.fires.end(), firePositions);
    for (int32_t i = 0; i <= width; ++i)
        for (int32_t j = 0; j <= depth; ++j)
        {
            savedCornerTextures[i][j] = r.cornerTextures[i][j];
            savedCornerHeights[i][j] = r.cornerHeights[i][j];
        }
    std::copy(std::begin(r.drawPosition), std::end(r.drawPosition), drawPosition);
    exitRequests = r.exitRequests;
    // Not saved: no hit remembered.
    lastAttacked = 0;

    // What the building had added to its owner: the owner's counts and
    // sight come back with the player's section, so that taking the
    // building down later takes away exactly that.
    const bool owned = IsPlayerIndex(owner);
    countedAsFinished = owned && IsFinished() ? 1 : 0;
    countedAsPlaced = owned && placed && !IsFinished() ? 1 : 0;
    sightGiven = countedAsFinished && placed && GivesSight() ? 1 : 0;

    return in.FinishWithExtra(LoadGameExtra(stream, references));
}
