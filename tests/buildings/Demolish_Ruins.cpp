// Demolition refunds the price of the building's type record and leaves a
// ruin and no reference; destruction leaves rubble of the ruins row of the
// decoration types on the footprint of the casts that have it.

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/C_PtrGarbage.h"
#include "effects/C_Particles.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_DecorType.h"
#include "world/C_GameMap.h"

namespace
{
// A building whose cast no type record names.
class CUnrecordedBuilding : public CBuilding
{
public:
    CUnrecordedBuilding() : CBuilding(20, 20, 0) {}
    int32_t GetBuildCast() const override { return 14; }
};

class Demolition : public ::testing::Test
{
protected:
    void SetUp() override { g_Particles.Reset(); }
    void TearDown() override
    {
        g_Particles.Reset();
        g_PtrGarbage.Flush();
    }
    CBuilding* Make(int32_t cast, int32_t x, int32_t y, bool finished)
    {
        CBuilding* building = world.Player(0).CreateBuilding(cast, x, y);
        building->buildProgress = finished ? CBuilding::FinishedProgress : building->buildProgress;
        if (finished)
            building->OnFinished();
        return building;
    }
    // Rubble pieces on the rectangle; -1 when a block holds anything else.
    static int32_t RubbleIn(int32_t x, int32_t y, int32_t side)
    {
        int32_t pieces = 0;
        for (int32_t i = x; i < x + side; ++i)
            for (int32_t j = y; j < y + side; ++j)
            {
                const uint16_t model = g_GameMap.Block(i, j).decorationModel;
                if (model != NoDecoration && (model < 259 || model > 265))
                    return -1;
                pieces += model != NoDecoration ? 1 : 0;
            }
        return pieces;
    }

    CSimHarness world;
};
}  // namespace

TEST_F(Demolition, RefundsTheTypeRecordsPriceAndLeavesARuinAndNoReference)
{
    CBuilding* alchemy = Make(CastAlchemy, 10, 10, false);
    CUnit* besieger = world.Spawn(1, UNIT_WARRIOR, 20, 20);
    besieger->targetBuilding = alchemy;
    CPlayer& owner = world.Player(0);
    const int32_t wood = owner.wood;
    const int32_t gold = owner.gold;
    const int32_t stone = owner.stone;
    const int32_t wealth = owner.GetWealthScore();

    alchemy->Demolish();
    alchemy->Demolish();

    // The alchemy's record: 400 wood, 500 gold, 600 stone, once, and no harvest.
    EXPECT_EQ(owner.wood - wood, 400);
    EXPECT_EQ(owner.gold - gold, 500);
    EXPECT_EQ(owner.stone - stone, 600);
    EXPECT_EQ(owner.GetWealthScore(), wealth);
    EXPECT_EQ(owner.statistics[STAT_WOOD_HARVESTED], 0);
    EXPECT_EQ(owner.buildingsUnderConstruction[CastAlchemy], 0);
    EXPECT_EQ(g_Particles.GetRuinCount(), 1);
    EXPECT_TRUE(g_Particles.HoldsRuin(alchemy));
    EXPECT_EQ(g_GameMap.Block(12, 12).building, nullptr);
    EXPECT_EQ(besieger->targetBuilding, nullptr);
    EXPECT_EQ(RubbleIn(10, 10, 5), 0);
    const std::vector<int32_t>& samples = world.Samples();
    EXPECT_TRUE(samples.size() >= 2 && samples[samples.size() - 2] >= 180 && samples[samples.size() - 2] <= 183);
    int32_t told = 0;
    for (int32_t p = 1; p < MaxPlayers; ++p)
        for (const CComputerAI::SNotice& notice : world.Player(p).computerAI.GetNotices())
            told += notice.kind == CComputerAI::ENotice::ObjectDestroyed && notice.object == alchemy ? 1 : 0;
    EXPECT_EQ(told, MaxPlayers - 1);
}

TEST_F(Demolition, WithoutATypeRecordNothingIsRefunded)
{
    CTestLog log;
    CBuilding* odd = new CUnrecordedBuilding;
    ASSERT_TRUE(odd->PlaceOnMap());
    const int32_t wood = world.Player(0).wood;

    odd->Demolish();

    EXPECT_TRUE(log.Contains("#DEBUG: Building's property not found"));
    EXPECT_EQ(world.Player(0).wood, wood);
    EXPECT_TRUE(g_Particles.HoldsRuin(odd));
}

TEST_F(Demolition, DestructionLeavesRubbleOnlyOnTheFootprintOfCastsThatHaveIt)
{
    CBuilding* alchemy = Make(CastAlchemy, 10, 10, true);
    CBuilding* docks = Make(CastDocks, 30, 10, true);
    CBuilding* rock = world.Player(0).CreateResource(ResourceKindRock, 30, 30, 100, 0);

    alchemy->Destroy(true);
    docks->Destroy(true);
    rock->Destroy(true);

    // 25 blocks at even odds: some rubble, all of it from the ruins row.
    const int32_t pieces = RubbleIn(10, 10, 5);
    EXPECT_TRUE(pieces > 0 && pieces < 25) << pieces;
    EXPECT_EQ(RubbleIn(9, 9, 7), pieces);
    EXPECT_EQ(RubbleIn(30, 10, 6), 0);
    EXPECT_EQ(RubbleIn(29, 29, 3), 0);
}

TEST(DecorType, TheStartMarkerIsAlwaysUnrotatedAndRuinsGiveTheirSevenKinds)
{
    EXPECT_STREQ(GetDecorType(RubbleDecorType).GetKey(), "ED_DECOR_BD_RUINS");
    std::set<int32_t> kinds;
    std::set<int32_t> rotations;
    for (int32_t draw = 0; draw < 2000; ++draw)
    {
        int32_t kind = 0;
        int32_t rotation = -1;
        GetDecorType(10).PickVariant(&kind, &rotation);
        ASSERT_TRUE(kind == 266 && rotation == 0);
        GetDecorType(RubbleDecorType).PickVariant(&kind, &rotation);
        ASSERT_TRUE(rotation >= 0 && rotation <= 359);
        kinds.insert(kind);
        rotations.insert(rotation);
    }
    EXPECT_EQ(kinds, (std::set<int32_t>{259, 260, 261, 262, 263, 264, 265}));
    EXPECT_GT(rotations.size(), 300u);
}
