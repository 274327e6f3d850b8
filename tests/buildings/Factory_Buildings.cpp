// The factories refuse every number outside their lists with its report,
// silently while a player's factory is not ready.

#include "buildings/C_BuildingDecorationKinds.h"
#include "buildings/C_Player_Factory.h"
#include "tests/buildings/BuildingWorld.h"

TEST(BuildingFactory, UnlistedNumbersGiveNoneWithTheirReportsOnceTheFactoryIsReady)
{
    CBuildingWorld world;
    const char* const resource = "#DEBUG: Building factory: Unknown resource type";
    const char* const decoration = "#DEBUG: Building factory: Unknown decoration type";
    const char* const building = "#DEBUG: Building factory: Unknown building type";
    const struct { int32_t cast, resourceKind, decorationKind; const char* message; } cases[] = {
        {CastResource, 0, 0, resource},      {CastResource, 5, 0, resource},      {CastResource, -1, 0, resource},
        {CastDecoration, 0, 24, decoration}, {CastDecoration, 0, 26, decoration}, {CastDecoration, 0, 80, decoration},
        {0, 0, 0, building},                 {14, 0, 0, building},                {16, 0, 0, building},
        {17, 0, 0, building},                {19, 0, 0, building},                {-5, 0, 0, building},
    };
    for (const bool ready : {false, true})
        for (const auto& c : cases)
        {
            SCOPED_TRACE(testing::Message() << c.cast << " " << c.resourceKind << " " << c.decorationKind);
            world.Player(2).factoryReady = ready ? 1 : 0;
            CTestLog log;
            EXPECT_EQ(CPlayerFactory::BuildingFactory(world.Player(2), c.cast, c.resourceKind, 1, c.decorationKind),
                      nullptr);
            const std::vector<std::string> lines = log.Lines();
            ASSERT_EQ(lines.size(), ready ? 3u : 0u);
            if (!ready)
                continue;
            EXPECT_TRUE(lines[0] == c.message && lines[1] == "#DEBUG: breakpoint reached");
            EXPECT_NE(lines[2].find("C_Player_Factory"), std::string::npos) << lines[2];
        }
    CTestLog log;
    for (int32_t type : {-1, 0, 14, 19, 23, 29, 36, 1 << 30})
        EXPECT_EQ(CPlayerFactory::UnitFactory(world.Player(1), type), nullptr) << type;
    world.Player(1).factoryReady = 0;
    EXPECT_EQ(CPlayerFactory::UnitFactory(world.Player(1), 0), nullptr);
    EXPECT_EQ(log.Count("#DEBUG: Unit factory: Unknown unit type"), 8);
    EXPECT_EQ(log.Count("#DEBUG: breakpoint reached"), 8);
}

// Every listed number gives its object with its row's model, owner and amount; a kind-1
// gold mine is an open one, and a tree of an unknown variant still stands, with model 0.
TEST(BuildingFactory, ListedNumbersGiveTheirModelsOwnersAndAmounts)
{
    CBuildingWorld world;
    // The name is a decoration's.
    const struct { int32_t cast, kind, variant, model, owner, amount; const char* name; } rows[] = {
        {1, 0, 0, 108, 2, 0, ""}, {2, 0, 0, 115, 2, 0, ""}, {3, 0, 0, 122, 2, 0, ""}, {4, 0, 0, 150, 2, 0, ""},
        {5, 0, 0, 129, 2, 0, ""}, {6, 0, 0, 136, 2, 0, ""}, {7, 0, 0, 143, 2, 0, ""}, {8, 0, 0, 157, 2, 0, ""},
        {9, 0, 0, 196, 2, 0, ""}, {11, 0, 0, 164, 2, 0, ""}, {12, 0, 0, 201, 2, 0, ""}, {13, 0, 0, 203, 2, 0, ""},
        {15, 0, 0, 179, 2, 0, ""}, {10, 1, 0, 230, -1, 100, ""}, {10, 4, 0, 230, -1, 100, ""},
        {10, 2, 1, 210, -1, 100, ""}, {10, 2, 8, 224, -1, 100, ""}, {10, 2, 0, 0, -1, 100, ""},
        {10, 2, 9, 0, -1, 100, ""}, {10, 3, 0, 226, -1, 800, ""}, {18, 1, 0, 267, -1, 0, "Mill"},
        {18, 2, 0, 269, -1, 0, "Decoration"}, {18, 23, 0, 290, -1, 0, "Decoration"},
        {18, 31, 0, 291, -1, 0, "Decoration"}, {18, 71, 0, 338, -1, 0, "Decoration"},
        {18, 6, 0, 273, -1, 0, "Branch"}, {18, 14, 0, 281, -1, 0, "Ruins"}, {18, 21, 0, 288, -1, 0, "Statue"},
        {18, 27, 0, 333, -1, 0, "Grave"}, {18, 32, 0, 292, -1, 0, "Torch"}, {18, 79, 0, 346, -1, 0, "Torch"},
        {18, 37, 0, 297, -1, 0, "Gate"}, {18, 38, 0, 299, -1, 0, "Gate"}, {18, 40, 0, 303, -1, 0, "Cave entrance"},
        {18, 69, 0, 332, -1, 0, "CaveWall"}, {18, 70, 0, 337, -1, 0, "Fountain"}, {18, 73, 0, 340, -1, 0, "Column"},
        {18, 75, 0, 342, -1, 0, "Ally"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(testing::Message() << row.cast << " " << row.kind << " " << row.variant);
        const bool decoration = row.cast == CastDecoration;
        CBuilding* made = CPlayerFactory::BuildingFactory(world.Player(2), row.cast, decoration ? 0 : row.kind,
                                                          row.variant, decoration ? row.kind : 0);
        ASSERT_NE(made, nullptr);
        world.Track(made);
        EXPECT_EQ(Ints({made->x, made->y, made->model, made->owner, made->GetAmount()}),
                  Ints({-1, -1, row.model, row.owner, row.amount}));
        EXPECT_EQ(made->GetBuildCast(), row.cast);
        EXPECT_TRUE(row.cast != CastResource || row.kind == 2 || row.kind == 3 ||
                    made->GetResourceKind() == ResourceKindGoldMine);
        EXPECT_TRUE(!decoration || std::string(made->GetName()) == row.name);
    }
    // The kinds that go by a key of their own.
    for (const auto& [kind, key] : {std::pair<int32_t, const char*>{31, "ED_DECOR_BD_CHEST_1"},
                                    {37, "ED_DECOR_BD_GATE_1"}, {38, "ED_DECOR_BD_GATE_2"},
                                    {71, "ED_DECOR_BD_LEVER"}, {2, nullptr}, {39, nullptr}})
        EXPECT_STREQ(CBuildingDecorationKinds::Find(kind)->key, key) << kind;
}
