// Torches and the fountain: each torch kind lights its flame at its own
// point and height over the terrain (or none), placing again keeps one
// flame, a torch that goes frees its flame, and the handle travels with
// the object through a saved game.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "buildings/C_BuildingDecorationFountain.h"
#include "buildings/C_BuildingDecorationTorch.h"
#include "effects/C_Particles.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "world/C_GameMap.h"
#include "world/C_ReferenceBase.h"

namespace
{
constexpr int32_t Corner = 10;
// The ground rises 10 units per block along x, so that the height under
// the flame tells its point.
constexpr int32_t RisePerBlock = 10;

class DecorationFlames : public ::testing::Test
{
protected:
    DecorationFlames()
    {
        g_Particles.Reset();
        for (int32_t cx = 0; cx < MapCornerSide; ++cx)
            for (int32_t cy = 0; cy < MapCornerSide; ++cy)
                g_GameMap.CornerHeight(cx, cy) = cx * RisePerBlock;
    }
    ~DecorationFlames() override { g_Particles.Reset(); }

    template <typename T>
    static std::unique_ptr<T> Placed(int32_t kind)
    {
        auto decoration = std::make_unique<T>(kind);
        decoration->x = Corner;
        decoration->y = Corner;
        decoration->OnPlaced();
        return decoration;
    }

    CSimHarness m_World;
};

struct STorchCase
{
    int32_t kind;
    bool fire;     // a building fire rather than a kind-35 flame
    float at;      // x and y of the flame
    float height;  // absolute: terrain there plus the kind's height
};

const STorchCase TorchCases[] = {
    {32, false, 10.5f, 105.0f + 74.0f}, {33, true, 11.0f, 110.0f + 25.0f}, {34, false, 10.5f, 105.0f + 42.0f},
    {35, false, 10.5f, 105.0f + 6.0f},  {36, false, 10.5f, 105.0f + 12.0f}, {76, false, 10.5f, 105.0f + 84.0f},
    {79, false, 10.5f, 105.0f + 84.0f},
};
}  // namespace

TEST_F(DecorationFlames, EachTorchKindLightsItsFlameAtItsHeight)
{
    for (const STorchCase& c : TorchCases)
    {
        SCOPED_TRACE(c.kind);
        g_Particles.Reset();
        auto torch = Placed<CDecorationTorch>(c.kind);
        ASSERT_NE(torch->flameEmitter, -1);
        EXPECT_EQ(g_Particles.IsBuildingFire(torch->flameEmitter), c.fire);
        if (c.fire)
            continue;
        const CParticles::SEmitter* flame = g_Particles.FindEmitter(torch->flameEmitter);
        ASSERT_NE(flame, nullptr);
        EXPECT_EQ(flame->kind, CParticles::KindFlame);
        EXPECT_FLOAT_EQ(flame->x, c.at);
        EXPECT_FLOAT_EQ(flame->y, c.at);
        EXPECT_FLOAT_EQ(flame->height, c.height);
    }
}

TEST_F(DecorationFlames, AKindOutsideTheTableLightsNothing)
{
    auto torch = Placed<CDecorationTorch>(37);
    EXPECT_EQ(torch->flameEmitter, -1);
    EXPECT_EQ(g_Particles.GetEmitterCount() + g_Particles.GetBurningFireCount(), 0);
}

TEST_F(DecorationFlames, PlacingTwiceKeepsOneFlameAndTheTorchFreesItWhenItGoes)
{
    for (const int32_t kind : {32, 33})
    {
        SCOPED_TRACE(kind);
        auto torch = Placed<CDecorationTorch>(kind);
        torch->OnPlaced();
        EXPECT_EQ(g_Particles.GetEmitterCount() + g_Particles.GetBurningFireCount(), 1);
        const int32_t flame = torch->flameEmitter;
        torch.reset();
        EXPECT_FALSE(g_Particles.FreeParticle(flame));
        EXPECT_EQ(g_Particles.GetEmitterCount() + g_Particles.GetBurningFireCount(), 0);
    }
}

TEST_F(DecorationFlames, TheFountainRunsItsWaterOnceAndStopsIt)
{
    auto fountain = Placed<CDecorationFountain>(70);
    fountain->OnPlaced();
    ASSERT_EQ(g_Particles.GetEmitterCount(), 1);
    const CParticles::SEmitter* water = g_Particles.FindEmitter(fountain->waterEmitter);
    ASSERT_NE(water, nullptr);
    EXPECT_EQ(water->kind, CParticles::KindFountainWater);
    EXPECT_FLOAT_EQ(water->x, 11.0f);
    EXPECT_FLOAT_EQ(water->y, 11.0f);
    EXPECT_FLOAT_EQ(water->height, 110.0f + 75.44f);
    fountain.reset();
    EXPECT_EQ(g_Particles.GetEmitterCount(), 0);
}

TEST_F(DecorationFlames, TheHandlesTravelWithTheObjectAndBadOnesAreRefused)
{
    CReferenceBase table;
    auto torch = Placed<CDecorationTorch>(34);
    auto fountain = Placed<CDecorationFountain>(70);
    CMemorySaveStream torchOut;
    CMemorySaveStream fountainOut;
    ASSERT_TRUE(torch->SaveGame(torchOut, table));
    ASSERT_TRUE(fountain->SaveGame(fountainOut, table));
    // The extras close each record: the torch's kind and flame, the water.
    const std::string& torchBytes = torchOut.Bytes();
    const size_t kindAt = torchBytes.size() - 8;
    EXPECT_EQ(CRecordBytes::I32At(torchBytes, kindAt), 34);
    EXPECT_EQ(CRecordBytes::I32At(torchBytes, kindAt + 4), torch->flameEmitter);
    EXPECT_EQ(CRecordBytes::I32At(fountainOut.Bytes(), fountainOut.Bytes().size() - 4), fountain->waterEmitter);

    CDecorationTorch loadedTorch(34);
    CDecorationFountain loadedFountain(70);
    CMemorySaveStream torchIn(torchBytes);
    CMemorySaveStream fountainIn(fountainOut.Bytes());
    ASSERT_TRUE(loadedTorch.LoadGame(torchIn, table));
    ASSERT_TRUE(loadedFountain.LoadGame(fountainIn, table));
    EXPECT_EQ(loadedTorch.flameEmitter, torch->flameEmitter);
    EXPECT_EQ(loadedFountain.waterEmitter, fountain->waterEmitter);
    // The copies must not put out the originals' particles a second time.
    loadedTorch.flameEmitter = -1;
    loadedFountain.waterEmitter = -1;

    const struct
    {
        size_t at;
        int32_t value;
        const char* logged;
    } badRecords[] = {
        {kindAt, 35, "Torch refused: a decoration kind that does not match the torch"},
        {kindAt + 4, -2, "Torch refused: a bad flame handle"},
    };
    for (const auto& bad : badRecords)
    {
        SCOPED_TRACE(bad.logged);
        CTestLog log;
        CDecorationTorch refused(34);
        CMemorySaveStream in(CRecordBytes::WithI32At(torchBytes, bad.at, bad.value));
        EXPECT_FALSE(refused.LoadGame(in, table));
        EXPECT_NE(log.Contents().find(bad.logged), std::string::npos);
        EXPECT_EQ(refused.flameEmitter, -1);
    }
}
