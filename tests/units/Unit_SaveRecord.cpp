#include <gtest/gtest.h>

#include <cmath>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "effects/C_Particles.h"
#include "platform/SysClock.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_Demon.h"
#include "units/C_Unit_Worker.h"
#include "world/C_ReferenceBase.h"

namespace
{
using Bytes = CRecordBytes;
constexpr int32_t Count = 0x01020304;
constexpr float NotANumber = __builtin_nanf("");
// Offsets in a record with an empty name, no path and no waypoints.
constexpr size_t TileAt = 9, HealthAt = 17, PlayerIndexAt = 25, NameLengthAt = 55, NameAt = 59;
constexpr size_t PathLengthAt = 84;          // 59 + name (1) + formation and patrol ends (24)
constexpr size_t WaypointCountAt = 116, AnimTypeAt = 120, ActionTargetBuildingAt = 137, CommandAt = 149;
constexpr size_t DeadlineAt = 154, TargetBuildingAt = 166, StanceAt = 209, EmptyRecordSize = 250;
constexpr size_t FacingAt = 33, ShownFacingAt = 37, CurrentStepAt = 88, MoveDestinationAt = 92, TargetPointAt = 174;
constexpr size_t ResourceKindAt = 189, MinRangeAt = 193, MaxRangeAt = 197, ReturnPointAt = 217, SightAt = 229;

// Every item with a value of its own: an empty name, no path, no waypoints.
std::string KnownRecord()
{
    CRecordBytes r;
    r.U8(1).F32(10.5f).F32(12.5f).I32(10).I32(12).F32(75.0f).F32(5.0f).I32(2).I32(7).I32(90).I32(45);
    r.U8(0).F32(0.125f).I32(1234).I32(3).U8(1);
    r.I32(1).U8(0);                                     // empty name: length 1, one zero
    r.I32(1).I32(-1).I32(3).I32(4).I32(5).I32(6);       // formation, patrol ends
    r.I32(0);                                           // path length, no directions
    r.I32(-1).I32(20).I32(21).F32(0.25f).F32(-0.5f).I32(4).I32(2);
    r.I32(0);                                           // waypoint count, no waypoints
    r.I32(ANIM_WALK).F32(3.5f).I32(77).U8(0);
    r.I32(-1).I32(-1).I32(-1).I32(1).I32(1).U8(0);      // links, order state, command, ready
    r.I32(0).U8(1).U8(0).U8(0).U8(0);                   // no deadline, performed
    r.I32(-1).I32(-1).I32(-1).I32(30).I32(31).I32(4).U8(0).U8(1).U8(0);
    r.I32(2).I32(0).I32(6).I32(30).I32(31).I32(STANCE_DEFENSIVE).I32(-1).I32(-1).I32(-1).I32(1).I32(6);
    r.F32(10.5f).F32(2.0f).F32(12.5f).I32(9).U8(0);
    return r.Bytes();
}

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

    std::unique_ptr<CUnit> Known()
    {
        auto unit = Make();
        EXPECT_TRUE(Load(*unit, KnownRecord(), m_Table));
        return unit;
    }
    static std::string Save(const CUnit& unit, const CObjectReferences& table)
    {
        CMemorySaveStream stream;
        EXPECT_TRUE(unit.SaveGame(stream, table));
        return stream.Bytes();
    }
    static std::string SaveExtra(const CUnit& unit, const CObjectReferences& table)
    {
        CMemorySaveStream stream;
        unit.SaveGameExtra(stream, table);
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

TEST_F(UnitSaveRecord, EveryItemIsReadIntoItsFieldAndWrittenBackAndNamePathAndWaypointsFollowTheirCounts)
{
    ASSERT_EQ(KnownRecord().size(), EmptyRecordSize);
    auto unit = Known();
    const CUnit& u = *unit;
    EXPECT_TRUE(u.onMap == 1 && u.x == 10 && u.y == 12 && u.player == 2 && u.facing == 90 && u.shownFacing == 45);
    EXPECT_TRUE(u.centreX == 10.5f && u.centreY == 12.5f && u.health == 75.0f && u.starvation == 5.0f);
    EXPECT_TRUE(u.networkRef == 1234 && u.specialId == 3 && u.customName.GetBuffer()[0] == 0);
    EXPECT_TRUE(u.formationOffsetX == 1 && u.formationOffsetY == -1 && u.patrolAX == 3 && u.patrolBY == 6);
    EXPECT_TRUE(u.currentStep == -1 && u.moveDestY == 21 && u.stepDeltaY == -0.5f && u.retryCounter == 2);
    EXPECT_TRUE(u.animType == ANIM_WALK && u.animFrame == 3.5f && u.model == 77 && u.ready == 0);
    EXPECT_TRUE(u.targetY == 31 && u.targetKind == 4 && u.threaded == 1 && u.maxRange == 6);
    EXPECT_TRUE(u.stance == STANCE_DEFENSIVE && u.returnY == -1 && u.sightRadiusInUse == 6 &&
                u.renderPosition[1] == 2.0f && u.scriptWatcher == 9 && Save(u, m_Table) == KnownRecord());
    // A new unit faces a random multiple of 45, stands at a random frame 0 to 99 and checks whom it follows
    // in 1 to 64 ticks: its first three draws.
    for (const auto& [last, facing] : {std::pair{false, 0}, {true, 315}})
    {
        CSimHarness::SeedForDraws({{8, last ? 7 : 0}, {100, last ? 99 : 0}, {64, last ? 63 : 0}});
        auto fresh = Make();
        EXPECT_EQ(std::tuple(fresh->facing, fresh->shownFacing, fresh->animFrame, fresh->followCountdown),
                  std::tuple(facing, facing, last ? 99.0f : 0.0f, last ? 64 : 1));
    }
    auto unarmed = Make();   // byte 54: the attack event disarmed
    EXPECT_TRUE(Load(*unarmed, std::string(KnownRecord()).replace(54, 1, 1, '\0'), m_Table) && !unarmed->attackEventArmed);

    unit->customName = "Bob", unit->routeEnd = 3, unit->currentStep = 2;
    const uint8_t route[] = {7, 0, 4, 5};   // the last beyond the path: not written
    std::copy(std::begin(route), std::end(route), unit->route);
    unit->AddWaypoint(8, 9), unit->AddWaypoint(40, 41);
    const std::string bytes = Save(*unit, m_Table);
    // 3 more name bytes, 3 directions, 2 waypoints of 8 bytes.
    ASSERT_EQ(bytes.size(), EmptyRecordSize + 3 + 3 + 16);
    EXPECT_TRUE(CRecordBytes::I32At(bytes, NameLengthAt) == 4 && bytes.substr(NameAt, 4) == std::string("Bob\0", 4));
    const size_t pathAt = PathLengthAt + 3;
    EXPECT_EQ(bytes.substr(pathAt, 11), CRecordBytes().I32(3).U8(7).U8(0).U8(4).I32(2).Bytes());
    EXPECT_EQ(bytes.substr(WaypointCountAt + 6, 20), CRecordBytes().I32(2).I32(8).I32(9).I32(40).I32(41).Bytes());

    // A name longer than the reader's buffer is cut to 255 characters.
    unit->customName = std::string(300, 'n').c_str();
    const std::string cut = Save(*unit, m_Table);
    EXPECT_EQ(CRecordBytes::I32At(cut, NameLengthAt), 256);
    auto loaded = Make();
    ASSERT_TRUE(Load(*loaded, cut, m_Table) && std::string(loaded->customName.GetBuffer()) == std::string(255, 'n'));
}

TEST_F(UnitSaveRecord, SaveLoadSaveGivesTheSameBytesAndLinksTheNewObjects)
{
    auto unit = Known(), enemy = Make(3, UNIT_ARCHER);
    std::unique_ptr<CBuilding> mine(m_World.Player(0).BuildingFactory(CastBarracks, 0, 0, 0));
    unit->customName = "Sir Test", unit->routeEnd = 2, unit->route[1] = 6, unit->currentStep = 1, unit->tornApart = 1;
    unit->AddWaypoint(8, 9), unit->targetUnit = unit->attacker = unit->followedUnit = enemy.get();
    unit->actionTargetBuilding = unit->targetBuilding = mine.get(), unit->deadline = SysClock::TickCount() + 700;
    m_Table.AddUnit(unit.get()), m_Table.AddUnit(enemy.get()), m_Table.AddBuilding(mine.get());
    const std::string first = Save(*unit, m_Table);

    auto unitAgain = Make(), enemyAgain = Make(3, UNIT_ARCHER);
    std::unique_ptr<CBuilding> mineAgain(m_World.Player(0).BuildingFactory(CastBarracks, 0, 0, 0));
    CReferenceBase again;
    again.AddUnit(unitAgain.get()), again.AddUnit(enemyAgain.get()), again.AddBuilding(mineAgain.get());
    ASSERT_TRUE(Load(*unitAgain, first, again) && Save(*unitAgain, again) == first);
    const CUnit& u = *unitAgain;
    EXPECT_TRUE(u.targetUnit == enemyAgain.get() && u.attacker == u.targetUnit && u.followedUnit == u.targetUnit);
    EXPECT_TRUE(u.actionTargetBuilding == mineAgain.get() && u.targetBuilding == mineAgain.get() &&
                u.actionTargetUnit == nullptr && u.deadline == SysClock::TickCount() + 700);
    // Shown on the map when saved, it holds its blocks again; the hit time and the awaited answer are not saved.
    EXPECT_TRUE(std::string(u.customName.GetBuffer()) == "Sir Test" && u.GetLife() == UnitLife::OnMap &&
                u.IsFootprintRegistered() && u.lastHitTime == 0u && u.awaitingMoveAnswer == 0 && u.tornApart == 1);
}

TEST_F(UnitSaveRecord, TheTypesOwnPartFollowsTheBaseRecordReadsBackExactlyAndDamagedOnesAreRefused)
{
    CExtraUnit unit;
    ASSERT_TRUE(Load(unit, KnownRecord() + "XTRA", m_Table) && Save(unit, m_Table) == KnownRecord() + "XTRA");
    CTestLog log;
    EXPECT_FALSE(Load(unit, KnownRecord() + "YTRA", m_Table));
    EXPECT_TRUE(log.Contains("Unit record refused: the type's own part is damaged"));
    // The worker's: carried kind and amount, harvest point, a flag, the purse, a flag.  The galley's: cycle
    // ticks, wave ticks, two shot flags.  A saved-back part left empty is the part read.
    const std::string worker = CRecordBytes().I32(CUnitWorker::KindGold).I32(7).I32(31).I32(12).U8(1)
                                   .F32(0.5f).F32(0.0f).F32(0.25f).U8(1).Bytes();
    const std::string galley = CRecordBytes().I32(119).I32(128).U8(1).U8(0).Bytes();
    ASSERT_TRUE(worker.size() == 30 && galley.size() == 10);
    const char* const Flag = "a flag is neither 0 nor 1", * const OffMap = "a worker's harvest point is off the map";
    const std::string lastBlock = CRecordBytes::WithI32At(CRecordBytes::WithI32At(worker, 8, 255), 12, 255);
    const std::string emptyHanded = CRecordBytes().I32(0).I32(0).I32(0).I32(0).Bytes() + worker.substr(16);
    const char* const PriestTimers = "a priest's heal or sparkle timer is out of range";
    const struct { int32_t type; std::string bytes, savedBack; const char* reason; } cases[] = {
        {UNIT_WORKER, worker, worker, nullptr}, {UNIT_WORKER, worker.substr(0, 29), "", "the record is cut short"},
        {UNIT_WORKER, CRecordBytes::WithI32At(worker, 0, 5), "", "a worker's carried kind is out of range"},
        {UNIT_WORKER, CRecordBytes::WithI32At(worker, 8, -3), "", OffMap}, {UNIT_WORKER, lastBlock, lastBlock, nullptr},
        {UNIT_WORKER, emptyHanded, emptyHanded, nullptr},
        {UNIT_WORKER, CRecordBytes::WithI32At(worker, 8, 256), "", OffMap},
        {UNIT_WORKER, CRecordBytes::WithI32At(worker, 12, 256), "", OffMap},
        {UNIT_WORKER, CRecordBytes::WithF32At(worker, 17, -1.0f), "", "a worker's repair purse is out of range"},
        {UNIT_WORKER, std::string(worker).replace(16, 1, 1, '\x02'), "", Flag},
        {UNIT_WARGALLEY, galley, galley, nullptr}, {UNIT_WARGALLEY, galley.substr(0, 9), "", "the record is cut short"},
        {UNIT_WARGALLEY, std::string(10, '\0'), std::string(10, '\0'), nullptr},
        // A wave count run up off the map comes back as the longest wait.
        {UNIT_WARGALLEY, CRecordBytes::WithI32At(galley, 4, 4096), galley, nullptr},
        // A count past its cycle carries over into the cycle it reached; a negative one is damage.
        {UNIT_WARGALLEY, CRecordBytes::WithI32At(galley, 0, 245), CRecordBytes::WithI32At(galley, 0, 5), nullptr},
        {UNIT_WARGALLEY, CRecordBytes::WithI32At(galley, 0, -1), "", "the attack cycle's ticks are out of range"},
        {UNIT_WARGALLEY, CRecordBytes::WithI32At(galley, 4, -1), "", "the wave count is negative"},
        {UNIT_WARGALLEY, std::string(galley).replace(9, 1, 1, '\x02'), "", Flag},
        // Hit count, then the blow and death-sound flags the type keeps.
        {UNIT_WARRIOR, Bytes().I32(Count).Bytes(), "", nullptr},
        {UNIT_WARRIOR, Bytes().I32(-1).Bytes(), "", "the hit count is negative"},
        {UNIT_KNIGHT, Bytes().I32(Count).U8(1).U8(0).U8(1).Bytes(), "", nullptr},
        {UNIT_KNIGHT, Bytes().I32(Count).U8(1).U8(0).Bytes(), "", "the record is cut short"},
        {UNIT_KNIGHT, Bytes().I32(Count).U8(2).U8(0).U8(0).Bytes(), "", Flag},
        {UNIT_LIGHTCAVALRY, Bytes().I32(Count).U8(1).Bytes(), "", nullptr},
        {UNIT_GIANT, Bytes().I32(Count).U8(1).U8(0).U8(1).Bytes(), "", nullptr},
        {UNIT_UNDEAD, Bytes().I32(Count).U8(1).Bytes(), "", nullptr},
        {UNIT_UNDEAD, Bytes().I32(Count).Bytes(), "", "the record is cut short"},
        {UNIT_UNDEAD, Bytes().I32(-1).U8(1).Bytes(), "", "the hit count is negative"},
        // Hit count, then the rider's and the horse's cry flags.
        {UNIT_HEAVYCAVALRY, Bytes().I32(0).U8(1).U8(1).Bytes(), "", nullptr},
        {UNIT_HEAVYCAVALRY, Bytes().I32(2).U8(1).U8(3).Bytes(), "", Flag},
        {UNIT_HEAVYCAVALRY, Bytes().I32(2).U8(1).Bytes(), "", "the record is cut short"},
        {UNIT_HEAVYCAVALRY, Bytes().I32(-1).U8(1).U8(1).Bytes(), "", "the hit count is negative"},
        // Shot released.
        {UNIT_ARCHER, Bytes().U8(0).Bytes(), "", nullptr}, {UNIT_ARCHER, "", "", "the record is cut short"},
        {UNIT_CROSSBOWMAN, Bytes().U8(0xFF).Bytes(), "", Flag},
        // Thrown, then the release point x, height, y.
        {UNIT_CATAPULT, Bytes().U8(1).F32(0.25f).F32(41.0f).F32(-0.125f).Bytes(), "", nullptr},
        {UNIT_CATAPULT, Bytes().U8(1).F32(0.25f).F32(41.0f).Bytes(), "", "the record is cut short"},
        {UNIT_CATAPULT, Bytes().U8(2).F32(0.25f).F32(41.0f).F32(-0.125f).Bytes(), "", Flag},
        {UNIT_CATAPULT, Bytes().U8(1).F32(0.25f).F32(NotANumber).F32(-0.125f).Bytes(), "",
         "the release point is no finite number"},
        // Cast released, heal progress, sparkle timer.
        {UNIT_PRIEST, Bytes().U8(1).F32(0.5f).F32(0.25f).Bytes(), "", nullptr},
        {UNIT_PRIEST, Bytes().U8(1).F32(0.5f).Bytes(), "", "the record is cut short"},
        {UNIT_PRIEST, Bytes().U8(1).F32(NotANumber).F32(0.25f).Bytes(), "", PriestTimers},
        {UNIT_PRIEST, Bytes().U8(1).F32(2.0f).F32(0.25f).Bytes(), "", PriestTimers},
        // Fired, aura handle, cast block.
        {UNIT_DEMON, Bytes().U8(1).I32(5).I32(12).I32(40).Bytes(), "", nullptr},
        {UNIT_DEMON, Bytes().U8(2).I32(5).I32(12).I32(40).Bytes(), "", Flag},
        {UNIT_DEMON, Bytes().U8(1).I32(-2).I32(12).I32(40).Bytes(), "", "a bad aura handle"},
        {UNIT_DEMON, Bytes().U8(1).I32(5).I32(12).I32(256).Bytes(), "", "a cast block off the map"},
        // Shot released, bubble ticks, bubble.
        {UNIT_QUIB, Bytes().U8(1).I32(150).I32(6).Bytes(), "", nullptr},
        {UNIT_QUIB, Bytes().U8(1).I32(150).I32(7).Bytes(), "", "the speech bubble's number is out of range"},
        {UNIT_QUIB, Bytes().U8(1).I32(201).I32(0).Bytes(), "", "the speech bubble's ticks are out of range"},
        {UNIT_QUIB, Bytes().U8(2).I32(0).I32(0).Bytes(), "", Flag},
        {UNIT_QUIB, Bytes().U8(1).I32(150).Bytes(), "", "the record is cut short"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.type << ": " << (c.reason ? c.reason : "accepted"));
        auto unit = Make(1, c.type);
        const std::string before = SaveExtra(*unit, m_Table);
        CTestLog log;
        CMemorySaveStream in(c.bytes);
        EXPECT_EQ(unit->LoadGameExtra(in, m_Table) && !in.HasError(), c.reason == nullptr);
        const std::string& read = c.savedBack.empty() ? c.bytes : c.savedBack;
        EXPECT_EQ(SaveExtra(*unit, m_Table), c.reason == nullptr ? read : before);
        EXPECT_TRUE(c.reason == nullptr || log.Contains(std::string("Unit record refused: ") + c.reason));
        if (c.type == UNIT_DEMON)
            static_cast<CUnitDemon&>(*unit).aura = -1;   // no emitter of this world
    }
    // A demon's aura handle read back names another particle: hiding the demon leaves that one alone.
    auto demon = Make(1, UNIT_DEMON);
    const int32_t flame = g_Particles.AddKind35(1.0f, 2.0f, 3.0f);
    static_cast<CUnitDemon&>(*demon).aura = flame;
    demon->onHidden();
    EXPECT_NE(g_Particles.FindEmitter(flame), nullptr);
    g_Particles.Reset();
}

TEST_F(UnitSaveRecord, ADeadlineIsKeptRelativeADestroyedTargetBuildingIsWrittenAsNoneAndTheDeadKeepTheirState)
{
    auto unit = Known();
    const uint32_t savedAt = SysClock::TickCount();
    unit->deadline = savedAt + 1500;
    const std::string due = Save(*unit, m_Table);
    unit->deadline = savedAt - 200;
    const std::string passed = Save(*unit, m_Table);
    EXPECT_EQ(std::pair(CRecordBytes::I32At(due, DeadlineAt), CRecordBytes::I32At(passed, DeadlineAt)),
              std::pair(1500, -200));

    SysClock::AdvanceTestClock(60000);
    auto loaded = Make();
    for (const auto& [bytes, deadline] : {std::pair{due, savedAt + 60000 + 1500}, {passed, savedAt + 60000 - 200},
                                          {CRecordBytes::WithI32At(due, DeadlineAt, 0), 0u},
                                          // due right at the clock's wrap, where 0 would mean no deadline
                                          {CRecordBytes::WithI32At(due, DeadlineAt, -int32_t(savedAt + 60000)), 1u}})
        EXPECT_TRUE(Load(*loaded, bytes, m_Table) && loaded->deadline == deadline) << deadline;

    CUnit* warrior = m_World.Spawn(0, UNIT_WARRIOR, 5, 5);
    CBuilding* barracks = m_World.Player(0).CreateBuilding(CastBarracks, 12, 12);
    ASSERT_TRUE(warrior != nullptr && barracks != nullptr);
    warrior->targetBuilding = warrior->actionTargetBuilding = barracks;
    barracks->Destroy(false), m_Table.AddUnit(warrior);
    const std::string bytes = Save(*warrior, m_Table);
    EXPECT_TRUE(CRecordBytes::I32At(bytes, TargetBuildingAt) == -1 &&
                CRecordBytes::I32At(bytes, ActionTargetBuildingAt) == -1);
    loaded = Make(0);
    ASSERT_TRUE(Load(*loaded, bytes, m_Table));
    EXPECT_TRUE(loaded->targetBuilding == nullptr && loaded->actionTargetBuilding == nullptr);

    // A corpse and a dying unit come back in their state.
    auto dead = Known();
    dead->health = 0.0f, dead->animType = ANIM_CORPSE;
    ASSERT_TRUE(Load(*loaded, Save(*dead, m_Table), m_Table));
    EXPECT_TRUE(loaded->GetLife() == UnitLife::Corpse && !loaded->IsFootprintRegistered());
    dead->animType = ANIM_DIE;
    ASSERT_TRUE(Load(*loaded, Save(*dead, m_Table), m_Table) && loaded->GetLife() == UnitLife::Dying);
}

TEST_F(UnitSaveRecord, RecordsCutShortAnywhereOrWithFieldsOutOfRangeAreRefusedAndTheUnitKeepsItsState)
{
    auto unit = Known(), fresh = Make();
    unit->customName = "Cut", unit->routeEnd = 1, unit->AddWaypoint(1, 2);
    const std::string whole = Save(*unit, m_Table), freshBytes = Save(*fresh, m_Table);
    CTestLog log;
    for (size_t length = 0; length < whole.size(); ++length)
        ASSERT_TRUE(!Load(*fresh, whole.substr(0, length), m_Table) && Save(*fresh, m_Table) == freshBytes) << length;
    EXPECT_EQ(log.Count("Unit record refused: the record is cut short"), int(whole.size()));

    unit->routeEnd = 2, unit->route[1] = 8;
    const std::string good = KnownRecord(), badDirection = Save(*unit, m_Table);
    // Never placed: the off-map marker loads, but is no place on the map.
    auto neverPlaced = Make();
    const std::string offMap = Save(*neverPlaced, m_Table);
    ASSERT_TRUE(Load(*neverPlaced, offMap, m_Table) && neverPlaced->GetLife() == UnitLife::OffMap);
    std::string longest = CRecordBytes::WithI32At(good, PathLengthAt, 512);   // the longest path, step -1 behind it
    EXPECT_TRUE(Load(*Make(), longest.insert(PathLengthAt + 4, std::string(512, '\2')), m_Table));
    // A one-block unit on the last column of the largest map loads (a warrior's part: its hit count).
    auto edge = Make(2, UNIT_WARRIOR);
    const std::string lastColumn = CRecordBytes::WithF32At(CRecordBytes::WithI32At(good, TileAt, 255), 1, 255.5f);
    EXPECT_TRUE(Load(*edge, lastColumn + Bytes().I32(0).Bytes(), m_Table) && edge->x == 255 && edge->centreX == 255.5f);
    // One waypoint: on the map's last block it loads.
    const auto oneWaypoint = [&](int32_t x, int32_t y) {
        return CRecordBytes::WithI32At(good, WaypointCountAt, 1).insert(WaypointCountAt + 4, Bytes().I32(x).I32(y).Bytes());
    };
    EXPECT_TRUE(Load(*Make(), oneWaypoint(255, 255), m_Table));
    // Each field at either end of its range loads (a point -1 is none); the cases below go one past.
    const std::pair<size_t, int32_t> ends[] = {{PlayerIndexAt, 7}, {FacingAt, 0}, {FacingAt, 359},
        {ShownFacingAt, -360},
        {ShownFacingAt, 720}, {CurrentStepAt, -1}, {CurrentStepAt, 512}, {MoveDestinationAt, 255},
        {MoveDestinationAt + 4, -1}, {TargetPointAt + 4, 255}, {ReturnPointAt, -1}, {ResourceKindAt, 0},
        {ResourceKindAt, 4}, {MinRangeAt, 256}, {MaxRangeAt, 0}, {SightAt, 256}, {SightAt, 0}};
    for (const auto& [at, value] : ends)
        EXPECT_TRUE(Load(*Make(), CRecordBytes::WithI32At(good, at, value), m_Table)) << at << ": " << value;
    const char* const Facing = "the facing is out of range", * const Step = "the current step is out of range";
    const char* const Point = "a point of the orders lies outside the map", * const Range = "a range is out of range";
    const auto at = [&good](size_t offset, int32_t value) { return CRecordBytes::WithI32At(good, offset, value); };
    const char* const Name = "the name length is out of range", * const Player = "the player index is out of range";
    const char* const Tile = "the tile lies outside the map", * const Percent = "health or starvation is not a percent";
    const struct { std::string bytes; const char* reason; } cases[] = {
        {oneWaypoint(256, 0), "a waypoint lies outside the map"}, {oneWaypoint(0, 256), "a waypoint lies outside the map"},
        {at(NameLengthAt, 257), Name}, {at(NameLengthAt, 0), Name}, {at(NameLengthAt, -1), Name},
        {std::string(good).replace(NameAt, 1, 1, 'x'), "the name has no terminating zero"},
        {at(PathLengthAt, 513), "the path is longer than a route holds"},
        {at(WaypointCountAt, 65), "the waypoint count is out of range"}, {at(PlayerIndexAt, 8), Player},
        {at(PlayerIndexAt, -1), Player}, {at(FacingAt, 360), Facing}, {at(FacingAt, -1), Facing},
        {at(ShownFacingAt, 721), Facing}, {at(ShownFacingAt, -361), Facing}, {at(CurrentStepAt, 513), Step},
        {at(CurrentStepAt, -2), Step}, {at(MoveDestinationAt, 256), Point}, {at(ReturnPointAt + 4, -2), Point},
        {at(ResourceKindAt, 5), "the resource kind is out of range"}, {at(MinRangeAt, 257), Range},
        {at(MinRangeAt, -1), Range}, {at(SightAt, -1), Range}, {at(TileAt, 256), Tile}, {at(TileAt, -1), Tile},
        {CRecordBytes::WithF32At(good, HealthAt, 100.5f), Percent},
        {CRecordBytes::WithF32At(good, HealthAt, std::nanf("")), Percent},
        {at(AnimTypeAt, 14), "the animation type is out of range"}, {at(CommandAt, 19), "the command is out of range"},
        {at(StanceAt, 0), "the stance is out of range"},
        {std::string(good).replace(0, 1, 1, '\x02'), "a flag is neither 0 nor 1"},
        {badDirection, "a path direction is out of range"},
        {std::string(offMap).replace(0, 1, 1, '\x01'), "the tile lies outside the map"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.reason);
        CTestLog log;
        auto loaded = Make();
        const std::string before = Save(*loaded, m_Table);
        EXPECT_TRUE(!Load(*loaded, c.bytes, m_Table) && log.Contains(std::string("Unit record refused: ") + c.reason) &&
                    Save(*loaded, m_Table) == before);
    }
}
