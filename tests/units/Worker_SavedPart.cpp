// The worker's own part of the unit record: 30 bytes in a fixed order,
// read back byte for byte; a damaged part is refused and changes nothing.
// A game saved while a worker mines inside a gold mine goes on after loading.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"

#include "tests/support/MemorySaveStream.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_Unit_Worker.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_ReferenceBase.h"

TEST(WorkerSavedPart, ThirtyBytesReadBackExactlyAndDamagedPartsAreRefused)
{
    CSimHarness world;
    CReferenceBase table;
    CTestLog log;
    const std::string good = CRecordBytes()
                                 .I32(CUnitWorker::KindGold)
                                 .I32(7)
                                 .I32(31)
                                 .I32(12)
                                 .U8(1)
                                 .F32(0.5f)
                                 .F32(0.0f)
                                 .F32(0.25f)
                                 .U8(1)
                                 .Bytes();
    ASSERT_EQ(good.size(), 30u);
    const struct
    {
        std::string bytes;
        bool accepted;
    } cases[] = {
        {good, true},
        {good.substr(0, 29), false},                          // cut short
        {CRecordBytes::WithI32At(good, 0, 5), false},          // no such kind
        {CRecordBytes::WithI32At(good, 8, -3), false},         // harvest point off the map
        {CRecordBytes::WithF32At(good, 17, -1.0f), false},     // a purse below 0
        {good.substr(0, 16) + '\x02' + good.substr(17), false},  // a flag neither 0 nor 1
    };
    for (const auto& entry : cases)
    {
        SCOPED_TRACE(testing::Message() << entry.bytes.size() << " bytes, accepted " << entry.accepted);
        std::unique_ptr<CUnitWorker> worker(static_cast<CUnitWorker*>(world.Player(1).UnitFactory(UNIT_WORKER)));
        ASSERT_NE(worker, nullptr);
        worker->dismantleProgress = 40.0f;
        CMemorySaveStream in(entry.bytes);
        EXPECT_EQ(worker->LoadGameExtra(in, table) && !in.HasError(), entry.accepted);
        if (!entry.accepted)
        {
            EXPECT_EQ(worker->carriedAmount, 0);
            EXPECT_EQ(worker->purseWood, 0.0f);
            continue;
        }
        // The dismantling is not saved: it starts over.
        EXPECT_EQ(worker->dismantleProgress, 0.0f);
        CMemorySaveStream out;
        worker->SaveGameExtra(out, table);
        EXPECT_EQ(out.Bytes(), entry.bytes);
    }
    EXPECT_TRUE(log.Contains("Unit record refused: a worker's carried kind is out of range"));
}

TEST(WorkerSavedPart, AWorkerSavedInsideAGoldMineMinesOnAfterLoadingAndComesOutWithItsLoad)
{
    CSimHarness world;
    CSaveGameRun::UseSaveLanguage();
    CBuilding* warehouse = world.Player(0).CreateBuilding(CastWarehouse, 2, 2);
    CBuilding* mine = world.Player(0).CreateResource(CUnitWorker::KindGold, 14, 14, 50, 0);
    CUnit* spawned = world.Spawn(0, UNIT_WORKER, 13, 14);
    ASSERT_TRUE(warehouse != nullptr && mine != nullptr && spawned != nullptr);
    warehouse->Construct(0.0f, true);
    spawned->onCommand(nullptr, nullptr, mine, mine->x, mine->y, CMD_HARVEST);
    for (int32_t frame = 0; frame < 20; ++frame)
        CSaveGameRun::Frame(world);
    const std::vector<uint8_t> saved = CSaveGameRun::SaveDrawn();
    ASSERT_TRUE(CSaveGameRun::Load(saved));
    EXPECT_EQ(CSaveGameRun::SaveDrawn(), saved);

    auto* worker = static_cast<CUnitWorker*>(world.Player(0).units[0]);
    ASSERT_EQ(worker->GetCastID(), UNIT_WORKER);
    EXPECT_EQ(worker->onMap, 0);
    EXPECT_EQ(worker->animType, ANIM_MINE_GOLD);
    EXPECT_GT(worker->carriedAmount, 0);
    int32_t frames = 0;
    while (frames++ < 100 && !worker->onMap)
        CSaveGameRun::Frame(world);
    EXPECT_EQ(worker->onMap, 1);
    EXPECT_EQ(worker->carriedAmount, worker->GetCarryLimit());
}
