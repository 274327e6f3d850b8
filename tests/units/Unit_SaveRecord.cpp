// A unit's record in a saved game: its bytes item by item, the round trip
// into a unit made again by the factory, links through the reference
// table, the deadline kept relative to the clock, and damaged records
// refused with the unit left as the factory made it.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "platform/SysClock.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_ReferenceBase.h"

namespace
{
// Offsets of items in a record with an empty name, no path and no
// waypoints, worked out from the item widths.
constexpr size_t TileAt = 9;
constexpr size_t HealthAt = 17;
constexpr size_t PlayerIndexAt = 25;
constexpr size_t NameLengthAt = 55;
constexpr size_t NameAt = 59;
constexpr size_t PathLengthAt = 84;          // 59 + name (1) + formation and patrol ends (24)
constexpr size_t WaypointCountAt = 116;
constexpr size_t AnimTypeAt = 120;
constexpr size_t ActionTargetBuildingAt = 137;
constexpr size_t CommandAt = 149;
constexpr size_t DeadlineAt = 154;
constexpr size_t PerformedAt = 158;
constexpr size_t TargetBuildingAt = 166;
constexpr size_t StanceAt = 209;
constexpr size_t EmptyRecordSize = 250;

class CExtraUnit : public CUnit
{
public:
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences&) const override { stream.Write("XTRA", 4); }
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences&) override
    {
        char bytes[4] = {};
        stream.Read(bytes, 4);
        return std::string(bytes, 4) == "XTRA";
    }
};

class UnitSaveRecord : public ::testing::Test
{
protected:
    std::unique_ptr<CUnit> Make(int32_t player = 2, int32_t type = UNIT_SETTLER)
    {
        return std::unique_ptr<CUnit>(m_World.Player(player).UnitFactory(type));
    }

    // Every item set to a value of its own.
    static void FillKnown(CUnit& u)
    {
        u.onMap = 1;
        u.centreX = 10.5f;
        u.centreY = 12.5f;
        u.x = 10;
        u.y = 12;
        u.health = 75.0f;
        u.starvation = 5.0f;
        u.player = 2;
        u.reserved = 7;
        u.facing = 90;
        u.shownFacing = 45;
        u.pathFlag = 0;
        u.speed = 0.125f;
        u.networkRef = 1234;
        u.specialId = 3;
        u.attackEventArmed = 1;
        u.customName = "";
        u.formationOffsetX = 1;
        u.formationOffsetY = -1;
        u.patrolAX = 3;
        u.patrolAY = 4;
        u.patrolBX = 5;
        u.patrolBY = 6;
        u.routeEnd = 0;
        u.currentStep = -1;
        u.moveDestX = 20;
        u.moveDestY = 21;
        u.stepDeltaX = 0.25f;
        u.stepDeltaY = -0.5f;
        u.stepTicks = 4;
        u.retryCounter = 2;
        u.waypointCount = 0;
        u.animType = ANIM_WALK;
        u.animFrame = 3.5f;
        u.model = 77;
        u.tornApart = 0;
        u.orderState = 1;
        u.currentCommand = 1;
        u.ready = 0;
        u.deadline = 0;
        u.performed = 1;
        u.targetX = 30;
        u.targetY = 31;
        u.targetKind = 4;
        u.stopped = 0;
        u.threaded = 1;
        u.ranged = 0;
        u.objectResourceKind = 2;
        u.minRange = 0;
        u.maxRange = 6;
        u.approachX = 30;
        u.approachY = 31;
        u.stance = STANCE_DEFENSIVE;
        u.returnX = -1;
        u.returnY = -1;
        u.lastOrder = 1;
        u.sightRadiusInUse = 6;
        u.renderPosition[0] = 10.5f;
        u.renderPosition[1] = 2.0f;
        u.renderPosition[2] = 12.5f;
        u.scriptWatcher = 9;
        u.aiOrderPending = 0;
    }

    static std::string Save(const CUnit& unit, const CObjectReferences& table)
    {
        CMemorySaveStream stream;
        EXPECT_TRUE(unit.SaveGame(stream, table));
        return stream.Bytes();
    }
    static bool Load(CUnit& unit, const std::string& bytes, const CObjectReferences& table)
    {
        CMemorySaveStream stream(bytes);
        const bool loaded = unit.LoadGame(stream, table);
        EXPECT_EQ(loaded, !stream.HasError());
        return loaded;
    }

    CSimHarness m_World{48};
    CReferenceBase m_Table;
};
}  // namespace

TEST_F(UnitSaveRecord, KnownUnitWritesEveryItemInOrderAndWidth)
{
    auto unit = Make();
    FillKnown(*unit);
    CRecordBytes expected;
    expected.U8(1).F32(10.5f).F32(12.5f).I32(10).I32(12).F32(75.0f).F32(5.0f).I32(2).I32(7).I32(90).I32(45);
    expected.U8(0).F32(0.125f).I32(1234).I32(3).U8(1);
    expected.I32(1).U8(0);                                     // empty name: length 1, one zero
    expected.I32(1).I32(-1).I32(3).I32(4).I32(5).I32(6);       // formation, patrol ends
    expected.I32(0);                                           // path length, no directions
    expected.I32(-1).I32(20).I32(21).F32(0.25f).F32(-0.5f).I32(4).I32(2);
    expected.I32(0);                                           // waypoint count, no waypoints
    expected.I32(ANIM_WALK).F32(3.5f).I32(77).U8(0);
    expected.I32(-1).I32(-1).I32(-1).I32(1).I32(1).U8(0);      // links, order state, command, ready
    expected.I32(0).U8(1).U8(0).U8(0).U8(0);                   // no deadline, performed
    expected.I32(-1).I32(-1).I32(-1).I32(30).I32(31).I32(4).U8(0).U8(1).U8(0);
    expected.I32(2).I32(0).I32(6).I32(30).I32(31).I32(STANCE_DEFENSIVE).I32(-1).I32(-1).I32(-1).I32(1).I32(6);
    expected.F32(10.5f).F32(2.0f).F32(12.5f).I32(9).U8(0);

    const std::string bytes = Save(*unit, m_Table);
    EXPECT_EQ(bytes.size(), EmptyRecordSize);
    EXPECT_EQ(bytes, expected.Bytes());
    EXPECT_EQ(CRecordBytes::I32At(bytes, NameLengthAt), 1);
    EXPECT_EQ(CRecordBytes::I32At(bytes, PerformedAt), 1);
    EXPECT_EQ(CRecordBytes::I32At(bytes, StanceAt), STANCE_DEFENSIVE);
}

TEST_F(UnitSaveRecord, NamePathAndWaypointsAreCountedAndFollowTheirCounts)
{
    auto unit = Make();
    FillKnown(*unit);
    unit->customName = "Bob";
    unit->routeEnd = 3;
    unit->route[0] = 7;
    unit->route[1] = 0;
    unit->route[2] = 4;
    unit->route[3] = 5;  // beyond the path: not written
    unit->currentStep = 2;
    unit->AddWaypoint(8, 9);
    unit->AddWaypoint(40, 41);
    const std::string bytes = Save(*unit, m_Table);

    // 3 more name bytes, 3 directions, 2 waypoints of 8 bytes.
    ASSERT_EQ(bytes.size(), EmptyRecordSize + 3 + 3 + 16);
    EXPECT_EQ(CRecordBytes::I32At(bytes, NameLengthAt), 4);
    EXPECT_EQ(bytes.substr(NameAt, 4), std::string("Bob\0", 4));
    const size_t pathAt = PathLengthAt + 3;
    EXPECT_EQ(CRecordBytes::I32At(bytes, pathAt), 3);
    EXPECT_EQ(bytes.substr(pathAt + 4, 3), std::string("\x07\x00\x04", 3));
    EXPECT_EQ(CRecordBytes::I32At(bytes, pathAt + 7), 2);   // current step
    const size_t waypointsAt = WaypointCountAt + 6;
    EXPECT_EQ(CRecordBytes::I32At(bytes, waypointsAt), 2);
    EXPECT_EQ(CRecordBytes::I32At(bytes, waypointsAt + 4), 8);
    EXPECT_EQ(CRecordBytes::I32At(bytes, waypointsAt + 16), 41);

    // A name longer than the reader's buffer is cut to 255 characters.
    unit->customName = std::string(300, 'n').c_str();
    const std::string cut = Save(*unit, m_Table);
    EXPECT_EQ(CRecordBytes::I32At(cut, NameLengthAt), 256);
    auto loaded = Make();
    ASSERT_TRUE(Load(*loaded, cut, m_Table));
    EXPECT_EQ(std::string(loaded->customName.GetBuffer()), std::string(255, 'n'));
}

TEST_F(UnitSaveRecord, SaveLoadSaveGivesTheSameBytesAndLinksTheNewObjects)
{
    auto unit = Make();
    auto enemy = Make(3, UNIT_ARCHER);
    std::unique_ptr<CBuilding> mine(m_World.Player(0).BuildingFactory(CastBarracks, 0, 0, 0));
    FillKnown(*unit);
    unit->customName = "Sir Test";
    unit->routeEnd = 2;
    unit->route[0] = 1;
    unit->route[1] = 6;
    unit->currentStep = 1;
    unit->AddWaypoint(8, 9);
    unit->targetUnit = enemy.get();
    unit->attacker = enemy.get();
    unit->followedUnit = enemy.get();
    unit->actionTargetBuilding = mine.get();
    unit->targetBuilding = mine.get();
    unit->deadline = SysClock::TickCount() + 700;
    m_Table.AddUnit(unit.get());
    m_Table.AddUnit(enemy.get());
    m_Table.AddBuilding(mine.get());
    const std::string first = Save(*unit, m_Table);

    // The objects made again, registered with the same ids.
    auto unitAgain = Make();
    auto enemyAgain = Make(3, UNIT_ARCHER);
    std::unique_ptr<CBuilding> mineAgain(m_World.Player(0).BuildingFactory(CastBarracks, 0, 0, 0));
    CReferenceBase again;
    again.AddUnit(unitAgain.get());
    again.AddUnit(enemyAgain.get());
    again.AddBuilding(mineAgain.get());
    ASSERT_TRUE(Load(*unitAgain, first, again));
    EXPECT_EQ(Save(*unitAgain, again), first);

    EXPECT_EQ(unitAgain->targetUnit, enemyAgain.get());
    EXPECT_EQ(unitAgain->attacker, enemyAgain.get());
    EXPECT_EQ(unitAgain->followedUnit, enemyAgain.get());
    EXPECT_EQ(unitAgain->actionTargetBuilding, mineAgain.get());
    EXPECT_EQ(unitAgain->targetBuilding, mineAgain.get());
    EXPECT_EQ(unitAgain->actionTargetUnit, nullptr);
    EXPECT_STREQ(unitAgain->customName.GetBuffer(), "Sir Test");
    EXPECT_EQ(unitAgain->deadline, SysClock::TickCount() + 700);
    // Shown on the map when saved: it holds its blocks again (the map's
    // section brings them back).
    EXPECT_EQ(unitAgain->GetLife(), UnitLife::OnMap);
    EXPECT_TRUE(unitAgain->IsFootprintRegistered());
    // Not saved: they hold a new unit's values.
    EXPECT_EQ(unitAgain->lastHitTime, 0u);
    EXPECT_EQ(unitAgain->awaitingMoveAnswer, 0);
}

TEST_F(UnitSaveRecord, TheTypesOwnPartFollowsTheBaseRecord)
{
    CExtraUnit unit;
    FillKnown(unit);
    const std::string bytes = Save(unit, m_Table);
    ASSERT_EQ(bytes.size(), EmptyRecordSize + 4);
    EXPECT_EQ(bytes.substr(EmptyRecordSize), "XTRA");

    CExtraUnit loaded;
    EXPECT_TRUE(Load(loaded, bytes, m_Table));
    std::string damaged = bytes;
    damaged[EmptyRecordSize] = 'Y';
    CExtraUnit refused;
    CTestLog log;
    EXPECT_FALSE(Load(refused, damaged, m_Table));
    EXPECT_TRUE(log.Contains("Unit record refused: the type's own part is damaged"));
}

TEST_F(UnitSaveRecord, ActionDueIn1500MillisecondsIsDue1500MillisecondsAfterLoading)
{
    auto unit = Make();
    FillKnown(*unit);
    const uint32_t savedAt = SysClock::TickCount();
    unit->deadline = savedAt + 1500;
    const std::string due = Save(*unit, m_Table);
    EXPECT_EQ(CRecordBytes::I32At(due, DeadlineAt), 1500);
    unit->deadline = savedAt - 200;
    const std::string passed = Save(*unit, m_Table);
    EXPECT_EQ(CRecordBytes::I32At(passed, DeadlineAt), -200);

    SysClock::AdvanceTestClock(60000);
    auto loaded = Make();
    ASSERT_TRUE(Load(*loaded, due, m_Table));
    EXPECT_EQ(loaded->deadline, savedAt + 60000 + 1500);
    ASSERT_TRUE(Load(*loaded, passed, m_Table));
    EXPECT_EQ(loaded->deadline, savedAt + 60000 - 200);
    // No deadline stays none.
    ASSERT_TRUE(Load(*loaded, CRecordBytes::WithI32At(due, DeadlineAt, 0), m_Table));
    EXPECT_EQ(loaded->deadline, 0u);
}

TEST_F(UnitSaveRecord, TargetBuildingDestroyedBeforeSavingIsWrittenAsNoneAndLoadsNone)
{
    CUnit* unit = m_World.Spawn(0, UNIT_WARRIOR, 5, 5);
    ASSERT_NE(unit, nullptr);
    CBuilding* barracks = m_World.Player(0).CreateBuilding(CastBarracks, 12, 12);
    ASSERT_NE(barracks, nullptr);
    unit->targetBuilding = barracks;
    unit->actionTargetBuilding = barracks;
    barracks->Destroy(false);

    m_Table.AddUnit(unit);
    const std::string bytes = Save(*unit, m_Table);
    EXPECT_EQ(CRecordBytes::I32At(bytes, TargetBuildingAt), -1);
    EXPECT_EQ(CRecordBytes::I32At(bytes, ActionTargetBuildingAt), -1);

    auto loaded = Make(0);
    ASSERT_TRUE(Load(*loaded, bytes, m_Table));
    EXPECT_EQ(loaded->targetBuilding, nullptr);
    EXPECT_EQ(loaded->actionTargetBuilding, nullptr);
}

TEST_F(UnitSaveRecord, CorpseAndDyingUnitsComeBackInTheirState)
{
    auto unit = Make();
    FillKnown(*unit);
    unit->health = 0.0f;
    unit->animType = ANIM_CORPSE;
    auto loaded = Make();
    ASSERT_TRUE(Load(*loaded, Save(*unit, m_Table), m_Table));
    EXPECT_EQ(loaded->GetLife(), UnitLife::Corpse);
    EXPECT_FALSE(loaded->IsFootprintRegistered());

    unit->animType = ANIM_DIE;
    ASSERT_TRUE(Load(*loaded, Save(*unit, m_Table), m_Table));
    EXPECT_EQ(loaded->GetLife(), UnitLife::Dying);
    EXPECT_TRUE(loaded->IsDying());
}

TEST_F(UnitSaveRecord, RecordCutShortAnywhereIsRefusedAndTheUnitKeepsItsState)
{
    auto unit = Make();
    FillKnown(*unit);
    unit->customName = "Cut";
    unit->routeEnd = 1;
    unit->AddWaypoint(1, 2);
    const std::string whole = Save(*unit, m_Table);
    auto fresh = Make();
    const std::string freshBytes = Save(*fresh, m_Table);
    CTestLog log;
    for (size_t length = 0; length < whole.size(); ++length)
    {
        EXPECT_FALSE(Load(*fresh, whole.substr(0, length), m_Table)) << length;
        ASSERT_EQ(Save(*fresh, m_Table), freshBytes) << length;
    }
    EXPECT_EQ(log.Count("Unit record refused: the record is cut short"), int(whole.size()));
}

TEST_F(UnitSaveRecord, OutOfRangeFieldsAreRefusedWithTheirReason)
{
    auto unit = Make();
    FillKnown(*unit);
    const std::string good = Save(*unit, m_Table);
    unit->routeEnd = 2;
    unit->route[1] = 8;
    const std::string badDirection = Save(*unit, m_Table);
    // Never placed: the off-map marker is kept, but is no place to stand on
    // the map.
    auto neverPlaced = Make();
    const std::string offMap = Save(*neverPlaced, m_Table);
    ASSERT_TRUE(Load(*neverPlaced, offMap, m_Table));
    EXPECT_EQ(neverPlaced->GetLife(), UnitLife::OffMap);
    struct SCase
    {
        std::string bytes;
        const char* reason;
    };
    const SCase cases[] = {
        {CRecordBytes::WithI32At(good, NameLengthAt, 257), "the name length is out of range"},
        {CRecordBytes::WithI32At(good, NameLengthAt, 0), "the name length is out of range"},
        {CRecordBytes::WithI32At(good, NameLengthAt, -1), "the name length is out of range"},
        {CRecordBytes::WithI32At(good, PathLengthAt, 513), "the path is longer than a route holds"},
        {CRecordBytes::WithI32At(good, WaypointCountAt, 65), "the waypoint count is out of range"},
        {CRecordBytes::WithI32At(good, PlayerIndexAt, 8), "the player index is out of range"},
        {CRecordBytes::WithI32At(good, PlayerIndexAt, -1), "the player index is out of range"},
        {CRecordBytes::WithI32At(good, TileAt, 256), "the tile lies outside the map"},
        {CRecordBytes::WithI32At(good, TileAt, -1), "the tile lies outside the map"},
        {CRecordBytes::WithF32At(good, HealthAt, 100.5f), "health or starvation is not a percent"},
        {CRecordBytes::WithF32At(good, HealthAt, std::nanf("")), "health or starvation is not a percent"},
        {CRecordBytes::WithI32At(good, AnimTypeAt, 14), "the animation type is out of range"},
        {CRecordBytes::WithI32At(good, CommandAt, 19), "the command is out of range"},
        {CRecordBytes::WithI32At(good, StanceAt, 0), "the stance is out of range"},
        {std::string(good).replace(0, 1, 1, '\x02'), "a flag is neither 0 nor 1"},
        {badDirection, "a path direction is out of range"},
        {std::string(offMap).replace(0, 1, 1, '\x01'), "the tile lies outside the map"},
    };
    for (const SCase& c : cases)
    {
        CTestLog log;
        auto loaded = Make();
        const std::string before = Save(*loaded, m_Table);
        EXPECT_FALSE(Load(*loaded, c.bytes, m_Table)) << c.reason;
        EXPECT_TRUE(log.Contains(std::string("Unit record refused: ") + c.reason)) << c.reason;
        EXPECT_EQ(Save(*loaded, m_Table), before) << c.reason;
    }
}

