#pragma once
// The wall, trap and decoration tests' world, with models to time animations.

#include <gtest/gtest.h>

#include <string>

#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingDecoration.h"
#include "effects/C_Particles.h"
#include "media/C_ModelRecord.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "world/C_GameMap.h"
#include "world/C_ReferenceBase.h"

class CDecorationWorld : public ::testing::Test
{
protected:
    static constexpr int32_t Frames = 10;
    void SetUp() override
    {
        AllocGlobalModels();
        for (int32_t model : {297, 298, 299, 300, 338})
            GetGlobalModel(model)->object.frameCount = Frames;
        g_Particles.Reset();
    }
    void TearDown() override { FreeGlobalModels(); }
    template <typename T = CDecoration>
    T* Place(int32_t kind, int32_t x, int32_t y)
    {
        return dynamic_cast<T*>(world.Player(0).CreateDecorationBuilding(kind, x, y));
    }
    // `part` loads into `object` and saves again unchanged; `bad` is refused with `logged`.
    static void ExpectPart(CBuilding& object, const std::string& part, const std::string& bad, const char* logged)
    {
        CReferenceBase table;
        CMemorySaveStream in(part), out, wrong(bad);
        ASSERT_TRUE(object.LoadGameExtra(in, table));
        object.SaveGameExtra(out, table);
        EXPECT_EQ(out.Bytes(), part);
        CTestLog log;
        EXPECT_FALSE(object.LoadGameExtra(wrong, table));
        EXPECT_TRUE(log.Contains(logged)) << logged;
    }
    CSimHarness world;
};
