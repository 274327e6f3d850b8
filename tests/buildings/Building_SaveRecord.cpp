// A building's record in a saved game: its bytes item by item, the round
// trip into a building made again by the factory (queue, waiting unit,
// research and fires restored), the whole game table through the save
// file, and damaged records refused with the building left as it was made.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "tests/buildings/BuildingWorld.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/TestLog.h"
#include "tests/world/SaveGame_Fixture.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_ReferenceBase.h"
#include "world/C_SaveGame.h"
#include "world/C_UnitStats.h"

namespace
{
// Offsets worked out from the item widths; q queue entries and c fire
// records move what follows them.
constexpr size_t HealthAt = 8;
constexpr size_t OwnerAt = 16;
constexpr size_t PlacedAt = 24;
constexpr size_t QueueCountAt = 38;
constexpr size_t QueueAt = 42;
constexpr size_t ProductionStateAt(size_t q) { return 50 + 4 * q; }
constexpr size_t ResearchAt(size_t q) { return 66 + 4 * q; }
constexpr size_t FireCapacityAt(size_t q) { return 74 + 4 * q; }
constexpr size_t FireCountAt(size_t q) { return 78 + 4 * q; }
constexpr size_t FiresAt(size_t q) { return 86 + 4 * q; }
constexpr size_t FireRecordBytes = 24;
constexpr size_t CornersAt(size_t q, size_t c) { return FiresAt(q) + FireRecordBytes * c; }
// 102 bytes besides the queue, the fires and the corners.
constexpr size_t RecordSize(size_t q, size_t c, size_t w, size_t d)
{
    return 102 + 4 * q + FireRecordBytes * c + 8 * (w + 1) * (d + 1);
}
constexpr int32_t BarracksFires = 10;
constexpr int32_t BarracksWidth = 5;
constexpr int32_t BarracksDepth = 6;

class BuildingSaveRecord : public SaveGameTest
{
protected:
    std::unique_ptr<CBuilding> Make(int32_t cast, int32_t player = 1)
    {
        return std::unique_ptr<CBuilding>(m_World.Player(player).BuildingFactory(cast, 0, 0, 0));
    }

    static std::string Save(const CBuilding& building, const CObjectReferences& table)
    {
        CMemorySaveStream stream;
        EXPECT_TRUE(building.SaveGame(stream, table));
        return stream.Bytes();
    }
    static bool Load(CBuilding& building, const std::string& bytes, const CObjectReferences& table)
    {
        CMemorySaveStream stream(bytes);
        const bool loaded = building.LoadGame(stream, table);
        EXPECT_EQ(loaded, !stream.HasError());
        return loaded;
    }

    // A barracks at work: three queued units, the first finished and
    // waiting for an exit, a research under way and fires burning.
    std::unique_ptr<CBuilding> BusyBarracks(CUnit* waiting)
    {
        auto barracks = Make(CastBarracks);
        barracks->x = 10;
        barracks->y = 12;
        barracks->health = 55.0f;
        barracks->buildProgress = 100.0f;
        barracks->queue[0] = &g_UnitStats[2];
        barracks->queue[1] = &g_UnitStats[3];
        barracks->queue[2] = &g_UnitStats[2];
        barracks->queueCount = 3;
        barracks->progress = 40.0f;
        barracks->productionUnit = waiting;
        barracks->productionState = 3;
        barracks->rallyX = 20;
        barracks->rallyY = 21;
        barracks->pendingCommand = 5;
        CTechnology& research = m_World.Player(1).technologies[11];
        research.progress = 30.0f;
        research.researchingBuilding = barracks.get();
        barracks->research = &research;
        barracks->fireCount = 3;
        barracks->firePositions[0].particle = 5;
        barracks->firePositions[1].particle = 9;
        barracks->fireAmount = 2;
        barracks->savedCornerTextures[5][6] = 200;
        barracks->savedCornerHeights[0][0] = -12;
        barracks->savedCornerHeights[5][6] = 70;
        barracks->drawPosition[1] = 3.0f;
        barracks->exitRequests = 4;
        return barracks;
    }

    BuildingWorld m_World;
    CReferenceBase m_Table;
};
}  // namespace

TEST_F(BuildingSaveRecord, OneByOneWallWritesEveryItemAndTwoByTwoCornersOfEachKind)
{
    auto wall = Make(CastWall);
    ASSERT_EQ(wall->GetWidth(), 1);
    ASSERT_EQ(wall->GetDepth(), 1);
    ASSERT_EQ(wall->fireCapacity, 0);
    wall->x = 3;
    wall->y = 4;
    wall->health = 80.0f;
    wall->buildProgress = 100.0f;
    wall->controlGroup = 2;
    wall->placed = 1;
    wall->scriptTag = 11;
    wall->attackEventArmed = 0;
    wall->model = 196;
    wall->animTime = 1.5f;
    wall->savedCornerTextures[0][0] = 1;
    wall->savedCornerTextures[0][1] = 2;
    wall->savedCornerTextures[1][0] = 3;
    wall->savedCornerTextures[1][1] = 4;
    wall->savedCornerHeights[0][0] = 10;
    wall->savedCornerHeights[0][1] = 20;
    wall->savedCornerHeights[1][0] = 30;
    wall->savedCornerHeights[1][1] = 40;
    wall->drawPosition[0] = 3.5f;
    wall->drawPosition[1] = 1.25f;
    wall->drawPosition[2] = 4.5f;

    CRecordBytes expected;
    expected.I32(3).I32(4).F32(80.0f).F32(100.0f).I32(1).I32(2).U8(1).I32(11).U8(0).I32(196).F32(1.5f);
    expected.I32(0);                                  // queue count, no entries
    expected.F32(0.0f).I32(-1).I32(0);                // progress, no waiting unit, state
    expected.I32(-1).I32(-1).I32(0);                  // no rally point, pending command
    expected.I32(-1).I32(-1);                         // no research
    expected.I32(0).I32(0).I32(0);                    // fire capacity, count, level; no records
    expected.I32(1).I32(2).I32(10).I32(20);           // corner row 0: textures, heights
    expected.I32(3).I32(4).I32(30).I32(40);           // corner row 1
    expected.F32(3.5f).F32(1.25f).F32(4.5f).I32(0);
    expected.I32(0).F32(0.0f).F32(0.0f);              // the wall's own part: a post, flat

    const std::string bytes = Save(*wall, m_Table);
    EXPECT_EQ(bytes.size(), RecordSize(0, 0, 1, 1) + 12);
    EXPECT_EQ(bytes.size(), 146u);
    EXPECT_EQ(bytes, expected.Bytes());
    EXPECT_EQ(CRecordBytes::I32At(bytes, OwnerAt), 1);
    EXPECT_EQ(CRecordBytes::I32At(bytes, CornersAt(0, 0) + 8), 10);
    EXPECT_EQ(CRecordBytes::I32At(bytes, CornersAt(0, 0) + 16), 3);
}

TEST_F(BuildingSaveRecord, BusyBarracksWritesQueueFiresAndCornersAndGetsThemBack)
{
    CUnit* waiting = m_World.Player(1).UnitFactory(UNIT_WARRIOR);
    auto barracks = BusyBarracks(waiting);
    m_Table.AddBuilding(barracks.get());
    m_Table.AddUnit(waiting);
    const std::string first = Save(*barracks, m_Table);
    // Three queue entries, ten fire records, 6 rows of 7 + 7 corners.
    ASSERT_EQ(first.size(), RecordSize(3, BarracksFires, BarracksWidth, BarracksDepth));
    EXPECT_EQ(first.size(), 690u);
    EXPECT_EQ(CRecordBytes::I32At(first, QueueCountAt), 3);
    EXPECT_EQ(CRecordBytes::I32At(first, QueueAt), 2);
    EXPECT_EQ(CRecordBytes::I32At(first, QueueAt + 4), 3);
    EXPECT_EQ(CRecordBytes::I32At(first, ProductionStateAt(3) - 4), 1);   // the waiting unit's id
    EXPECT_EQ(CRecordBytes::I32At(first, ResearchAt(3)), 1);
    EXPECT_EQ(CRecordBytes::I32At(first, ResearchAt(3) + 4), 11);
    EXPECT_EQ(CRecordBytes::I32At(first, FireCapacityAt(3)), BarracksFires);
    EXPECT_EQ(CRecordBytes::I32At(first, FireCountAt(3)), 3);
    // Record 1: threshold, offset, size, then its particle.
    EXPECT_EQ(CRecordBytes::I32At(first, FiresAt(3) + FireRecordBytes + 20), 9);
    EXPECT_FLOAT_EQ(CRecordBytes::F32At(first, FiresAt(3)), barracks->firePositions[0].threshold);
    // The last corner row: 7 textures, then 7 heights, the last of them 70.
    const size_t lastRow = CornersAt(3, BarracksFires) + 5 * 56;
    EXPECT_EQ(CRecordBytes::I32At(first, lastRow + 24), 200);
    EXPECT_EQ(CRecordBytes::I32At(first, lastRow + 52), 70);
    EXPECT_EQ(CRecordBytes::I32At(first, first.size() - 4), 4);   // exit requests

    CUnit* waitingAgain = m_World.Player(1).UnitFactory(UNIT_WARRIOR);
    auto again = Make(CastBarracks);
    CReferenceBase table;
    table.AddBuilding(again.get());
    table.AddUnit(waitingAgain);
    again->productionUnit = waitingAgain;   // owned, and freed, by the building
    ASSERT_TRUE(Load(*again, first, table));
    EXPECT_EQ(Save(*again, table), first);

    EXPECT_EQ(again->productionUnit, waitingAgain);
    EXPECT_EQ(again->productionState, 3);
    EXPECT_EQ(again->queueCount, 3);
    EXPECT_EQ(again->queue[1], &g_UnitStats[3]);
    EXPECT_EQ(again->queue[3], nullptr);
    CTechnology& research = m_World.Player(1).technologies[11];
    EXPECT_EQ(again->research, &research);
    EXPECT_EQ(research.researchingBuilding, again.get());
    EXPECT_EQ(again->fireCount, 3);
    EXPECT_EQ(again->firePositions[0].particle, 5);
    EXPECT_EQ(again->firePositions[1].particle, 9);
    EXPECT_EQ(again->fireAmount, 2);
    EXPECT_EQ(again->savedCornerHeights[5][6], 70);
    research.researchingBuilding = nullptr;
}

TEST_F(BuildingSaveRecord, RecordCutShortAnywhereIsRefusedAndTheBuildingKeepsItsState)
{
    CUnit* waiting = m_World.Player(1).UnitFactory(UNIT_WARRIOR);
    auto barracks = BusyBarracks(waiting);
    m_Table.AddUnit(waiting);
    const std::string whole = Save(*barracks, m_Table);
    auto fresh = Make(CastBarracks);
    const std::string freshBytes = Save(*fresh, m_Table);
    for (size_t length = 0; length < whole.size(); ++length)
    {
        EXPECT_FALSE(Load(*fresh, whole.substr(0, length), m_Table)) << length;
        ASSERT_EQ(Save(*fresh, m_Table), freshBytes) << length;
    }
    EXPECT_EQ(Log().Count("Building record refused: the record is cut short"), int(whole.size()));
    m_World.Player(1).technologies[11].researchingBuilding = nullptr;
}

TEST_F(BuildingSaveRecord, OutOfRangeFieldsAreRefusedWithTheirReason)
{
    auto barracks = Make(CastBarracks);
    barracks->queue[0] = &g_UnitStats[2];
    barracks->queueCount = 1;
    barracks->x = 251;   // the last column a 5-wide footprint fits
    barracks->y = 0;
    const std::string good = Save(*barracks, m_Table);
    auto probe = Make(CastBarracks);
    ASSERT_TRUE(Load(*probe, good, m_Table));

    const size_t q = 1;
    const size_t corner = CornersAt(q, BarracksFires);
    struct SCase
    {
        std::string bytes;
        const char* reason;
    };
    const SCase cases[] = {
        {CRecordBytes::WithI32At(good, QueueCountAt, 29), "the queue count is out of range"},
        {CRecordBytes::WithI32At(good, QueueCountAt, -1), "the queue count is out of range"},
        {CRecordBytes::WithI32At(good, QueueAt, 100), "a queue entry's type record is out of range"},
        {CRecordBytes::WithI32At(good, QueueAt, -1), "a queue entry's type record is out of range"},
        {CRecordBytes::WithI32At(good, ResearchAt(q), 8), "the research is out of range"},
        {CRecordBytes::WithI32At(CRecordBytes::WithI32At(good, ResearchAt(q), 0), ResearchAt(q) + 4, 61),
         "the research is out of range"},
        {CRecordBytes::WithI32At(good, ResearchAt(q) + 4, 5), "the research is out of range"},
        {CRecordBytes::WithI32At(good, FireCapacityAt(q), 11), "the fire capacity differs from the building type's"},
        {CRecordBytes::WithI32At(good, FireCapacityAt(q), 9), "the fire capacity differs from the building type's"},
        {CRecordBytes::WithI32At(good, FireCountAt(q), 11), "the fire count is out of range"},
        {CRecordBytes::WithI32At(good, FiresAt(q) + 20, 65536), "a fire's particle is out of range"},
        {CRecordBytes::WithI32At(good, OwnerAt, 8), "the owner is out of range"},
        {CRecordBytes::WithI32At(good, OwnerAt, -2), "the owner is out of range"},
        {CRecordBytes::WithI32At(good, 0, 252), "the footprint lies outside the map"},
        {CRecordBytes::WithI32At(good, 4, -5), "the footprint lies outside the map"},
        {CRecordBytes::WithI32At(good, ProductionStateAt(q), 7), "the production state is out of range"},
        {CRecordBytes::WithI32At(good, corner, 256), "a corner texture is out of range"},
        {CRecordBytes::WithF32At(good, HealthAt, 101.0f), "health or progress is not a percent"},
        {CRecordBytes::WithF32At(good, HealthAt, std::nanf("")), "health or progress is not a percent"},
        {std::string(good).replace(PlacedAt, 1, 1, '\x02'), "a flag is neither 0 nor 1"},
    };
    for (const SCase& c : cases)
    {
        Log().Clear();
        auto loaded = Make(CastBarracks);
        const std::string before = Save(*loaded, m_Table);
        EXPECT_FALSE(Load(*loaded, c.bytes, m_Table)) << c.reason;
        EXPECT_TRUE(Log().Contains(std::string("Building record refused: ") + c.reason)) << c.reason;
        EXPECT_EQ(Save(*loaded, m_Table), before) << c.reason;
    }
}

TEST_F(BuildingSaveRecord, GameTableRemakesUnitsAndBuildingsFromTheSaveFile)
{
    CUnit* guard = m_World.Player(2).UnitFactory(UNIT_ARCHER);
    g_LocalPlayer = 3;
    auto wall = Make(CastWall, 2);
    wall->owner = -1;   // neutral: made again by the local player's factory
    wall->x = 7;
    wall->y = 8;
    guard->targetBuilding = wall.get();
    g_ReferenceBase.Reset();
    g_ReferenceBase.AddBuilding(wall.get());
    g_ReferenceBase.AddUnit(guard);
    const std::string firstPath = Path("first.save");
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(firstPath.c_str()));
    g_ReferenceBase.SaveGame(save);
    save.Close();
    ASSERT_FALSE(save.HasError());
    delete guard;

    CSaveGame load;
    load.BeginLoad(firstPath.c_str());
    ASSERT_TRUE(g_ReferenceBase.LoadGame(load));
    load.Close();
    EXPECT_FALSE(load.HasError());
    CBuilding* wallAgain = g_ReferenceBase.GetBuilding(0);
    CUnit* guardAgain = g_ReferenceBase.GetUnit(1);
    ASSERT_NE(wallAgain, nullptr);
    ASSERT_NE(guardAgain, nullptr);
    EXPECT_EQ(wallAgain->x, 7);
    EXPECT_EQ(wallAgain->owner, -1);
    EXPECT_EQ(guardAgain->GetCastID(), UNIT_ARCHER);
    EXPECT_EQ(guardAgain->targetBuilding, wallAgain);

    const std::string secondPath = Path("second.save");
    CSaveGame resave;
    ASSERT_TRUE(resave.BeginSave(secondPath.c_str()));
    g_ReferenceBase.SaveGame(resave);
    resave.Close();
    EXPECT_EQ(Bytes(secondPath), Bytes(firstPath));

    g_ReferenceBase.Reset();
    g_LocalPlayer = 0;
    delete guardAgain;
    delete wallAgain;
}
