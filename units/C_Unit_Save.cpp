// A unit's base record in a saved game: items in a fixed order and width,
// links to other units and buildings as reference ids, the action's
// deadline as the time still to wait.  The type's own part follows it.
//
// Loading reads the whole record into a staging copy and checks every
// count, index, position and code in it before the unit takes any of it: a
// damaged record is refused with a log line and the stream's error flag,
// and the unit is left as the factory made it.

#include <algorithm>
#include <cstring>

#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "platform/SysClock.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"
#include "world/ObjectFieldBounds.h"
#include "world/C_GameMap.h"
#include "world/C_ObjectReferences.h"
#include "world/C_Player.h"

namespace
{
constexpr const char* RefusalPrefix = "Unit record refused: ";
// The name is read into a buffer of this size, its terminating zero included.
constexpr int32_t NameBufferBytes = 256;
constexpr int32_t MaxNameLength = NameBufferBytes - 1;
constexpr int32_t PerformedPadBytes = 3;
constexpr int32_t DirectionCount = 8;
constexpr int32_t NoTile = -1;
constexpr int32_t FullTurn = 360;
constexpr float MaxPercent = 100.0f;
// A centre lies within half a footprint of its tile, which is on the map
// or the off-map marker.
constexpr float LowestCentre = -1.0f;
constexpr float HighestCentre = float(MapBlockSide) + 1.0f;
constexpr int32_t LowestCommand = CMD_FIND_UNGARRISON_COAST;
constexpr int32_t HighestCommand = CMD_ENTER_KEEP;
constexpr int32_t HighestResourceKind = 4;   // TENUMRESOURCE: 2 tree, 3 rock, 4 gold mine

// The record as it lies in the stream: links as ids, the deadline as the
// milliseconds still to wait.
struct SUnitRecord
{
    uint8_t visible = 0;
    float centre[2] = {};
    int32_t tile[2] = {};
    float health = 0.0f;
    float starvation = 0.0f;
    int32_t player = 0;
    int32_t reserved = 0;
    int32_t facing = 0;
    int32_t shownFacing = 0;
    uint8_t moving = 0;
    float speed = 0.0f;
    int32_t networkRef = 0;
    int32_t specialId = 0;
    uint8_t attackEventArmed = 0;
    int32_t nameBytes = 1;
    char name[NameBufferBytes] = {};
    int32_t formationOffset[2] = {};
    int32_t patrolA[2] = {};
    int32_t patrolB[2] = {};
    int32_t pathLength = 0;
    uint8_t route[CUnit::RouteCapacity] = {};
    int32_t currentStep = 0;
    int32_t moveDestination[2] = {};
    float stepDelta[2] = {};
    int32_t stepTicks = 0;
    int32_t retryCounter = 0;
    int32_t waypointCount = 0;
    int32_t waypoints[CUnit::MaxWaypoints][2] = {};
    int32_t animType = 0;
    float animFrame = 0.0f;
    int32_t model = 0;
    uint8_t tornApart = 0;
    int32_t actionTargetUnit = CObjectReferences::NoObject;
    int32_t actionTargetBuilding = CObjectReferences::NoObject;
    int32_t followedUnit = CObjectReferences::NoObject;
    int32_t orderState = 0;
    int32_t command = 0;
    uint8_t ready = 0;
    int32_t deadlineRemaining = 0;
    uint8_t performed = 0;
    uint8_t performedPad[PerformedPadBytes] = {};
    int32_t targetUnit = CObjectReferences::NoObject;
    int32_t targetBuilding = CObjectReferences::NoObject;
    int32_t targetObject = CObjectReferences::NoObject;
    int32_t targetPoint[2] = {};
    int32_t targetKind = 0;
    uint8_t stopped = 0;
    uint8_t threaded = 0;
    uint8_t ranged = 0;
    int32_t objectResourceKind = 0;
    int32_t minRange = 0;
    int32_t maxRange = 0;
    int32_t approach[2] = {};
    int32_t stance = 0;
    int32_t attacker = CObjectReferences::NoObject;
    int32_t returnPoint[2] = {};
    int32_t lastOrder = 0;
    int32_t sightRadius = 0;
    float renderPosition[3] = {};
    int32_t scriptWatcher = 0;
    uint8_t aiOrderPending = 0;
};

// Items 1 to 60 in their order, for saving (CSaveWriter) and loading
// (CSaveReader) alike.
template <class Io, class Record>
void TransferRecord(Io& io, Record& r)
{
    io.Flag(r.visible);
    io.F32(r.centre[0]);
    io.F32(r.centre[1]);
    io.I32(r.tile[0]);
    io.I32(r.tile[1]);
    io.F32(r.health);
    io.F32(r.starvation);
    io.I32(r.player);
    io.I32(r.reserved);
    io.I32(r.facing);
    io.I32(r.shownFacing);
    io.Flag(r.moving);
    io.F32(r.speed);
    io.I32(r.networkRef);
    io.I32(r.specialId);
    io.Flag(r.attackEventArmed);
    io.Count(r.nameBytes, 1, NameBufferBytes, "the name length is out of range");
    io.Bytes(r.name, r.nameBytes);
    for (int32_t* pair : {r.formationOffset, r.patrolA, r.patrolB})
    {
        io.I32(pair[0]);
        io.I32(pair[1]);
    }
    io.Count(r.pathLength, 0, CUnit::RouteCapacity, "the path is longer than a route holds");
    io.Bytes(r.route, r.pathLength);
    io.I32(r.currentStep);
    io.I32(r.moveDestination[0]);
    io.I32(r.moveDestination[1]);
    io.F32(r.stepDelta[0]);
    io.F32(r.stepDelta[1]);
    io.I32(r.stepTicks);
    io.I32(r.retryCounter);
    io.Count(r.waypointCount, 0, CUnit::MaxWaypoints, "the waypoint count is out of range");
    for (int32_t i = 0; i < r.waypointCount; ++i)
    {
        io.I32(r.waypoints[i][0]);
        io.I32(r.waypoints[i][1]);
    }
    io.I32(r.animType);
    io.F32(r.animFrame);
    io.I32(r.model);
    io.Flag(r.tornApart);
    io.I32(r.actionTargetUnit);
    io.I32(r.actionTargetBuilding);
    io.I32(r.followedUnit);
    io.I32(r.orderState);
    io.I32(r.command);
    io.Flag(r.ready);
    io.I32(r.deadlineRemaining);
    // Four bytes, the flag in the first; the others are written as zeros
    // and read past.
    io.Flag(r.performed);
    io.Bytes(r.performedPad, PerformedPadBytes);
    io.I32(r.targetUnit);
    io.I32(r.targetBuilding);
    io.I32(r.targetObject);
    io.I32(r.targetPoint[0]);
    io.I32(r.targetPoint[1]);
    io.I32(r.targetKind);
    io.Flag(r.stopped);
    io.Flag(r.threaded);
    io.Flag(r.ranged);
    io.I32(r.objectResourceKind);
    io.I32(r.minRange);
    io.I32(r.maxRange);
    io.I32(r.approach[0]);
    io.I32(r.approach[1]);
    io.I32(r.stance);
    io.I32(r.attacker);
    io.I32(r.returnPoint[0]);
    io.I32(r.returnPoint[1]);
    io.I32(r.lastOrder);
    io.I32(r.sightRadius);
    for (float& value : r.renderPosition)
        io.F32(value);
    io.I32(r.scriptWatcher);
    io.Flag(r.aiOrderPending);
}

void CopyPair(int32_t to[2], int32_t fromX, int32_t fromY)
{
    to[0] = fromX;
    to[1] = fromY;
}

// A unit not on the map keeps its last tile, or the off-map marker when it
// was never placed; either way its whole footprint indexes the block grid.
bool IsTileAcceptable(int32_t tx, int32_t ty, int32_t size, bool visible)
{
    if (!visible && tx == NoTile && ty == NoTile)
        return true;
    return IsUnitFootprintOnMap(tx, ty, size, MapBlockSide, MapBlockSide);
}

// A point of the action buffer: a block of the grid, or -1 for none.
bool IsPointAcceptable(const int32_t point[2])
{
    return CSaveReader::InRange(point[0], NoTile, MapBlockSide - 1) &&
           CSaveReader::InRange(point[1], NoTile, MapBlockSide - 1);
}

bool AreFinite(const float* values, int32_t count)
{
    return std::all_of(values, values + count, [](float value) { return CSaveReader::IsFinite(value); });
}

// Null when the record may be taken as it is; else what is wrong with it.
const char* CheckPlace(const SUnitRecord& r, int32_t size)
{
    if (!CSaveReader::InRange(r.player, 0, MaxPlayers - 1))
        return "the player index is out of range";
    if (!IsTileAcceptable(r.tile[0], r.tile[1], size, r.visible != 0))
        return "the tile lies outside the map";
    if (!CSaveReader::InRange(r.centre[0], LowestCentre, HighestCentre) ||
        !CSaveReader::InRange(r.centre[1], LowestCentre, HighestCentre))
        return "the centre lies outside the map";
    if (!CSaveReader::InRange(r.health, 0.0f, MaxPercent) || !CSaveReader::InRange(r.starvation, 0.0f, MaxPercent))
        return "health or starvation is not a percent";
    // The drawn facing may lie a turn off on its way round to the facing.
    if (!CSaveReader::InRange(r.facing, 0, FullTurn - 1) ||
        !CSaveReader::InRange(r.shownFacing, -FullTurn, 2 * FullTurn))
        return "the facing is out of range";
    if (!CSaveReader::InRange(r.speed, 0.0f, float(MapBlockSide)) || !AreFinite(r.stepDelta, 2) ||
        !CSaveReader::IsFinite(r.animFrame) || !AreFinite(r.renderPosition, 3))
        return "a number is not finite";
    if (r.name[r.nameBytes - 1] != 0)
        return "the name has no terminating zero";
    return nullptr;
}

const char* CheckWalk(const SUnitRecord& r)
{
    for (int32_t i = 0; i < r.pathLength; ++i)
        if (r.route[i] >= DirectionCount)
            return "a path direction is out of range";
    // The step is left over from an older path while none is walked.
    if (!CSaveReader::InRange(r.currentStep, -1, CUnit::RouteCapacity))
        return "the current step is out of range";
    // A unit waiting behind a slow mover keeps counting its tries beyond
    // the twenty after which it stops counting as moving.
    if (r.stepTicks < 0 || r.retryCounter < 0)
        return "the step counters are out of range";
    for (int32_t i = 0; i < r.waypointCount; ++i)
        if (!CSaveReader::InRange(r.waypoints[i][0], 0, MapBlockSide - 1) ||
            !CSaveReader::InRange(r.waypoints[i][1], 0, MapBlockSide - 1))
            return "a waypoint lies outside the map";
    for (const int32_t* point : {r.patrolA, r.patrolB, r.moveDestination, r.targetPoint, r.approach, r.returnPoint})
        if (!IsPointAcceptable(point))
            return "a point of the orders lies outside the map";
    return nullptr;
}

const char* CheckCodes(const SUnitRecord& r)
{
    if (!CSaveReader::InRange(r.animType, ANIM_STAND, ANIM_SPELL))
        return "the animation type is out of range";
    if (!CSaveReader::InRange(r.command, LowestCommand, HighestCommand))
        return "the command is out of range";
    if (!CSaveReader::InRange(r.targetKind, TARGET_CHOOSE, TARGET_BLOCK))
        return "the target kind is out of range";
    if (!IsKnownStance(r.stance))
        return "the stance is out of range";
    if (!CSaveReader::InRange(r.lastOrder, LAST_ORDER_NONE, LAST_ORDER_PATROL))
        return "the last order is out of range";
    if (!CSaveReader::InRange(r.objectResourceKind, 0, HighestResourceKind))
        return "the resource kind is out of range";
    if (!CSaveReader::InRange(r.minRange, 0, MapBlockSide) || !CSaveReader::InRange(r.maxRange, 0, MapBlockSide) ||
        !CSaveReader::InRange(r.sightRadius, 0, MapBlockSide))
        return "a range is out of range";
    return nullptr;
}

const char* CheckRecord(const SUnitRecord& r, int32_t size)
{
    if (const char* reason = CheckPlace(r, size))
        return reason;
    if (const char* reason = CheckWalk(r))
        return reason;
    return CheckCodes(r);
}

int32_t SavedDeadline(uint32_t deadline)
{
    if (deadline == 0)
        return 0;
    // May be negative: a deadline already passed stays passed.
    return static_cast<int32_t>(deadline - SysClock::TickCount());
}

uint32_t LoadedDeadline(int32_t remaining)
{
    if (remaining == 0)
        return 0;
    const uint32_t deadline = SysClock::TickCount() + static_cast<uint32_t>(remaining);
    // 0 means no deadline: one landing there by the clock's wrap waits a
    // millisecond longer instead of not at all.
    return deadline != 0 ? deadline : 1;
}
}  // namespace

bool CUnit::SaveGame(CSaveStream& stream, const CObjectReferences& references) const
{
    SUnitRecord r;
    r.visible = onMap;
    r.centre[0] = centreX;
    r.centre[1] = centreY;
    CopyPair(r.tile, x, y);
    r.health = health;
    r.starvation = starvation;
    r.player = player;
    r.reserved = reserved;
    r.facing = facing;
    r.shownFacing = shownFacing;
    r.moving = pathFlag;
    r.speed = speed;
    r.networkRef = networkRef;
    r.specialId = specialId;
    r.attackEventArmed = attackEventArmed;
    // Longer names are cut, so that the reader's buffer always holds them.
    const int32_t nameLength = std::min(customName.GetLength(), MaxNameLength);
    std::memcpy(r.name, customName.GetBuffer(), size_t(nameLength));
    r.nameBytes = nameLength + 1;
    CopyPair(r.formationOffset, formationOffsetX, formationOffsetY);
    CopyPair(r.patrolA, patrolAX, patrolAY);
    CopyPair(r.patrolB, patrolBX, patrolBY);
    r.pathLength = std::clamp(routeEnd, 0, RouteCapacity);
    std::memcpy(r.route, route, sizeof(r.route));
    r.currentStep = currentStep;
    CopyPair(r.moveDestination, moveDestX, moveDestY);
    r.stepDelta[0] = stepDeltaX;
    r.stepDelta[1] = stepDeltaY;
    r.stepTicks = stepTicks;
    r.retryCounter = retryCounter;
    r.waypointCount = std::clamp(waypointCount, 0, MaxWaypoints);
    std::memcpy(r.waypoints, waypoints, sizeof(r.waypoints));
    r.animType = animType;
    r.animFrame = animFrame;
    r.model = model;
    r.tornApart = tornApart;
    r.actionTargetUnit = references.GetUnitRef(actionTargetUnit);
    r.actionTargetBuilding = references.GetBuildingRef(actionTargetBuilding);
    r.followedUnit = references.GetUnitRef(followedUnit);
    r.orderState = orderState;
    r.command = currentCommand;
    r.ready = ready;
    r.deadlineRemaining = SavedDeadline(deadline);
    r.performed = performed;
    r.targetUnit = references.GetUnitRef(targetUnit);
    r.targetBuilding = references.GetBuildingRef(targetBuilding);
    r.targetObject = references.GetBuildingRef(targetObject);
    CopyPair(r.targetPoint, targetX, targetY);
    r.targetKind = targetKind;
    r.stopped = stopped;
    r.threaded = threaded;
    r.ranged = ranged;
    r.objectResourceKind = objectResourceKind;
    r.minRange = minRange;
    r.maxRange = maxRange;
    CopyPair(r.approach, approachX, approachY);
    r.stance = stance;
    r.attacker = references.GetUnitRef(attacker);
    CopyPair(r.returnPoint, returnX, returnY);
    r.lastOrder = lastOrder;
    r.sightRadius = sightRadiusInUse;
    std::memcpy(r.renderPosition, renderPosition, sizeof(r.renderPosition));
    r.scriptWatcher = scriptWatcher;
    r.aiOrderPending = aiOrderPending;

    CSaveWriter out(stream);
    TransferRecord(out, r);
    SaveGameExtra(stream, references);
    return !stream.HasError();
}

bool CUnit::LoadGame(CSaveStream& stream, const CObjectReferences& references)
{
    SUnitRecord r;
    CSaveReader in(stream, RefusalPrefix);
    TransferRecord(in, r);
    if (!in.Finish())
        return false;
    if (const char* reason = CheckRecord(r, GetSize()))
        return in.Refuse(reason);

    onMap = r.visible;
    centreX = r.centre[0];
    centreY = r.centre[1];
    x = r.tile[0];
    y = r.tile[1];
    health = r.health;
    starvation = r.starvation;
    player = r.player;
    reserved = r.reserved;
    facing = r.facing;
    shownFacing = r.shownFacing;
    pathFlag = r.moving;
    speed = r.speed;
    networkRef = r.networkRef;
    specialId = r.specialId;
    attackEventArmed = r.attackEventArmed;
    customName = r.name;
    formationOffsetX = r.formationOffset[0];
    formationOffsetY = r.formationOffset[1];
    patrolAX = r.patrolA[0];
    patrolAY = r.patrolA[1];
    patrolBX = r.patrolB[0];
    patrolBY = r.patrolB[1];
    routeEnd = r.pathLength;
    std::memcpy(route, r.route, sizeof(route));
    currentStep = r.currentStep;
    moveDestX = r.moveDestination[0];
    moveDestY = r.moveDestination[1];
    stepDeltaX = r.stepDelta[0];
    stepDeltaY = r.stepDelta[1];
    stepTicks = r.stepTicks;
    retryCounter = r.retryCounter;
    waypointCount = r.waypointCount;
    std::memcpy(waypoints, r.waypoints, sizeof(waypoints));
    animType = r.animType;
    animFrame = r.animFrame;
    model = r.model;
    tornApart = r.tornApart;
    // Ids the table does not hold come back as none.
    actionTargetUnit = references.GetUnit(r.actionTargetUnit);
    actionTargetBuilding = references.GetBuilding(r.actionTargetBuilding);
    followedUnit = references.GetUnit(r.followedUnit);
    orderState = r.orderState;
    currentCommand = r.command;
    ready = r.ready;
    deadline = LoadedDeadline(r.deadlineRemaining);
    performed = r.performed;
    targetUnit = references.GetUnit(r.targetUnit);
    targetBuilding = references.GetBuilding(r.targetBuilding);
    targetObject = references.GetBuilding(r.targetObject);
    targetX = r.targetPoint[0];
    targetY = r.targetPoint[1];
    targetKind = r.targetKind;
    stopped = r.stopped;
    threaded = r.threaded;
    ranged = r.ranged;
    objectResourceKind = r.objectResourceKind;
    minRange = r.minRange;
    maxRange = r.maxRange;
    approachX = r.approach[0];
    approachY = r.approach[1];
    stance = r.stance;
    attacker = references.GetUnit(r.attacker);
    returnX = r.returnPoint[0];
    returnY = r.returnPoint[1];
    lastOrder = r.lastOrder;
    sightRadiusInUse = r.sightRadius;
    std::memcpy(renderPosition, r.renderPosition, sizeof(renderPosition));
    scriptWatcher = r.scriptWatcher;
    aiOrderPending = r.aiOrderPending;

    // Not saved: they start as a new unit's do.
    awaitingMoveAnswer = 0;
    lastHitTime = 0;

    // Where the unit was in its life follows from what was saved.  Its
    // blocks come back with the map's section and its sight with its
    // player's, so a unit shown on the map holds both again.
    if (animType == ANIM_CORPSE)
        m_Life = UnitLife::Corpse;
    else if (animType == ANIM_DIE && !IsAlive())
        m_Life = UnitLife::Dying;
    else
        m_Life = onMap ? UnitLife::OnMap : UnitLife::OffMap;
    m_FootprintRegistered = onMap != 0 && m_Life != UnitLife::Corpse;

    return in.FinishWithExtra(LoadGameExtra(stream, references));
}
