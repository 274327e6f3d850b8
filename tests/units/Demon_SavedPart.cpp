// The demon's own part of the unit record (fired flag, aura handle, cast
// block), and a game with a standing demon, a smoking blacksmith and a
// burning dark altar that saves, loads and saves again byte for byte.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "effects/C_Particles.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/SimHarness.h"
#include "units/C_Unit_Demon.h"
#include "world/C_ReferenceBase.h"

TEST(DemonSavedPart, ThirteenBytesReadBackAndBadOnesChangeNothing)
{
    CSimHarness world;
    CReferenceBase table;
    const std::string unchanged = CRecordBytes().U8(0).I32(-1).I32(0).I32(0).Bytes();
    const struct
    {
        std::string bytes;
        bool accepted;
    } cases[] = {
        {CRecordBytes().U8(1).I32(5).I32(12).I32(40).Bytes(), true},
        {CRecordBytes().U8(2).I32(5).I32(12).I32(40).Bytes(), false},
        {CRecordBytes().U8(1).I32(-2).I32(12).I32(40).Bytes(), false},
        {CRecordBytes().U8(1).I32(5).I32(12).I32(256).Bytes(), false},
    };
    std::unique_ptr<CUnitDemon> demon(static_cast<CUnitDemon*>(world.Player(1).UnitFactory(UNIT_DEMON)));
    for (const auto& entry : cases)
    {
        CMemorySaveStream in(entry.bytes);
        EXPECT_EQ(demon->LoadGameExtra(in, table) && !in.HasError(), entry.accepted);
        CMemorySaveStream out;
        demon->SaveGameExtra(out, table);
        EXPECT_EQ(out.Bytes(), entry.accepted ? entry.bytes : unchanged);
        CMemorySaveStream reset(unchanged);
        demon->LoadGameExtra(reset, table);
    }
    // A damaged game's aura handle naming another particle leaves it be.
    const int32_t flame = g_Particles.AddKind35(1.0f, 2.0f, 3.0f);
    demon->aura = flame;
    demon->onHidden();
    EXPECT_NE(g_Particles.FindEmitter(flame), nullptr);
    g_Particles.Reset();
}

TEST(DemonSavedPart, AGameWithTheDemonAndTheBurningBuildingsLoadsBackByteForByte)
{
    CSimHarness world;
    CSaveGameRun::UseSaveLanguage();
    g_Particles.Reset();
    ASSERT_NE(world.Spawn(0, UNIT_DEMON, 10, 10), nullptr);
    for (const int32_t cast : {CastBlacksmith, CastDarkAltar})
    {
        CBuilding* building = world.Player(1).CreateBuilding(cast, 10 + 2 * cast, 20);
        ASSERT_NE(building, nullptr);
        building->Construct(0.0f, true);
    }
    for (int32_t frame = 0; frame < 5; ++frame)
        CSaveGameRun::Frame(world);
    ASSERT_EQ(g_Particles.GetEmitterCount(), 4);
    const std::vector<uint8_t> saved = CSaveGameRun::SaveDrawn();
    ASSERT_TRUE(CSaveGameRun::Load(saved));
    EXPECT_EQ(CSaveGameRun::SaveDrawn(), saved);
    const auto* demon = static_cast<const CUnitDemon*>(world.Player(0).units[0]);
    ASSERT_NE(g_Particles.FindEmitter(demon->aura), nullptr);
    EXPECT_EQ(g_Particles.FindEmitter(demon->aura)->kind, CParticles::KindAura);
    g_Particles.Reset();
}
