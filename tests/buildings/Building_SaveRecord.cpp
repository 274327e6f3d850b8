#include <cmath>

#include "tests/buildings/BuildingWorld.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/RecordBytes.h"
#include "world/C_ReferenceBase.h"

namespace
{
// Offsets worked out from the item widths; q queue entries move what follows them.
constexpr size_t HealthAt = 8, OwnerAt = 16, PlacedAt = 24, QueueCountAt = 38, QueueAt = 42;
constexpr size_t ProductionStateAt(size_t q) { return 50 + 4 * q; }
constexpr size_t ResearchAt(size_t q) { return 66 + 4 * q; }
constexpr size_t FireCapacityAt(size_t q) { return 74 + 4 * q; }
constexpr size_t FireCountAt(size_t q) { return 78 + 4 * q; }
constexpr size_t FiresAt(size_t q) { return 86 + 4 * q; }
constexpr size_t FireRecordBytes = 24;
constexpr int32_t BarracksFires = 10;

class BuildingSaveRecord : public ::testing::Test
{
protected:
    std::unique_ptr<CBuilding> Make(int32_t cast)
    {
        return std::unique_ptr<CBuilding>(m_World.Player(1).BuildingFactory(cast, 0, 0, 0));
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
        barracks->x = 10, barracks->y = 12, barracks->health = 55.0f, barracks->buildProgress = 100.0f;
        barracks->queue[0] = barracks->queue[2] = &g_UnitStats[2], barracks->queue[1] = &g_UnitStats[3];
        barracks->queueCount = 3, barracks->productionUnit = waiting, barracks->productionState = 3;
        CTechnology& research = m_World.Player(1).technologies[11];
        research.progress = 30.0f, research.researchingBuilding = barracks.get(), barracks->research = &research;
        barracks->fireCount = 3, barracks->firePositions[1].particle = 9, barracks->fireAmount = 2;
        barracks->savedCornerTextures[5][6] = 200, barracks->savedCornerHeights[5][6] = 70, barracks->exitRequests = 4;
        return barracks;
    }

    CBuildingWorld m_World;
    CReferenceBase m_Table;
};
}  // namespace

TEST_F(BuildingSaveRecord, OneByOneWallWritesEveryItemInOrderAndBusyBarracksRoundTripsAndRefusesItCutShort)
{
    auto wall = Make(CastWall);
    wall->x = 3, wall->y = 4, wall->health = 80.0f, wall->buildProgress = 100.0f, wall->controlGroup = 2;
    wall->placed = 1, wall->scriptTag = 11, wall->attackEventArmed = 0, wall->model = 196, wall->animTime = 1.5f;
    for (int32_t i = 0; i < 4; ++i)
        wall->savedCornerTextures[i / 2][i % 2] = 1 + i, wall->savedCornerHeights[i / 2][i % 2] = 10 * (1 + i);
    wall->drawPosition[0] = 3.5f, wall->drawPosition[1] = 1.25f, wall->drawPosition[2] = 4.5f;

    CRecordBytes expected;
    expected.I32(3).I32(4).F32(80.0f).F32(100.0f).I32(1).I32(2).U8(1).I32(11).U8(0).I32(196).F32(1.5f);
    expected.I32(0).F32(0.0f).I32(-1).I32(0);         // no queue entries; progress, no waiting unit, state
    expected.I32(-1).I32(-1).I32(0).I32(-1).I32(-1);  // no rally point, pending command; no research
    expected.I32(0).I32(0).I32(0);                    // fire capacity, count, level; no records
    expected.I32(1).I32(2).I32(10).I32(20);           // corner row 0: textures, heights
    expected.I32(3).I32(4).I32(30).I32(40);           // corner row 1
    expected.F32(3.5f).F32(1.25f).F32(4.5f).I32(0);
    expected.I32(0).F32(0.0f).F32(0.0f);              // the wall's own extra: a post, flat
    EXPECT_EQ(Save(*wall, m_Table), expected.Bytes());

    // A busy barracks writes its queue, fires and corners, gets them back, and refuses its record cut short anywhere.
    CUnit* waiting = m_World.Player(1).UnitFactory(UNIT_WARRIOR);
    auto barracks = BusyBarracks(waiting);
    m_Table.AddBuilding(barracks.get()), m_Table.AddUnit(waiting);
    const std::string first = Save(*barracks, m_Table);
    // Three queue entries, ten fire records, 6 rows of 7 + 7 corners.
    ASSERT_EQ(first.size(), 690u);
    const size_t q = 3, lastRow = FiresAt(q) + FireRecordBytes * BarracksFires + 5 * 56;
    const struct { size_t at; int32_t value; } items[] = {
        {QueueCountAt, 3}, {QueueAt, 2}, {QueueAt + 4, 3},
        {ProductionStateAt(q) - 4, 1},   // the waiting unit's id
        {ResearchAt(q), 1}, {ResearchAt(q) + 4, 11}, {FireCapacityAt(q), BarracksFires}, {FireCountAt(q), 3},
        {FiresAt(q) + FireRecordBytes + 20, 9},   // record 1: threshold, offset, size, then its particle
        {lastRow + 24, 200}, {lastRow + 52, 70},   // 7 textures, then 7 heights
        {first.size() - 4, 4},                      // exit requests
    };
    for (const auto& item : items) EXPECT_EQ(CRecordBytes::I32At(first, item.at), item.value) << item.at;

    CUnit* waitingAgain = m_World.Player(1).UnitFactory(UNIT_WARRIOR);   // owned, and freed, by `again`
    auto again = Make(CastBarracks);
    CReferenceBase table;
    table.AddBuilding(again.get()), table.AddUnit(waitingAgain), again->productionUnit = waitingAgain;
    ASSERT_TRUE(Load(*again, first, table) && Save(*again, table) == first);
    CTechnology& research = m_World.Player(1).technologies[11];
    EXPECT_TRUE(again->research == &research && research.researchingBuilding == again.get() &&
                again->queue[1] == &g_UnitStats[3] && again->queue[3] == nullptr);
    research.researchingBuilding = nullptr;

    // Cut short anywhere, the record is refused and the building keeps its state.
    auto fresh = Make(CastBarracks);
    const std::string freshBytes = Save(*fresh, m_Table);
    CTestLog log;
    for (size_t length = 0; length < first.size(); ++length)
        ASSERT_TRUE(!Load(*fresh, first.substr(0, length), m_Table) && Save(*fresh, m_Table) == freshBytes) << length;
    EXPECT_EQ(log.Count("Building record refused: the record is cut short"), int(first.size()));
    research.researchingBuilding = nullptr;
}

TEST_F(BuildingSaveRecord, OutOfRangeFieldsAreRefusedWithTheirReason)
{
    auto barracks = Make(CastBarracks);
    barracks->queue[0] = &g_UnitStats[2], barracks->queueCount = 1;
    barracks->x = 251, barracks->y = 0;   // the last column a 5-wide footprint fits
    const std::string good = Save(*barracks, m_Table);
    ASSERT_TRUE(Load(*Make(CastBarracks), good, m_Table));
    // Id 0 names a warrior of player 2; the barracks is player 1's.
    const std::unique_ptr<CUnit> foreign(m_World.Player(2).UnitFactory(UNIT_WARRIOR));
    ASSERT_EQ(m_Table.AddUnit(foreign.get()), 0);

    const size_t q = 1, corner = FiresAt(q) + FireRecordBytes * BarracksFires;
    const auto with = [&](size_t at, int32_t value) { return CRecordBytes::WithI32At(good, at, value); };
    const auto f32 = [&](size_t at, float value) { return CRecordBytes::WithF32At(good, at, value); };
    const char *queue = "the queue count is out of range", *entry = "a queue entry's type record is out of range";
    const char *research = "the research is out of range", *owner = "the owner is out of range";
    const char *capacity = "the fire capacity differs from the building type's", *number = "a number is not finite";
    const char *unit = "the production unit is no unit of the building's owner";
    const char *texture = "a corner texture is out of range", *percent = "health or progress is not a percent";
    const char *rally = "the rally point lies outside the map", *fire = "a fire record is not finite";
    const char* footprint = "the footprint lies outside the map";
    const struct { std::string bytes; const char* reason; } cases[] = {
        {with(QueueCountAt, 29), queue}, {with(QueueCountAt, -1), queue}, {with(QueueAt, 100), entry},
        {with(QueueAt, -1), entry}, {with(ResearchAt(q), 8), research},
        {CRecordBytes::WithI32At(with(ResearchAt(q), 0), ResearchAt(q) + 4, 61), research},
        {with(ResearchAt(q) + 4, 5), research},
        {CRecordBytes::WithI32At(with(ResearchAt(q), 2), ResearchAt(q) + 4, 5), "the research is another player's"},
        {with(FireCapacityAt(q), 11), capacity}, {with(FireCapacityAt(q), 9), capacity},
        {with(FireCountAt(q), 11), "the fire count is out of range"},
        {with(FiresAt(q) + 20, -2), "a fire's particle is out of range"},
        {with(OwnerAt, 8), owner}, {with(OwnerAt, -2), owner}, {with(0, 252), footprint}, {with(4, -5), footprint},
        {with(ProductionStateAt(q), 7), "the production state is out of range"},
        {with(ProductionStateAt(q) - 4, 0), unit}, {with(ProductionStateAt(q) - 4, 1), unit},
        {with(corner, 256), texture}, {f32(HealthAt, 101.0f), percent}, {f32(HealthAt, std::nanf("")), percent},
        {std::string(good).replace(PlacedAt, 1, 1, '\x02'), "a flag is neither 0 nor 1"},
        {f32(HealthAt + 4, 100.01f), percent}, {f32(QueueAt + 4 * q, -0.01f), percent},
        {f32(HealthAt, -0.01f), percent}, {f32(PlacedAt + 10, INFINITY), number},
        {f32(good.size() - 8, std::nanf("")), number},
        {with(ProductionStateAt(q) + 4, 256), rally}, {with(ProductionStateAt(q) + 8, 256), rally},
        {with(ProductionStateAt(q) + 4, -2), rally},  {with(ProductionStateAt(q) + 8, -2), rally},
        {with(good.size() - 4, -1), "the exit request count is negative"},
        {with(FireCountAt(q) + 4, -1), "the fire level is negative"},
        {f32(FiresAt(q), NAN), fire}, {f32(FiresAt(q) + FireRecordBytes + 8, NAN), fire},
        {f32(FiresAt(q) + 40, NAN), fire}, {with(corner + 4, -1), texture}, {with(0, -1), footprint},
        {CRecordBytes::WithI32At(with(0, -1), 4, -1).replace(PlacedAt, 1, 1, '\x01'), footprint},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.reason);
        CTestLog log;
        auto loaded = Make(CastBarracks);
        const std::string before = Save(*loaded, m_Table);
        EXPECT_TRUE(!Load(*loaded, c.bytes, m_Table) && Save(*loaded, m_Table) == before &&
                    log.Contains(std::string("Building record refused: ") + c.reason));
    }
    // The edges themselves load; so does a building off the map with both places -1.
    const std::string edges[] = {with(OwnerAt, 7), with(OwnerAt, -1), with(ProductionStateAt(q), 6),
                                 with(ProductionStateAt(q) + 4, 255), with(ProductionStateAt(q) + 8, -1),
                                 with(corner, 255), f32(HealthAt + 4, 100.0f),
                                 with(FireCountAt(q), BarracksFires), CRecordBytes::WithI32At(with(0, -1), 4, -1)};
    for (const std::string& bytes : edges) EXPECT_TRUE(Load(*Make(CastBarracks), bytes, m_Table)) << &bytes - edges;
}
